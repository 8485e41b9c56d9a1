// Only what a package uses is extracted and kept; members that cannot be what they claim are
// refused from their headers, before they are read.
#include "support/HeadlessOpening.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestPackage.h"
#include "support/ZipBuilder.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// A member of `count` zeros that takes a fraction of that in the archive.
ZipMember zeros(const QByteArray& name, std::int64_t count) {
    ZipMember member;
    member.name = name;
    member.method = 8;
    std::int64_t inflated = 0;
    member.data = deflatedZeros(count, inflated);
    member.size = inflated;
    member.crc = 0; // never read whole: the value does not matter
    return member;
}

// The package's descriptor and pictures, stored, followed by `extra`.
Opened openWith(const TestPackage& package, const QList<ZipMember>& extra,
                OptionSettings options = {}) {
    QList<ZipMember> members;
    if (package.withDescriptor)
        members.append(storedMember("info.ini", package.descriptor()));
    for (const QString& name : package.pictureNames())
        if (!package.omitMembers.contains(name))
            members.append(storedMember(name.toUtf8(), package.pictureBytes(name)));
    if (!package.sound.isEmpty())
        members.append(storedMember(package.sound.toUtf8(), package.soundBytes));
    members.append(extra);
    TempDir dir;
    const QString path = dir.file(QStringLiteral("thing.360"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(buildZip(members));
    file.close();
    return openPackageFile(path, kPlenty, options);
}

// A BMP header claiming width x height pixels, followed by a few bytes of data.
QByteArray bmpClaiming(qint32 width, qint32 height) {
    QByteArray bmp(54 + 64, '\0');
    auto put = [&](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = char(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put(2, quint32(bmp.size()));
    put(10, 54);
    put(14, 40);
    put(18, quint32(width));
    put(22, quint32(height));
    bmp[26] = 1;
    bmp[28] = 24;
    return bmp;
}

TEST(UsedMembers, UnusedMembersAreNotExtracted) {
    TestPackage package;
    const Opened opened = openWith(package, {zeros("junk.bin", 590'000'000)});
    ASSERT_TRUE(opened.ok) << opened.problem.toStdString();
    EXPECT_EQ(opened.skipped, 1);
    EXPECT_EQ(opened.counters.sngUnzipCount, 37.f); // the descriptor and 36 pictures
    EXPECT_LT(opened.counters.sngMaxFileLen, 1e6f);
}

TEST(UsedMembers, OnlyTheSoundStaysAfterLoading) {
    TestPackage package;
    package.upper = TestPackage::evenRings(36, 3, 2);
    package.sound = QStringLiteral("engine.mp3");
    package.soundBytes = sampleSoundBytes();
    OptionSettings noRings;
    noRings.bOptLoadVertical = false;
    for (const OptionSettings& options : {OptionSettings{}, noRings}) {
        const Opened opened =
            openWith(package,
                     {storedMember("notes.txt", "made with care"),
                      // named like a picture of the upper rings, but of none the rings hold
                      storedMember("obj_V99_0003.png", package.pictureBytes("obj_V00_0002.png"))},
                     options);
        ASSERT_TRUE(opened.ok) << opened.problem.toStdString();
        EXPECT_EQ(opened.leftInFolder, QStringList{QStringLiteral("engine.mp3")});
        EXPECT_EQ(opened.skipped, options.bOptLoadVertical ? 1 : 1 + 25);
    }
}

TEST(UsedMembers, MembersThatCannotBeWhatTheyClaimAreRefusedBeforeTheyAreRead) {
    const struct {
        const char* name;
        ZipMember replaced; // in place of the package's own member of that name
        const char* says;
    } cases[] = {
        {"1 GB of zeros as picture 0", zeros("obj_H_0000.png", std::int64_t(1) << 30),
         "The picture obj_H_0000.png is not a GIF, JPEG, PNG or BMP picture."},
        {"BMP claiming 30000 x 30000", storedMember("obj_H_0000.png", bmpClaiming(30000, 30000)),
         "The picture obj_H_0000.png is 30000 x 30000 pixels, more than the"},
        {"BMP claiming 2^31 - 1 pixels wide",
         storedMember("obj_H_0007.png", bmpClaiming(0x7FFFFFFF, 10)),
         "is 2147483647 x 10 pixels; the viewer shows pictures of at most 65535 pixels a side."},
        {"1 GB descriptor", zeros("info.ini", std::int64_t(1) << 30),
         "a descriptor holds at most 1048576 bytes."},
    };
    for (const auto& c : cases) {
        TestPackage package;
        package.withDescriptor = c.replaced.name != "info.ini";
        package.omitMembers = {QString::fromUtf8(c.replaced.name)};
        const Opened opened = openWith(package, {c.replaced});
        EXPECT_FALSE(opened.ok) << c.name;
        EXPECT_TRUE(opened.problem.contains(QLatin1String(c.says)))
            << c.name << ": " << opened.problem.toStdString();
        EXPECT_EQ(opened.counters.sngUnzipCount, 0.f) << c.name << ": nothing was extracted";
    }
}

} // namespace
