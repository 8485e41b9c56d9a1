// Runs "gyrolook-pack thumbnail" as a separate process, the way a file manager does: on real
// packages, and on hostile archives that must be refused in one line without writing anything.
#include "support/JpegFiles.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestPackage.h"
#include "support/ToolRun.h"
#include "support/ZipBuilder.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <gtest/gtest.h>

namespace {

const QString kOld = QStringLiteral("old thumbnail");

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A package with the given members beside a generated descriptor for obj_H_0000.png.
QByteArray withDescriptor(QList<ZipMember> members) {
    members.prepend(storedMember("info.ini", TestPackage{}.descriptor()));
    return buildZip(members);
}

QByteArray smallPicture() {
    return TestPackage{}.pictureBytes(QStringLiteral("obj_H_0000.png"));
}

// zlib's raw deflate stream of content (qCompress adds a length, a header and a checksum).
QByteArray deflated(const QByteArray& content) {
    const QByteArray z = qCompress(content, 9);
    return z.mid(6, z.size() - 10);
}

// An end record that announces more members than any package holds.
QByteArray announcingHugeDirectory() {
    QByteArray zip = withDescriptor({storedMember("obj_H_0000.png", smallPicture())});
    const qsizetype end = zip.lastIndexOf("PK\5\6");
    zip[end + 8] = zip[end + 9] = zip[end + 10] = zip[end + 11] = char(0xFF); // 65535 members
    return zip;
}

QByteArray pngDeclaring(int width, int height) {
    QByteArray png = smallPicture();
    // The IHDR chunk's width and height, big-endian, right after the signature and chunk header.
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = char(quint32(width) >> (24 - 8 * i));
        png[20 + i] = char(quint32(height) >> (24 - 8 * i));
    }
    const std::uint32_t crc = zipCrc32(png.mid(12, 17)); // the chunk's type and data
    for (int i = 0; i < 4; ++i)
        png[29 + i] = char(crc >> (24 - 8 * i));
    return png;
}

// A JPEG picture with more start-of-scan markers than any honest one holds.
QByteArray jpegOfManyScans() {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return jpeg.insert(jpeg.size() - 2, QByteArray("\xFF\xDA\x00\x02", 4).repeated(101));
}

