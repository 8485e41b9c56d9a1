// The first picture's read begun ahead is taken only where the probe's own read would give the
// same: the same member, left in the package, held the same way, within the memory it allows.
#include "opening/FirstPictureAhead.h"
#include "format/MemberNames.h"
#include "opening/PackageStore.h"
#include "pictures/PictureDecoder.h"
#include "support/TempDir.h"
#include "support/TestPackage.h"

#include <gtest/gtest.h>

namespace {

using Storage = PictureLoader::Storage;

TEST(FirstPictureAhead, IsTakenOnlyWhereTheProbesOwnReadWouldGiveTheSame) {
    TestPackage package;
    package.extension = QStringLiteral(".jpg");
    package.horizontal = 2;
    package.storeUncompressed = true;
    TempDir dir;
    const QString path = dir.file(QStringLiteral("obj.360"));
    ASSERT_TRUE(package.write(path));
    const std::shared_ptr<PackageStore> store = PackageStore::open(path);
    ASSERT_TRUE(store);
    const QString first = horizontalMemberName(package.baseName, 0, package.extension);
    const QString second = horizontalMemberName(package.baseName, 1, package.extension);
    const auto job = [&store](const QString& name, bool inPackage) {
        PictureLoader::Job made;
        made.memberName = name;
        made.stored = store->member(name);
        made.inPackage = inPackage;
        made.checksum = store->checksum(name).value_or(0);
        return made;
    };
    qint64 asked = 0; // what decoding the first picture asks for
    decodePicture(package.pictureBytes(first), [&asked](qint64 bytes) {
        asked = bytes;
        return false;
    });
    ASSERT_GT(asked, 0);

    struct Case {
        const char* what;
        qint64 aheadMost; // what the read begun ahead allowed its decode
        QString member;   // what the probe reads
        bool inPackage;
        Storage storage;
        qint64 most; // what the probe allows
        bool taken;
    };
    const Case cases[] = {
        {"the same read", asked, first, true, Storage::Decoded, asked, true},
        {"another member", asked, second, true, Storage::Decoded, asked, false},
        {"written to the folder", asked, first, false, Storage::Decoded, asked, false},
        {"held compressed", asked, first, true, Storage::Compressed, asked, false},
        {"more than the probe allows", asked, first, true, Storage::Decoded, asked - 1, false},
        {"left undone ahead", asked - 1, first, true, Storage::Decoded, asked, false},
    };
    for (const Case& c : cases) {
        FirstPictureAhead ahead(job(first, true), Storage::Decoded, c.aheadMost, {});
        const std::optional<PictureRead> read =
            ahead.take(job(c.member, c.inPackage), c.storage, c.most);
        ASSERT_EQ(read.has_value(), c.taken) << c.what;
        if (read)
            EXPECT_EQ(read->picture->size(), package.pictureSize) << c.what;
    }
}

} // namespace
