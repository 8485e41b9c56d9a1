// Decoding while the extraction runs: an early read gives what the loader's read gives, within its
// memory bound, and that an opening with early decodes holds the same pictures and
// comes to the same memory decision as one without.
#include "opening/EarlyPictures.h"
#include "opening/PictureLoader.h"
#include "pictures/JpegDecoder.h"
#include "pictures/PixelPool.h"
#include "support/HeadlessOpening.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/TestPackage.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage gradient(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 7 & 0xFF, y * 5 & 0xFF, (x + y) & 0xFF));
    return image;
}

TEST(EarlyPictures, ReadsAsTheLoaderDoesWithinItsBound) {
    const QImage picture = gradient(QSize(40, 30));
    const QByteArray jpeg = encodeImage(picture, "JPEG");
    const qint64 pixelBytes = 40 * 30 * 4;
    // A JPEG is held as its 4:2:0 planes: luma rows padded to whole MCUs, half-height chroma.
    const qint64 planeBytes = 48 * (30 + 15);
    const struct {
        const char* name;
        QByteArray bytes; // empty: no file at all
        qint64 cap;
        qint64 held; // the bytes a picture held keeps of the bound
        bool decoded;
        bool declined;
        const char* problem; // the start of the loader's message, "" for none
    } cases[] = {
        {"a JPEG within the bound", jpeg, planeBytes, planeBytes, true, false, ""},
        {"a JPEG past the bound", jpeg, planeBytes - 1, 0, false, true, ""},
        {"a file larger than the bound", jpeg + QByteArray(int(pixelBytes), '\0'), pixelBytes, 0,
         false, true, ""},
        {"a PNG within the bound", encodeImage(picture, "PNG"), pixelBytes, pixelBytes, true, false,
         ""},
        {"a PNG past the bound", encodeImage(picture, "PNG"), pixelBytes - 1, 0, false, true, ""},
        {"a truncated JPEG", jpeg.left(jpeg.size() - 40), pixelBytes * 10, 0, false, false,
         "The picture obj_H_0000.jpg cannot be decoded"},
        {"no file", QByteArray(), pixelBytes * 10, 0, false, false,
         "The picture obj_H_0000.jpg is missing from the package."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString path = dir.file(QStringLiteral("obj_H_0000.jpg"));
        if (!c.bytes.isEmpty())
            writeWholeFile(path, c.bytes);
        EarlyPictures early(c.cap);
        early.offer(path);
        QFuture<PictureRead> future = early.take(path);
        ASSERT_TRUE(future.isValid());
        const PictureRead read = future.result();
        EXPECT_EQ(bool(read.picture), c.decoded);
        EXPECT_EQ(read.declined, c.declined);
        if (*c.problem)
            EXPECT_TRUE(read.problem.startsWith(QString::fromLatin1(c.problem)))
                << read.problem.toStdString();
        else
            EXPECT_TRUE(read.problem.isEmpty()) << read.problem.toStdString();
        // Only a picture held keeps its share of the bound.
        EXPECT_EQ(early.reservedBytes(), c.held);
        if (read.picture) {
            EXPECT_EQ(read.picture->heldBytes(), c.held);
        }
        if (read.picture) {
            const PictureRead loaders = PictureLoader::read(path, QStringLiteral("obj_H_0000.jpg"),
                                                            PictureLoader::Storage::Decoded);
            EXPECT_EQ(read.picture->image(), loaders.picture->image());
        }
        EXPECT_FALSE(early.take(path).isValid()); // taken once only
    }
}

// A photo read at a screen level keeps its file's bytes beside the level: the bound counts what
// each picture holds, level and bytes, decoded or compressed, and no more for one read whole.
TEST(EarlyPictures, ALevelPictureCountsAndKeepsItsFilesBytes) {
    const QByteArray jpeg = encodeImage(gradient(QSize(64, 48)), "JPEG");
    using Storage = PictureLoader::Storage;
    const struct {
        const char* what;
        Storage storage;
        int level;
        qint64 held; // besides the planes: 4:2:0 at 1.5 bytes a pixel, rows padded to MCUs
    } cases[] = {
        {"decoded at a level", Storage::Decoded, 2, 32 * (24 + 12) + jpeg.size()},
        {"decoded whole", Storage::Decoded, 1, 64 * (48 + 24)},
        {"compressed with a level", Storage::Compressed, 2, jpeg.size()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const QString path = dir.file(QStringLiteral("obj_H_0000.jpg"));
        writeWholeFile(path, jpeg);
        auto readWithin = [&](qint64 cap) {
            EarlyPictures early(cap, c.storage, [&c](QSize) { return c.level; });
            early.offer(path);
            const PictureRead read = early.take(path).result();
            return std::pair(read, early.reservedBytes());
        };
        const auto [read, reserved] = readWithin(qint64(1) << 20);
        ASSERT_TRUE(read.picture);
        EXPECT_EQ(read.picture->levelDenominator(), c.level);
        EXPECT_EQ(read.picture->encodedBytes().isEmpty(), c.level == 1);
        EXPECT_EQ(read.picture->heldBytes(), c.held);
        EXPECT_EQ(reserved, c.held);
        // One byte short of what it holds: left to the loader.
        const auto [refused, none] = readWithin(c.held - 1);
        EXPECT_FALSE(refused.picture);
        EXPECT_TRUE(refused.declined);
        EXPECT_EQ(none, 0);
    }
}

TEST(EarlyPictures, AFileWrittenTwiceOrOfferedAfterDropIsLeftToTheLoader) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("obj_H_0000.jpg"));
    writeWholeFile(path, encodeImage(gradient(QSize(8, 8)), "JPEG"));
    EarlyPictures early(qint64(1) << 20);
    early.offer(path);
    early.offer(path);
    early.offer(path);
    EXPECT_FALSE(early.take(path).isValid());

    early.drop();
    early.offer(path);
    EXPECT_FALSE(early.take(path).isValid());
}

