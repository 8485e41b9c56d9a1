// The shared parts of the benchmarks: the serial JPEG decoder, the reading of a package's
// pictures, the command line and the figures.
#include "support/BenchFigures.h"
#include "support/OpenBenchOptions.h"
#include "support/PackagePictures.h"
#include "support/SerialJpegDecoder.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>
#include <zip.h>

namespace {

const QString kSamples = QStringLiteral(GYRO_SOURCE_DIR "/data/samples/teapot/");

QByteArray sampleJpeg() {
    return readWholeFile(kSamples + QStringLiteral("teapot_H_0000.jpg"));
}

// A small JPEG whose frame header claims `width` x `height`.
QByteArray jpegClaiming(int width, int height) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::gray);
    return withClaimedJpegSize(encodeImage(image, "JPEG"), width, height);
}

void writeZip(const QString& path, const QList<QPair<QString, QByteArray>>& members) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_EXCL, &error);
    ASSERT_NE(archive, nullptr);
    for (const auto& [name, bytes] : members) {
        zip_source_t* source = zip_source_buffer(archive, bytes.constData(), bytes.size(), 0);
        ASSERT_NE(source, nullptr);
        ASSERT_GE(zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8), 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

} // namespace

TEST(SerialJpegDecoder, DecodesLikeQtInBgrxOrder) {
    const QByteArray bytes = sampleJpeg();
    SerialJpegDecoder decoder;
    const SerialJpegDecoder::Result result = decoder.decode(bytes);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.width, 640);
    EXPECT_EQ(result.height, 480);
    const QImage reference = QImage::fromData(bytes, "JPEG").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(reference.size(), QSize(640, 480));
    // Both go through libjpeg-turbo with the default DCT, so the pixels match, byte for byte.
    for (int y = 0; y < 480; y += 37) {
        const auto* row = decoder.frame().data() + std::size_t(y) * 640 * 4;
        for (int x = 0; x < 640; x += 41) {
            const QRgb want = reference.pixel(x, y);
            EXPECT_EQ(row[x * 4 + 0], qBlue(want)) << x << "," << y;
            EXPECT_EQ(row[x * 4 + 1], qGreen(want)) << x << "," << y;
            EXPECT_EQ(row[x * 4 + 2], qRed(want)) << x << "," << y;
        }
    }
}

TEST(SerialJpegDecoder, RefusesBadInputWithAMessage) {
    const QByteArray jpeg = sampleJpeg();
    QImage rgb(8, 8, QImage::Format_RGB32);
    rgb.fill(Qt::red);
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"text", QByteArray("[FileName]\nFileName=teapot\n")},
        {"png", encodeImage(rgb, "PNG")},
        {"header cut short", jpeg.left(100)},
        {"start marker only", QByteArray("\xFF\xD8\xFF", 3)},
        {"zero width", jpegClaiming(0, 16)},
        {"too many pixels", jpegClaiming(65000, 65000)},
    };
    for (const auto& c : cases) {
        SerialJpegDecoder decoder;
        const SerialJpegDecoder::Result result = decoder.decode(c.bytes);
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_FALSE(result.error.isEmpty()) << c.what;
        // A refused size never allocates its frame.
        EXPECT_LT(decoder.frame().size(), std::size_t(1) << 24) << c.what;
    }
}

TEST(SerialJpegDecoder, KeepsDecodingAfterAFailureAndAcrossSizes) {
    SerialJpegDecoder decoder;
    QImage small(32, 8, QImage::Format_RGB32);
    small.fill(Qt::blue);
    EXPECT_TRUE(decoder.decode(sampleJpeg()).ok);
    EXPECT_FALSE(decoder.decode(QByteArray("not a picture")).ok);
    const SerialJpegDecoder::Result result = decoder.decode(encodeImage(small, "JPEG"));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.width, 32);
    EXPECT_EQ(result.height, 8);
    // Data cut off after the header decodes, with libjpeg's filler, and prints nothing.
    EXPECT_TRUE(decoder.decode(sampleJpeg().left(4000)).ok);
}

