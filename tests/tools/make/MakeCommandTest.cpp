// Runs "gyrolook-pack make" as a separate process on folders of the sample renders renamed like
// camera files, and opens what it wrote with the viewer's own opening code.
#include "support/HeadlessOpening.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>
#include <zip.h>

namespace {

const QString kSamples = QStringLiteral(GYRO_SOURCE_DIR "/data/samples/teapot/");
const QString kSound = QStringLiteral(GYRO_SOURCE_DIR "/data/samples/sound/house_lo.mp3");

QString sample(const QString& marker, int column, int row) {
    return kSamples + (row == 1
                           ? QStringLiteral("teapot_H_%1.jpg").arg(column, 4, 10, QLatin1Char('0'))
                           : QStringLiteral("teapot_%1%2_%3.jpg")
                                 .arg(marker)
                                 .arg(column, 2, 10, QLatin1Char('0'))
                                 .arg(row, 4, 10, QLatin1Char('0')));
}

// The shoot as a camera leaves it: ring/DSC_1.JPG ... DSC_36.JPG (so plain text order would be
// wrong), up2 ... up5 and down2, down3 with IMG_1.jpg ... IMG_12.jpg, one every third position.
void copyShoot(const TempDir& dir) {
    QDir(dir.path()).mkpath(QStringLiteral("ring"));
    for (int p = 0; p < 36; ++p)
        QFile::copy(sample({}, p, 1), dir.file(QStringLiteral("ring/DSC_%1.JPG").arg(p + 1)));
    for (const auto& [marker, folder, rows] :
         {std::tuple{QStringLiteral("V"), QStringLiteral("up"), 4},
          std::tuple{QStringLiteral("M"), QStringLiteral("down"), 2}}) {
        for (int row = 2; row <= rows + 1; ++row) {
            const QString sub = folder + QString::number(row);
            QDir(dir.path()).mkpath(sub);
            for (int j = 0; j < 12; ++j)
                QFile::copy(sample(marker, 3 * j, row),
                            dir.file(QStringLiteral("%1/IMG_%2.jpg").arg(sub).arg(j + 1)));
        }
    }
}

QByteArray memberBytes(const QString& archive, const QString& name) {
    zip_t* zip = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, nullptr);
    if (!zip)
        return {};
    QByteArray bytes;
    zip_stat_t stat;
    if (zip_stat(zip, name.toUtf8().constData(), 0, &stat) == 0) {
        zip_file_t* file = zip_fopen(zip, name.toUtf8().constData(), 0);
        bytes.resize(qsizetype(stat.size));
        if (zip_fread(file, bytes.data(), stat.size) != zip_int64_t(stat.size))
            bytes.clear();
        zip_fclose(file);
    }
    zip_close(zip);
    return bytes;
}

struct MakeCase {
    const char* name;
    QStringList args;
    int start;
    bool reverse;
    int upRows;
    int downRows;
};

