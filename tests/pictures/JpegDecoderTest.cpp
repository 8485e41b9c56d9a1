// The JPEG fast path: pixels as the generic reader gives them, opaque RGB32, refusals of damaged
// or oversized data, fallback for what it does not handle, and its use by the opening.
#include "pictures/JpegDecoder.h"
#include "format/OptionSettings.h"
#include "opening/FixedFreeMemory.h"
#include "opening/PackageOpening.h"
#include "opening/PrivateFolder.h"
#include "pictures/Picture.h"
#include "support/HeadlessOpening.h"
#include "support/RecordingProgressSink.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/TestPackage.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A picture with detail in every channel, so colour conversion and upsampling are exercised.
QImage pattern(QSize size, bool grey) {
    QImage image(size, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    quint32 noise = 12345;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            noise = noise * 1103515245u + 12345u;
            const int n = int(noise >> 27);
            image.setPixel(x, y,
                           qRgb((x * 255 / size.width() + n) & 0xFF,
                                (y * 255 / size.height()) & 0xFF, ((x ^ y) * 8 + n) & 0xFF));
        }
    }
    return image;
}

QByteArray encodeJpeg(const QImage& image, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return bytes;
}

// The generic reader's decode, in the format it chooses.
QImage readerDecode(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer).read();
}

// The largest difference of any channel of any pixel; -1 when the sizes differ.
int largestDifference(const QImage& a, const QImage& reference) {
    const QImage b = reference.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size())
        return -1;
    int most = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            most = std::max({most, std::abs(qRed(ra[x]) - qRed(rb[x])),
                             std::abs(qGreen(ra[x]) - qGreen(rb[x])),
                             std::abs(qBlue(ra[x]) - qBlue(rb[x]))});
        }
    }
    return most;
}

// Every pixel word read as stored, so the fourth byte is checked and not supplied by Qt.
bool everyPixelOpaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) != 0xFF)
                return false;
        }
    }
    return true;
}

QByteArray cmykJpeg() {
    return readWholeFile(QStringLiteral(GYRO_TEST_DATA "/package/cmyk.jpg"));
}

QByteArray sampleJpeg() {
    return encodeJpeg(pattern(QSize(48, 32), false));
}

struct DecodeCase {
    const char* name;
    QSize size;
    bool grey;
    bool progressive;
};

TEST(JpegDecoder, DecodesLikeTheGenericReader) {
    const DecodeCase cases[] = {
        {"colour", {64, 48}, false, false},
        {"colour of odd size", {33, 17}, false, false},
        {"grey", {40, 30}, true, false},
        {"progressive colour", {50, 41}, false, true},
        {"progressive grey", {19, 23}, true, true},
        {"one pixel", {1, 1}, false, false},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray bytes = encodeJpeg(pattern(c.size, c.grey), c.progressive);
        ASSERT_TRUE(JpegDecoder::looksLikeJpeg(bytes));
        const JpegDecoder::Result result = JpegDecoder::decode(bytes);
        ASSERT_EQ(result.status, JpegDecoder::Status::Decoded) << result.error.toStdString();
        EXPECT_EQ(result.image.format(), QImage::Format_RGB32);
        EXPECT_EQ(result.image.size(), c.size);
        EXPECT_TRUE(everyPixelOpaque(result.image));
        const QImage reference = readerDecode(bytes);
        EXPECT_EQ(reference.isGrayscale(), c.grey); // the file really is a grey one
        EXPECT_EQ(bytes.contains(QByteArray("\xFF\xC2", 2)), c.progressive);
        const int difference = largestDifference(result.image, reference);
        EXPECT_GE(difference, 0);
        EXPECT_LE(difference, 1);
    }
}

struct BadCase {
    const char* name;
    std::function<QByteArray()> bytes;
    JpegDecoder::Status want;
    const char* errorPart; // part of the message when Failed
};

