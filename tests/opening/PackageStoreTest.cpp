// The package as the store of its pictures' file bytes: stored members read back by offset, and a
// package changed on disk while open told once, by name, with no pixels made from it.
#include "opening/PackageStore.h"
#include "pictures/JpegDecoder.h"
#include "pictures/JpegPlanes.h"
#include "pictures/PictureDecoder.h"
#include "pictures/PictureKeeper.h"
#include "support/JpegFiles.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Which members are read back from the package, and that they give their bytes: only those
// stored uncompressed and unencrypted whose local header is where the directory says, found by
// bare name whatever the case, and never a name two members share.
TEST(PackageStoreTest, ReadsBackOnlyMembersStoredWhereTheDirectorySays) {
    const QByteArray a(5000, 'a');
    const QByteArray b(3000, 'b');
    ZipMember encrypted = storedMember("locked.jpg", a);
    encrypted.flags = 1;
    ZipMember misplaced = storedMember("misplaced.jpg", a);
    misplaced.centralOffset = 7;
    const QList<ZipMember> members{storedMember("pics/Obj_H_0000.JPG", a),
                                   deflatedMember("deflated.jpg", b),
                                   storedMember("x/twin.jpg", a),
                                   storedMember("y/TWIN.jpg", b),
                                   encrypted,
                                   misplaced,
                                   storedMember("last.jpg", b)};
    TempDir folder;
    const QString path = folder.file(QStringLiteral("obj.360"));
    ASSERT_TRUE(writeFile(path, buildZip(members)));
    const std::shared_ptr<PackageStore> store = PackageStore::open(path);
    ASSERT_TRUE(store);
    const struct {
        const char* name;
        QByteArray bytes; // empty: not read back
    } cases[] = {
        {"obj_h_0000.jpg", a}, {"OBJ_H_0000.JPG", a}, {"deflated.jpg", {}}, {"twin.jpg", {}},
        {"locked.jpg", {}},    {"misplaced.jpg", {}}, {"last.jpg", b},      {"absent.jpg", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::shared_ptr<const FileBytes> member = store->member(QString::fromLatin1(c.name));
        ASSERT_EQ(member != nullptr, !c.bytes.isEmpty());
        if (!member)
            continue;
        QByteArray read;
        EXPECT_TRUE(member->read(read));
        EXPECT_EQ(member->size(), c.bytes.size());
        EXPECT_TRUE(read == c.bytes);
    }
    EXPECT_FALSE(store->changed());
}

// A photo held at its screen level, its file read back from the package: the keeper's whole decode
// is the library's own while the package is as it was opened. Once the package changes on disk
// (grown, cut short, only touched, or replaced by a copy), the next decode gives no pixels and the
// news names the package, once.
TEST(PackageStoreTest, AChangeOnDiskIsToldOnceByNameAndGivesNoPixels) {
    const QByteArray photo = encodeJpegSampled(detailedPicture(QSize(160, 96)), JpegSampling::S420);
    const QByteArray zip = buildZip({storedMember("obj_H_0000.jpg", photo)});
    const QImage reference = JpegDecoder::decode(photo).image;
    const struct {
        const char* change;
        std::function<bool(const QString& path)> apply;
    } cases[] = {
        {"none", [](const QString&) { return true; }},
        {"grown", [&](const QString& path) { return writeFile(path, zip + "more"); }},
        {"cut short",
         [&](const QString& path) { return writeFile(path, zip.left(zip.size() - 1)); }},
        {"touched",
         [](const QString& path) {
             QFile file(path);
             return file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(QFileInfo(path).lastModified().addSecs(10),
                                     QFileDevice::FileModificationTime);
         }},
        {"replaced",
         [&](const QString& path) {
             return writeFile(path + ".new", zip) &&
                    std::rename(qPrintable(path + ".new"), qPrintable(path)) == 0;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        TempDir folder;
        const QString path = folder.file(QStringLiteral("vase.360"));
        ASSERT_TRUE(writeFile(path, zip));
        const std::shared_ptr<PackageStore> store = PackageStore::open(path);
        ASSERT_TRUE(store);
        QStringList news;
        store->setChangedNews([&news](const QString& message) { news << message; });
        DecodedPicture level = decodePicture(photo, {}, [](QSize) { return 2; });
        ASSERT_EQ(level.status, DecodedPicture::Status::Decoded);
        const PicturePtr picture =
            Picture::readingBack(Picture::fromLevel(level.pixels, photo, level.natural, 2),
                                 store->member(QStringLiteral("obj_H_0000.jpg")));
        ASSERT_TRUE(picture->readsBack());
        EXPECT_EQ(picture->heldBytes(), level.pixels.planes->heldBytes()); // no file bytes held

        PictureKeeper keeper;
        const Picture::Pixels before = keeper.pixelsToPaint(picture, 1);
        ASSERT_FALSE(before.isNull());
        EXPECT_TRUE(before.planes->toImage() == reference);

        ASSERT_TRUE(c.apply(path));
        keeper.clear();
        const bool changed = std::string(c.change) != "none";
        EXPECT_EQ(keeper.pixelsToPaint(picture, 1).isNull(), changed);
        EXPECT_EQ(picture->encodedBytes().isEmpty(), changed);
        EXPECT_EQ(news,
                  changed ? QStringList{PackageStore::changedMessage("vase.360")} : QStringList{});
        if (changed) {
            EXPECT_TRUE(news.front().contains(QStringLiteral("vase.360")));
        }
        EXPECT_EQ(store->changed(), changed);
    }
}

} // namespace
