// Openings that must not trust what a package claims: the memory check against what the loader
// really holds, and pictures that cannot be decoded whichever way they are to be held.
#include "support/HeadlessOpening.h"
#include "support/TestFiles.h"

#include <QImage>
#include <functional>

namespace {

// Room for every package here, not for the 60000 x 60000 claim (5.4 GB as planes).
constexpr qint64 kRoomy = qint64(4) << 30;

// The first bytes of the picture up to the end of its PNG header chunk: the header gives a size,
// the picture data is missing.
QByteArray headerOnlyPng(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    return encodeImage(image, "PNG").left(33);
}

OptionSettings holding(bool decoded) {
    OptionSettings options;
    options.bOptUseRam = decoded;
    return options;
}

TEST(PackageOpeningClaims, MoreFreeMemoryNeverRefuses) {
    // 36 pictures of 640 x 480: the decoded estimate (3 bytes a pixel) is 43,177,600 bytes, the
    // loader holds 4 bytes a pixel, 44,236,800. In between, the pictures must be held compressed.
    TestPackage package;
    package.pictureSize = QSize(640, 480);
    const qint64 estimate = 36 * 640 * 480 * 3 + 10'000'000;
    const qint64 held = 36 * 640 * 480 * 4;
    const struct {
        qint64 free;
        PictureStorage storage;
    } cases[] = {
        {estimate, PictureStorage::Compressed},     // the estimate is not below: compressed fits
        {estimate + 1, PictureStorage::Compressed}, // the band begins
        {held, PictureStorage::Compressed},         // the band ends
        {held + 1, PictureStorage::Decoded},
    };
    for (const auto& c : cases) {
        const Opened opened = openPackage(package, c.free);
        SCOPED_TRACE(testing::Message() << c.free << " bytes free");
        EXPECT_TRUE(opened.ok) << opened.problem.toStdString();
        EXPECT_EQ(opened.storage, c.storage);
        EXPECT_EQ(opened.slots.heldCount(), 36);
    }
}

TEST(PackageOpeningClaims, PicturesThatDoNotDecodeAreRefusedHoweverTheyAreHeld) {
    const QString fifth = QStringLiteral("obj_H_0005.jpg");
    const struct {
        const char* name;
        QString member;
        std::function<QByteArray(const TestPackage&)> bytes;
        const char* problem;
        bool byLoader = true; // refused by the loader, after the memory check
    } cases[] = {
        {"data missing", fifth, [](const TestPackage&) { return headerOnlyPng(QSize(32, 24)); },
         "The picture obj_H_0005.jpg cannot be decoded"},
        {"a later picture claims 60000 x 60000", fifth,
         [&](const TestPackage& p) {
             return withClaimedJpegSize(p.pictureBytes(fifth), 60000, 60000);
         },
         // refused at once by the size its header claims, before the memory check
         "The picture obj_H_0005.jpg is 60000 x 60000 pixels, larger than the first picture "
         "obj_H_0000.jpg (32 x 24)",
         false},
        {"a side past what the format holds", fifth,
         [&](const TestPackage& p) {
             return withClaimedJpegSize(p.pictureBytes(fifth), 65535, 10);
         },
         "The picture obj_H_0005.jpg is 65535 x 10 pixels, larger than the first picture", false},
        {"a PNG wider than the header probe reads", QStringLiteral("obj_H_0000.jpg"),
         [](const TestPackage&) {
             QImage wide(70000, 1, QImage::Format_RGB32);
             wide.fill(Qt::green);
             return encodeImage(wide, "PNG");
         },
         "obj_H_0000.jpg is 70000 x 1 pixels; the viewer shows pictures of at most 65535 pixels "
         "a side"},
    };
    // Held decoded, held compressed as asked, and held compressed because only that fits.
    const struct {
        const char* name;
        OptionSettings options;
        qint64 free;
        PictureStorage storage;
    } ways[] = {
        {"decoded", holding(true), kRoomy, PictureStorage::Decoded},
        {"compressed", holding(false), kRoomy, PictureStorage::Compressed},
        {"compressed for want of memory", holding(true), 10'060'000, PictureStorage::Compressed},
    };
    for (const auto& c : cases) {
        TestPackage package;
        package.extension = QStringLiteral(".jpg");
        package.omitMembers << c.member;
        package.extraMembers[c.member] = c.bytes(package);
        for (const auto& way : ways) {
            SCOPED_TRACE(testing::Message() << c.name << ", held " << way.name);
            const Opened opened = openPackage(package, way.free, way.options);
            EXPECT_FALSE(opened.ok);
            EXPECT_TRUE(opened.problem.contains(QString::fromLatin1(c.problem)))
                << opened.problem.toStdString();
            EXPECT_EQ(opened.slots.heldCount(), 0);
            if (c.member == fifth && c.byLoader && opened.counters.sngUnzipCount > 0) {
                // refused by the loader, after the memory check
                EXPECT_EQ(opened.storage, way.storage);
            }
        }
    }
}

// Photos of any camera size open: no bound of the image reader's (128 MB at 4 bytes a pixel).
TEST(PackageOpeningClaims, ACameraSizedPhotoOpens) {
    TestPackage package;
    package.extension = QStringLiteral(".jpg");
    QImage photo(7360, 4912, QImage::Format_RGB32);
    photo.fill(Qt::darkYellow);
    const QString first = QStringLiteral("obj_H_0000.jpg");
    package.omitMembers << first;
    package.extraMembers[first] = encodeImage(photo, "JPEG");
    photo = QImage();
    const Opened opened = openPackage(package, kRoomy, holding(false));
    ASSERT_TRUE(opened.ok) << opened.problem.toStdString();
    EXPECT_EQ(opened.slots.at(0)->size(), QSize(7360, 4912));
}

} // namespace