TEST(PackagePictures, ReadsJpegMembersOnlyInArchiveOrder) {
    TempDir dir;
    const QString package = dir.file(QStringLiteral("p.360"));
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::green);
    const QByteArray jpeg = sampleJpeg();
    writeZip(package, {{QStringLiteral("teapot_H_0001.jpg"), jpeg},
                       {QStringLiteral("info.ini"), QByteArray("[FileName]\nFileName=teapot\n")},
                       {QStringLiteral("fake.jpg"), QByteArray("not a picture")},
                       {QStringLiteral("teapot_H_0000.png"), encodeImage(image, "PNG")},
                       {QStringLiteral("sub/"), QByteArray()},
                       {QStringLiteral("teapot_H_0000.JPG"), encodeImage(image, "JPEG")}});
    const PackagePictures pictures = readPackagePictures(package);
    ASSERT_TRUE(pictures.ok) << pictures.error.toStdString();
    ASSERT_EQ(pictures.pictures.size(), 2u);
    EXPECT_EQ(pictures.pictures[0].name, QStringLiteral("teapot_H_0001.jpg"));
    EXPECT_EQ(pictures.pictures[0].bytes, jpeg);
    EXPECT_EQ(pictures.pictures[1].name, QStringLiteral("teapot_H_0000.JPG"));
    EXPECT_EQ(pictures.totalBytes,
              pictures.pictures[0].bytes.size() + pictures.pictures[1].bytes.size());
}

TEST(PackagePictures, NamesThePackageThatCannotBeRead) {
    TempDir dir;
    const QString notZip = dir.file(QStringLiteral("not.360"));
    writeWholeFile(notZip, QByteArray("plain text, not an archive"));
    for (const QString& path : {dir.file(QStringLiteral("absent.360")), notZip}) {
        const PackagePictures pictures = readPackagePictures(path);
        EXPECT_FALSE(pictures.ok);
        EXPECT_TRUE(pictures.error.contains(path)) << pictures.error.toStdString();
        EXPECT_TRUE(pictures.pictures.empty());
    }
}

TEST(OpenBenchOptions, ParsesTheCommandLine) {
    const struct {
        QStringList args;
        QString package;
        int runs;
        bool compressed;
        bool refused;
    } cases[] = {
        {{"p.360"}, "p.360", 5, false, false},
        {{"p.360", "--runs", "3"}, "p.360", 3, false, false},
        {{"--runs=1", "--compressed", "p.360"}, "p.360", 1, true, false},
        {{}, "", 5, false, true},
        {{"--runs", "3"}, "", 5, false, true},
        {{"p.360", "--runs"}, "", 5, false, true},
        {{"p.360", "--runs", "0"}, "", 5, false, true},
        {{"p.360", "--runs", "x"}, "", 5, false, true},
        {{"p.360", "--runs=1001"}, "", 5, false, true},
        {{"p.360", "q.360"}, "", 5, false, true},
        {{"p.360", "--fast"}, "", 5, false, true},
        {{"p.360", "--screen", "1920x1080"}, "p.360", 5, false, false},
        {{"p.360", "--screen", "1920"}, "", 5, false, true},
        {{"p.360", "--screen"}, "", 5, false, true},
    };
    for (const auto& c : cases) {
        const OpenBenchOptions options = OpenBenchOptions::parse(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(!options.error.isEmpty(), c.refused) << what;
        if (c.refused)
            continue;
        EXPECT_EQ(options.package, c.package) << what;
        EXPECT_EQ(options.runs, c.runs) << what;
        EXPECT_EQ(options.compressed, c.compressed) << what;
        EXPECT_EQ(options.screen.isValid(), c.args.contains(QStringLiteral("--screen"))) << what;
    }
}

TEST(BenchFigures, MedianAndStatusFigures) {
    EXPECT_EQ(median({}), 0);
    EXPECT_EQ(median({4}), 4);
    EXPECT_EQ(median({9, 1, 5}), 5);
    EXPECT_EQ(median({8, 2, 6, 4}), 5);

    const QByteArray status = "Name:\topen_bench\nVmHWM:\t  123456 kB\nVmRSS:\t 99 kB\n"
                              "VmSwap:\tlots kB\nVmPeak:\t12 MB\n";
    EXPECT_EQ(statusFigureKib(status, "VmHWM"), 123456);
    EXPECT_EQ(statusFigureKib(status, "VmRSS"), 99);
    EXPECT_EQ(statusFigureKib(status, "VmSwap"), std::nullopt);
    EXPECT_EQ(statusFigureKib(status, "VmPeak"), std::nullopt);
    EXPECT_EQ(statusFigureKib(status, "VmHW"), std::nullopt);
    EXPECT_GT(peakResidentKib(), 0);
    EXPECT_GE(peakResidentKib(), currentResidentKib());
}