TEST(JpegDecoder, RefusesOrHandsOnWhatItCannotDecode) {
    const BadCase cases[] = {
        {"empty", [] { return QByteArray(); }, JpegDecoder::Status::Failed, ""},
        {"truncated", [] { return sampleJpeg().left(sampleJpeg().size() / 2); },
         JpegDecoder::Status::Failed, ""},
        {"header only", [] { return sampleJpeg().left(200); }, JpegDecoder::Status::Failed, ""},
        {"garbage after the start",
         [] { return QByteArray("\xFF\xD8\xFF") + QByteArray(500, '\x5A'); },
         JpegDecoder::Status::Failed, ""},
        {"claims 65500 x 65500", [] { return withClaimedJpegSize(sampleJpeg(), 65500, 65500); },
         JpegDecoder::Status::Failed, "65500 x 65500"},
        {"claims more than the allocation limit",
         [] { return withClaimedJpegSize(sampleJpeg(), 9000, 8000); }, JpegDecoder::Status::Failed,
         "9000 x 8000"},
        {"CMYK", cmykJpeg, JpegDecoder::Status::Unsupported, ""},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const JpegDecoder::Result result = JpegDecoder::decode(c.bytes());
        EXPECT_EQ(result.status, c.want);
        EXPECT_TRUE(result.image.isNull());
        if (c.want == JpegDecoder::Status::Failed) {
            EXPECT_FALSE(result.error.isEmpty());
            EXPECT_TRUE(result.error.contains(QLatin1String(c.errorPart)))
                << result.error.toStdString();
        }
    }
}

TEST(JpegDecoder, RecognisesJpegByItsBytes) {
    EXPECT_TRUE(JpegDecoder::looksLikeJpeg(sampleJpeg()));
    EXPECT_TRUE(JpegDecoder::looksLikeJpeg(QByteArray("\xFF\xD8\xFF")));
    EXPECT_FALSE(JpegDecoder::looksLikeJpeg(QByteArray("\xFF\xD8")));
    EXPECT_FALSE(JpegDecoder::looksLikeJpeg(QByteArray("\x89PNG\r\n\x1A\n")));
    EXPECT_FALSE(JpegDecoder::looksLikeJpeg(QByteArray()));
}

TEST(DecodePictureBytes, TakesEveryPictureToThePaintingFormat) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QSize size; // empty: the bytes do not decode
    };
    const QByteArray jpeg = sampleJpeg();
    const QByteArray png = encodeImage(pattern(QSize(7, 5), false), "PNG");
    const Case cases[] = {
        {"JPEG", jpeg, {48, 32}},    {"CMYK JPEG through the generic reader", cmykJpeg(), {24, 16}},
        {"PNG", png, {7, 5}},        {"truncated JPEG", jpeg.left(jpeg.size() / 2), {}},
        {"empty", QByteArray(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = Picture::fromEncoded(c.bytes, QSize())->image();
        if (c.size.isEmpty()) {
            EXPECT_TRUE(image.isNull());
            continue;
        }
        EXPECT_EQ(image.size(), c.size);
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_LE(largestDifference(image, readerDecode(c.bytes)), 1);
    }
}

TEST(JpegPackageOpening, HoldsEveryPictureInThePaintingFormat) {
    TestPackage package;
    package.extension = QStringLiteral(".jpg");
    package.horizontal = 12;
    const Opened opened = openPackage(package);
    ASSERT_TRUE(opened.ok) << opened.problem.toStdString();
    EXPECT_TRUE(opened.leftInFolder.isEmpty());
    const QStringList names = package.pictureNames();
    for (int i = 0; i < package.horizontal; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(opened.slots.at(i));
        const QImage image = opened.slots.at(i)->image();
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(image.size(), package.pictureSize);
        const QColor want = TestPackage::colourFor(names[i]);
        const QColor got = image.pixelColor(image.width() / 2, image.height() / 2);
        EXPECT_LE(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) +
                      std::abs(got.blue() - want.blue()),
                  12);
    }
}

TEST(JpegPackageOpening, RefusesATruncatedPicture) {
    TestPackage package;
    package.extension = QStringLiteral(".jpg");
    package.horizontal = 12;
    const QString damaged = QStringLiteral("obj_H_0005.jpg");
    const QByteArray whole = package.pictureBytes(damaged);
    package.omitMembers << damaged;
    package.extraMembers[damaged] = whole.left(whole.size() - 40);
    const Opened opened = openPackage(package);
    EXPECT_FALSE(opened.ok);
    EXPECT_TRUE(opened.problem.contains(QStringLiteral("obj_H_0005.jpg cannot be decoded")))
        << opened.problem.toStdString();
    EXPECT_TRUE(opened.leftInFolder.isEmpty());
}

} // namespace