TEST(MakeCommand, PackagesOpenWithEveryPhotoInItsPlace) {
    TempDir dir;
    copyShoot(dir);
    const QStringList up = {"--up", dir.file("up2"), "--up", dir.file("up3"),
                            "--up", dir.file("up4"), "--up", dir.file("up5")};
    const QStringList down = {"--down", dir.file("down2"), "--down", dir.file("down3")};
    const MakeCase cases[] = {
        {"ring", {"--sound", kSound, "--repeat", "--hotspot", "0:440,170,555,300"}, 0, false, 0, 0},
        {"rings", up + down, 0, false, 4, 2},
        {"start", QStringList{"--start", "6"} + up, 6, false, 4, 0},
        {"reverse", QStringList{"--start", "3", "--reverse", "--up", dir.file("up2")} + down, 3,
         true, 1, 2},
    };
    for (const MakeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = dir.file(QStringLiteral("%1.360").arg(QLatin1String(c.name)));
        const ToolRun run =
            runPack(QStringList{"make", out, "--name", "pot", "--ring", dir.file("ring")} + c.args);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

        // Every member holds the bytes of the render taken from that place after the turn.
        auto original = [&c](int position) {
            return ((c.reverse ? c.start - position : c.start + position) % 36 + 36) % 36;
        };
        for (int p = 0; p < 36; ++p)
            EXPECT_EQ(
                memberBytes(out, QStringLiteral("pot_H_%1.jpg").arg(p, 4, 10, QLatin1Char('0'))),
                readWholeFile(sample({}, original(p), 1)))
                << p;
        for (const auto& [marker, rows] :
             {std::pair{QStringLiteral("V"), c.upRows}, std::pair{QStringLiteral("M"), c.downRows}})
            for (int column = 0; column < 36; column += 3)
                for (int row = 2; row <= rows + 1; ++row)
                    EXPECT_EQ(memberBytes(out, QStringLiteral("pot_%1%2_%3.jpg")
                                                   .arg(marker)
                                                   .arg(column, 2, 10, QLatin1Char('0'))
                                                   .arg(row, 4, 10, QLatin1Char('0'))),
                              readWholeFile(sample(marker, original(column), row)))
                        << marker.toStdString() << column << "_" << row;

        // And the viewer's opening holds what was given.
        const Opened opened = openPackageFile(out);
        ASSERT_TRUE(opened.ok) << opened.problem.toStdString();
        EXPECT_EQ(opened.slots.heldCount(), 36 + 12 * (c.upRows + c.downRows));
        EXPECT_EQ(opened.counters.bytVRows, c.upRows);
        EXPECT_EQ(opened.counters.bytMRows, c.downRows);
        EXPECT_EQ(opened.slots.UpperRing[3] != PictureSlots::kNoRing, c.upRows > 0);
        EXPECT_EQ(opened.slots.LowerRing[4], PictureSlots::kNoRing);
        const Descriptor& d = opened.descriptor;
        EXPECT_EQ(d.numOfNorth, c.upRows);
        if (QLatin1String(c.name) == QLatin1String("ring")) {
            EXPECT_EQ(d.sound, QStringLiteral("house_lo.mp3"));
            EXPECT_TRUE(d.soundRepeat);
            EXPECT_FALSE(opened.soundShortName.isEmpty());
            EXPECT_EQ(d.hotSpots.rectangle(1, 0), (HotSpotRect{6600, 2550, 8325, 4500}));
        }
    }
}

// A turntable shoot's row above holds as many photos as the ring: every third one goes in, and
// the package opens with its twelve rings.
TEST(MakeCommand, RowOfAShootGivesEveryThirdPhoto) {
    TempDir dir;
    copyShoot(dir);
    const QStringList args = {"make",   dir.file("shoot.360"), "--name", "pot",
                              "--ring", dir.file("ring"),      "--up",   dir.file("ring")};
    const ToolRun dry = runPack(args + QStringList{"--dry-run"});
    ASSERT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    EXPECT_TRUE(dry.out.contains("pot_V03_0002.jpg <- " + dir.file("ring/DSC_4.JPG")));
    EXPECT_TRUE(dry.out.contains("pot_V33_0002.jpg <- " + dir.file("ring/DSC_34.JPG")));
    const ToolRun run = runPack(args + QStringList{"--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("1 row above of 12 pictures: " + dir.file("ring") +
                                 " (photos 1, 4, 7, ... 34: every 3rd of 36)"))
        << run.out.toStdString();
    // The sheet labels the row by its folder.
    EXPECT_TRUE(dry.out.contains("[RowNames]\nUp2=ring\n")) << dry.out.toStdString();
    const ToolRun sheet =
        runPack({"sheet", dir.file("shoot.360"), dir.file("sheet.png"), "--quiet"});
    ASSERT_EQ(sheet.exitCode, 0) << sheet.err.toStdString();
    EXPECT_TRUE(sheet.out.contains(", lines ring H, ")) << sheet.out.toStdString();
}

TEST(MakeCommand, DryRunPrintsMembersAndDescriptorAndWritesNothing) {
    TempDir dir;
    copyShoot(dir);
    const ToolRun run = runPack({"make", dir.file("dry.360"), "--name", "pot", "--ring",
                                 dir.file("ring"), "--up", dir.file("up2"), "--dry-run"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("info.ini\n")));
    EXPECT_TRUE(
        run.out.contains(QStringLiteral("pot_H_0009.jpg <- ") + dir.file("ring/DSC_10.JPG")));
    EXPECT_TRUE(
        run.out.contains(QStringLiteral("pot_V33_0002.jpg <- ") + dir.file("up2/IMG_12.jpg")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("[NumOfNorth]\nNumOfNorth=1\n")));
    EXPECT_FALSE(QFile::exists(dir.file("dry.360")));
}