QByteArray teapotJpeg() {
    QFile file(QStringLiteral(GYRO_SOURCE_DIR "/data/samples/teapot/teapot_H_0000.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A progressive JPEG whose frame header declares width x height and that holds `scans` scans.
QByteArray progressiveDeclaring(int width, int height, int scans) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    const qsizetype frame = jpeg.indexOf("\xFF\xC2");
    jpeg[frame + 5] = char(height >> 8);
    jpeg[frame + 6] = char(height);
    jpeg[frame + 7] = char(width >> 8);
    jpeg[frame + 8] = char(width);
    const int present = int(jpeg.count(QByteArrayView("\xFF\xDA", 2)));
    return jpeg.insert(jpeg.size() - 2,
                       QByteArray("\xFF\xDA\x00\x02", 4).repeated(std::max(0, scans - present)));
}

TEST(ThumbnailCommand, SamplePackageGivesTheTeapotScaledToFit) {
    TempDir dir;
    const struct {
        QStringList sizeArgument;
        QSize expected;
    } cases[] = {{{}, {256, 192}},
                 {{QStringLiteral("64")}, {64, 48}},
                 {{QStringLiteral("1000")}, {640, 480}}};
    const QImage original(QStringLiteral(GYRO_SOURCE_DIR "/data/samples/teapot/teapot_H_0000.jpg"));
    ASSERT_FALSE(original.isNull());
    for (const auto& c : cases) {
        const QString out = dir.file(QStringLiteral("teapot.png"));
        const ToolRun run = runPack(
            QStringList{QStringLiteral("thumbnail"), QStringLiteral(GYRO_SAMPLE_PACKAGE), out} +
            c.sizeArgument);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.err, QString());
        const QImage thumbnail(out, "PNG");
        ASSERT_EQ(thumbnail.size(), c.expected);
        // The teapot's picture, not some other: every pixel near the scaled original.
        const QImage reference =
            original.scaled(c.expected, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        long long difference = 0;
        for (int y = 0; y < c.expected.height(); ++y)
            for (int x = 0; x < c.expected.width(); ++x) {
                const QColor a = thumbnail.pixelColor(x, y), b = reference.pixelColor(x, y);
                difference += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                              std::abs(a.blue() - b.blue());
            }
        EXPECT_LT(double(difference) / (c.expected.width() * c.expected.height() * 3), 6.0);
        EXPECT_EQ(dir.entries(), QStringList{QStringLiteral("teapot.png")});
        QFile::remove(out);
    }
}

// Camera photos of 24, 36 and 61 megapixels: a thumbnail each, the right way round.
TEST(ThumbnailCommand, CameraPhotosOfEverySizeGetTheirThumbnail) {
    const struct {
        QSize photo, thumbnail;
    } cases[] = {
        {{6016, 4016}, {256, 170}}, {{7360, 4912}, {256, 170}}, {{9504, 6336}, {256, 170}}};
    for (const auto& c : cases) {
        TempDir dir;
        const QString package = dir.file(QStringLiteral("camera.360"));
        QFile file(package);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(withDescriptor({storedMember("obj_H_0000.png", rampJpeg(c.photo))}));
        file.close();
        const QString out = dir.file(QStringLiteral("t.png"));
        const ToolRun run = runPack({QStringLiteral("thumbnail"), package, out});
        ASSERT_EQ(run.exitCode, 0) << c.photo.width() << ": " << run.err.toStdString();
        const QImage thumbnail(out, "PNG");
        ASSERT_EQ(thumbnail.size(), c.thumbnail) << c.photo.width();
        // Red on the left, blue on the right, green rising downwards.
        const int right = thumbnail.width() - 2, bottom = thumbnail.height() - 2;
        const QColor topLeft = thumbnail.pixelColor(1, 1);
        const QColor topRight = thumbnail.pixelColor(right, 1);
        const QColor bottomLeft = thumbnail.pixelColor(1, bottom);
        EXPECT_GT(topLeft.red(), 230) << c.photo.width();
        EXPECT_LT(topLeft.blue(), 25) << c.photo.width();
        EXPECT_LT(topLeft.green(), 25) << c.photo.width();
        EXPECT_GT(topRight.blue(), 230) << c.photo.width();
        EXPECT_GT(bottomLeft.green(), 230) << c.photo.width();
    }
}

// A file manager that makes the target itself and holds it open reads the thumbnail back
// through its handle: the picture must land in that file, not in a new one renamed over it.
TEST(ThumbnailCommand, ExistingTargetIsWrittenInPlace) {
    TempDir dir;
    const QString out = dir.file(QStringLiteral("held.png"));
    QFile held(out);
    ASSERT_TRUE(held.open(QIODevice::ReadWrite));
    const ToolRun run =
        runPack({QStringLiteral("thumbnail"), QStringLiteral(GYRO_SAMPLE_PACKAGE), out, "32"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    held.seek(0);
    const QByteArray seen = held.readAll();
    EXPECT_TRUE(seen.startsWith("\x89PNG")) << seen.size();
    EXPECT_EQ(QImage::fromData(seen, "PNG").size(), QSize(32, 24));
    EXPECT_EQ(dir.entries(), QStringList{QStringLiteral("held.png")});
}

TEST(ThumbnailCommand, MemberNamesIgnoreCase) {
    TempDir dir;
    const QString package = dir.file(QStringLiteral("case.360"));
    QFile file(package);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(buildZip({storedMember("INFO.INI", TestPackage{}.descriptor()),
                         storedMember("pictures/OBJ_h_0000.PNG", smallPicture())}));
    file.close();
    const ToolRun run = runPack({QStringLiteral("thumbnail"), package, dir.file("t.png"), "16"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QImage(dir.file("t.png")).size(), QSize(16, 12));
}

TEST(ThumbnailCommand, HostilePackagesAreRefusedWithoutWritingAnything) {
    ZipMember liar = deflatedMember("obj_H_0000.png", {});
    liar.data = deflated(QByteArray(200 << 20, '\0'));
    liar.content = QByteArray(1000, '\0');
    liar.size = 1000; // declares 1,000 bytes, inflates to 200 MiB
    ZipMember honestBomb = liar;
    honestBomb.size = 200 << 20;
    honestBomb.crc = 0;
    ZipMember huge = deflatedMember("obj_H_0000.png", "abc");
    huge.zip64 = true;
    huge.size = std::int64_t(1) << 60;
    ZipMember encrypted = storedMember("obj_H_0000.png", smallPicture());
    encrypted.flags = 1;
    QList<ZipMember> many;
    for (int i = 0; i < 5000; ++i)
        many.append(storedMember("m" + QByteArray::number(i), "x"));

    const struct {
        const char* name;
        QByteArray archive;
        const char* says;
    } cases[] = {
        {"empty file", {}, "is empty"},
        {"garbage", QByteArray(5000, 'g'), "is not a ZIP archive"},
        {"a camera's video",
         QByteArray("\0\0\0\x20"
                    "ftypmp41",
                    12) +
             QByteArray(4000, 'v'),
         "pkg.360 is an MP4 video, not a package."},
        {"truncated", withDescriptor({storedMember("obj_H_0000.png", smallPicture())}).left(300),
         "pkg.360"},
        {"bomb declaring little", withDescriptor({liar}), "cannot be read"},
        {"bomb declaring its size", withDescriptor({honestBomb}), "at most"},
        {"size of 2^60", withDescriptor({huge}), "at most"},
        {"5,000 members", buildZip(many), "4,096"},
        {"directory announcing 65,535 members", announcingHugeDirectory(), "4,096"},
        {"no descriptor", buildZip({storedMember("obj_H_0000.png", smallPicture())}),
         "no descriptor"},
        {"no picture 0", withDescriptor({storedMember("obj_H_0001.png", smallPicture())}),
         "missing"},
        {"names differing by case",
         withDescriptor({storedMember("obj_H_0000.png", smallPicture()),
                         storedMember("OBJ_H_0000.png", smallPicture())}),
         "more than one"},
        {"picture is garbage", withDescriptor({storedMember("obj_H_0000.png", "no picture")}),
         "not a GIF, JPEG, PNG or BMP"},
        {"picture header 60000 x 60000",
         withDescriptor({storedMember("obj_H_0000.png", pngDeclaring(60000, 60000))}), "too large"},
        {"picture data cut",
         withDescriptor({storedMember("obj_H_0000.png", smallPicture().left(60))}),
         "cannot be decoded"},
        {"encrypted picture", withDescriptor({encrypted}), "encrypted"},
        {"JPEG cut in half",
         withDescriptor(
             {storedMember("obj_H_0000.png", teapotJpeg().left(teapotJpeg().size() / 2))}),
         "Premature end of JPEG file"},
        {"progressive 4000 x 4000 in 20 scans",
         withDescriptor({storedMember("obj_H_0000.png", progressiveDeclaring(4000, 4000, 20))}),
         "4000 x 4000 pixels in 20 scans, too large"},
        {"JPEG of 102 scans", withDescriptor({storedMember("obj_H_0000.png", jpegOfManyScans())}),
         "holds 102 scans"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const QString package = dir.file(QStringLiteral("pkg.360"));
        const QString out = dir.file(QStringLiteral("out.png"));
        for (const auto& [path, bytes] : {std::pair{package, c.archive}, {out, kOld.toUtf8()}}) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        const ToolRun run = runPack({QStringLiteral("thumbnail"), package, out});
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("gyrolook-pack: "))) << c.name;
        EXPECT_TRUE(run.err.contains(QLatin1String(c.says)))
            << c.name << ": " << run.err.toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << c.name;
        // The old thumbnail is left as it was, and nothing else appeared.
        EXPECT_EQ(fileBytes(out), kOld.toUtf8()) << c.name;
        EXPECT_EQ(dir.entries(),
                  (QStringList{QStringLiteral("out.png"), QStringLiteral("pkg.360")}))
            << c.name;
    }
}

TEST(ThumbnailCommand, WrongArgumentsGiveUsage) {
    const QStringList cases[] = {
        {QStringLiteral("thumbnail")},
        {QStringLiteral("thumbnail"), QStringLiteral("a.360")},
        {QStringLiteral("thumbnail"), QStringLiteral("a.360"), QStringLiteral("o.png"),
         QStringLiteral("0")},
        {QStringLiteral("thumbnail"), QStringLiteral("a.360"), QStringLiteral("o.png"),
         QStringLiteral("big")},
    };
    for (const QStringList& args : cases)
        EXPECT_EQ(runPack(args).exitCode, 2) << args.join(' ').toStdString();
    const ToolRun version = runPack({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("gyrolook-pack 1.")))
        << version.out.toStdString();
}

} // namespace