TestPackage jpegPackage() {
    TestPackage package;
    package.extension = QStringLiteral(".jpg");
    package.horizontal = 12;
    package.upper = TestPackage::evenRings(12, 3, 2);
    return package;
}

TEST(EarlyPictures, AnOpeningHoldsThePicturesTheDecoderGives) {
    const TestPackage package = jpegPackage();
    const QStringList names = package.pictureNames();
    const struct {
        const char* name;
        bool vertical;
        int held;
    } cases[] = {{"with the upper rings", true, 20}, {"horizontal ring only", false, 12}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OptionSettings options;
        options.bOptLoadVertical = c.vertical;
        const Opened opened = openPackage(package, kPlenty, options);
        ASSERT_TRUE(opened.ok) << opened.problem.toStdString();
        EXPECT_EQ(opened.slots.heldCount(), c.held);
        // Every picture the loader wanted was started during the extraction, and nothing else.
        EXPECT_EQ(opened.early, c.held);
        for (int i = 0; i < c.held; ++i) {
            const int slot = i < 12 ? i : i + 1;
            ASSERT_TRUE(opened.slots.at(slot)) << slot;
            EXPECT_EQ(opened.slots.at(slot)->image(),
                      JpegDecoder::decode(package.pictureBytes(names[i])).image)
                << names[i].toStdString();
        }
    }
}

TEST(EarlyPictures, TheMemoryCheckComesOutAsWithoutThem) {
    // Early decodes take memory before the check; it must neither count it twice (refusing what
    // fits) nor count it as extra (accepting what does not).
    const TestPackage package = jpegPackage(); // 20 pictures of 32 x 24
    const qint64 decoded = 20 * 32 * 24 * 3 + 10'000'000;
    const struct {
        const char* name;
        qint64 free;
        bool ok;
        PictureStorage storage;
    } cases[] = {
        {"decoded fits", decoded + 1, true, PictureStorage::Decoded},
        {"only compressed fits", decoded, true, PictureStorage::Compressed},
        {"nothing fits", 10'000'000, false, PictureStorage::Refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Opened opened = openPackage(package, c.free);
        EXPECT_EQ(opened.ok, c.ok) << opened.problem.toStdString();
        EXPECT_EQ(opened.storage, c.storage);
        if (c.storage == PictureStorage::Compressed) {
            ASSERT_TRUE(opened.slots.at(0));
            EXPECT_FALSE(opened.slots.at(0)->isDecoded());
            EXPECT_EQ(opened.early, 0);
        }
        if (!c.ok) {
            EXPECT_EQ(opened.slots.heldCount(), 0);
        }
    }
    // Whatever was decoded early and not kept went back.
    EXPECT_EQ(PixelPool::instance().pooledBytes(), 0);
}

} // namespace