TEST(MakeCommand, ReportsExifOrientation) {
    TempDir dir;
    copyShoot(dir);
    // An APP1 segment holding a big-endian TIFF header with one entry: Orientation = 6.
    const QByteArray exif = QByteArray::fromHex("ffe10022"
                                                "457869660000"
                                                "4d4d002a00000008"
                                                "0001"
                                                "011200030000000100060000"
                                                "00000000");
    QByteArray jpeg = readWholeFile(dir.file("ring/DSC_5.JPG"));
    jpeg.insert(2, exif);
    writeWholeFile(dir.file("ring/DSC_5.JPG"), jpeg);
    const ToolRun run =
        runPack({"make", dir.file("turned.360"), "--name", "pot", "--ring", dir.file("ring")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(dir.file("ring/DSC_5.JPG") + " carries EXIF orientation 6"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("--ignore-orientation")) << run.err.toStdString();

    // The tag is wrong (the pixels stand upright): turning refuses and names the tags, ignoring
    // them packs the photo as stored.
    const struct {
        QStringList options;
        int exitCode;
        QString says; // empty: no word of orientation
    } cases[] = {
        {{"--auto-rotate"},
         1,
         "their EXIF orientations, 6 in " + dir.file("ring/DSC_5.JPG") + " and 1 in " +
             dir.file("ring/DSC_1.JPG")},
        {{"--ignore-orientation"}, 0, {}},
        {{"--auto-rotate", "--ignore-orientation"}, 0, {}},
    };
    for (const auto& c : cases) {
        const ToolRun dry = runPack(QStringList{"make", dir.file("turned.360"), "--name", "pot",
                                                "--ring", dir.file("ring"), "--dry-run"} +
                                    c.options);
        EXPECT_EQ(dry.exitCode, c.exitCode) << dry.err.toStdString();
        if (c.says.isEmpty())
            EXPECT_FALSE(dry.err.contains("orientation")) << dry.err.toStdString();
        else
            EXPECT_TRUE(dry.err.contains(c.says)) << dry.err.toStdString();
    }
}

TEST(MakeCommand, RefusesWhatTheViewerCouldNotShowNamingTheCulprit) {
    TempDir dir;
    copyShoot(dir);
    // Rows that do not fit: five pictures, and six beside a row of twelve.
    for (const auto& [folder, count] : {std::pair{"five", 5}, std::pair{"six", 6}}) {
        QDir(dir.path()).mkpath(folder);
        for (int j = 0; j < count; ++j)
            QFile::copy(sample("V", 0, 2),
                        dir.file(QStringLiteral("%1/P%2.jpg").arg(folder).arg(j)));
    }
    QDir(dir.path()).mkpath("odd");
    for (const char* name : {"odd/a.jpg", "odd/b.jpg"})
        QFile::copy(sample({}, 0, 1), dir.file(name));
    writeWholeFile(dir.file("odd/c.jpg"),
                   encodeImage(QImage(320, 240, QImage::Format_RGB32), "JPEG"));
    QDir(dir.path()).mkpath("kinds");
    QFile::copy(sample({}, 0, 1), dir.file("kinds/a.jpg"));
    writeWholeFile(dir.file("kinds/b.png"),
                   encodeImage(QImage(640, 480, QImage::Format_RGB32), "PNG"));
    QDir(dir.path()).mkpath("notes");
    QFile::copy(sample({}, 0, 1), dir.file("notes/a.jpg"));
    writeWholeFile(dir.file("notes/readme.txt"), "shot on a turntable");
    writeWholeFile(dir.file("taken.360"), "a user's file");
    writeWholeFile(dir.file("garbage.mp3"), "ID3garbage");
    // PNGs whose headers read well, the second with broken data: only opening the package made
    // finds it.
    QDir(dir.path()).mkpath("broken");
    QImage noise(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb(x * 37 % 256, y * 91 % 256, (x * y) % 256));
    QByteArray png = encodeImage(noise, "PNG");
    writeWholeFile(dir.file("broken/a.png"), png);
    for (qsizetype i = png.indexOf("IDAT") + 8, end = i + 20; i < end; ++i)
        png[i] = char(png[i] ^ 0x55);
    writeWholeFile(dir.file("broken/b.png"), png);

    const QString ring = dir.file("ring");
    const struct {
        QStringList args;
        QString says;
    } cases[] = {
        {{"--up", dir.file("five")},
         dir.file("five") + " (--up) holds 5 pictures, but the viewer needs 12 there"},
        {{"--up", dir.file("up2"), "--up", dir.file("six")},
         dir.file("six") + " (--up) holds 6 pictures, but the viewer needs 12 there"},
        {{"--down", dir.file("down2")}, "--down needs --up"},
        {{"--up", dir.file("up2"), "--start", "4"}, "--start 4 falls between the columns of"},
        {{"--start", "36"}, "--start 36 is outside the ring"},
        {{"--hotspot", "0:600,10,700,20"}, "reaches past the pictures, which are 640 x 480"},
        {{"--hotspot", "40:1,1,2,2"}, "image 40 is not a position of the ring"},
        {{"--repeat"}, "--repeat repeats the sound"},
        {{"--sound", dir.file("ring/DSC_1.JPG")}, "DSC_1.JPG is not an MP3 file"},
        {{"--sound", dir.file("garbage.mp3")},
         "garbage.mp3 is not an MP3 file: it holds no MPEG audio after its ID3 tag"},
        {{"--up", dir.file("missing")}, "--up " + dir.file("missing") + ": no such folder"},
    };
    for (const auto& c : cases) {
        const ToolRun run = runPack(
            QStringList{"make", dir.file("bad.360"), "--name", "pot", "--ring", ring} + c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
    const struct {
        QStringList args;
        QString says;
    } whole[] = {
        {{"--name", "pot", "--ring", dir.file("odd")},
         dir.file("odd/c.jpg") + " is 320 x 240 pixels, but " + dir.file("odd/a.jpg") +
             " is 640 x 480"},
        {{"--name", "pot", "--ring", dir.file("kinds")},
         dir.file("kinds/b.png") + " is a PNG picture, but " + dir.file("kinds/a.jpg") +
             " is JPEG"},
        {{"--name", "pot", "--ring", dir.file("notes")},
         dir.file("notes/readme.txt") + " is not a GIF, JPEG, PNG or BMP picture"},
        {{"--name", "my_Vase", "--ring", ring}, "the name \"my_Vase\" holds \"_V\""},
        {{"--name", "pot", "--ring", dir.file("broken")},
         "the package made does not open:\nCannot open bad.360.\n\nThe picture pot_H_0001.png "
         "cannot be decoded"},
        {{"--name", "pot", "--ring", dir.file("broken")},
         "(pot_H_0001.png is " + dir.file("broken/b.png")},
    };
    for (const auto& c : whole) {
        const ToolRun run = runPack(QStringList{"make", dir.file("bad.360")} + c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
    const ToolRun taken = runPack({"make", dir.file("taken.360"), "--name", "pot", "--ring", ring});
    EXPECT_EQ(taken.exitCode, 1);
    EXPECT_EQ(readWholeFile(dir.file("taken.360")), QByteArray("a user's file"));
    // Nothing written, nothing half-written left behind.
    EXPECT_FALSE(QFile::exists(dir.file("bad.360")));
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.360"}, QDir::Files | QDir::Hidden) ==
                QStringList{"taken.360"});
    // A dangling link as OUT is not written through.
    ASSERT_TRUE(QFile::link(dir.file("nowhere/x.360"), dir.file("dangling.360")));
    const ToolRun dangling =
        runPack({"make", dir.file("dangling.360"), "--name", "pot", "--ring", ring});
    EXPECT_EQ(dangling.exitCode, 1);
    EXPECT_TRUE(dangling.err.contains(dir.file("dangling.360") + " is a symbolic link to"))
        << dangling.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file("nowhere")));
}

} // namespace
