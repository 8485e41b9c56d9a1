// "gyrolook-pack make" on camera folders: photos made anew (--fit, --auto-rotate, --strip), the
// folder's odd entries refused all at once or skipped, and interrupts that leave nothing behind.
#include "pictures/JpegDecoder.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/ToolRun.h"
#include "tools/photo/ExifOrientation.h"
#include "tools/photo/JpegEncoder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTransform>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

namespace {

const QString kSamples = QStringLiteral(GYRO_SOURCE_DIR "/data/samples/teapot/");

QByteArray member(const QString& archive, const QString& name) {
    zip_t* zip = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, nullptr);
    QByteArray bytes;
    zip_stat_t stat;
    if (zip && zip_stat(zip, name.toUtf8().constData(), 0, &stat) == 0) {
        zip_file_t* file = zip_fopen(zip, name.toUtf8().constData(), 0);
        bytes.resize(qsizetype(stat.size));
        zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
    }
    if (zip)
        zip_close(zip);
    return bytes;
}

// An APP1 segment's data holding only Orientation = `orientation` (big-endian TIFF).
QByteArray exif(int orientation) {
    return QByteArray::fromHex("457869660000"
                               "4d4d002a00000008"
                               "0001"
                               "01120003000000010006000000000000")
        .replace(25, 1, QByteArray(1, char(orientation)));
}

// A photo of `size` with a fine one-pixel checkerboard on the left half (texture that aliases
// when scaled carelessly), the sample render on the right and a red corner at the top left.
QImage texturedPhoto(QSize size) {
    QImage image = QImage(kSamples + "teapot_H_0003.jpg")
                       .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width() / 2; ++x)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

double meanDifference(const QImage& a, const QImage& b, QRect area) {
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * area.width() * area.height());
}

TEST(MakePhotos, FitRotateAndStripMakeThePhotosAnew) {
    TempDir dir;
    QDir(dir.path()).mkpath("ring");
    const QImage photo = texturedPhoto(QSize(1500, 1000));
    const JpegDecoder::Marker icc{0xE2, QByteArray("ICC_PROFILE\0\1\1profile", 20)};
    const JpegDecoder::Marker note{0xFE, "taken on a turntable"};
    for (int i = 0; i < 6; ++i) { // photo 2 stored a quarter turn back, to be turned upright
        const bool turned = i == 2;
        const QImage stored = turned ? photo.transformed(QTransform().rotate(270)) : photo;
        writeWholeFile(dir.file(QStringLiteral("ring/IMG_%1.jpg").arg(i)),
                       JpegEncoder::encode(stored, 95, {{0xE1, exif(turned ? 6 : 1)}, icc, note}));
    }
    ASSERT_EQ(JpegDecoder::header(readWholeFile(dir.file("ring/IMG_0.jpg"))).markers.size(), 3);
    const ToolRun run = runPack({"make", dir.file("fit.360"), "--name", "pot", "--ring",
                                 dir.file("ring"), "--fit", "600", "--auto-rotate", "--strip"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // A plain copy of the same photos at the size they had: the bytes stay.
    const ToolRun plain = runPack({"make", dir.file("plain.360"), "--name", "pot", "--ring",
                                   dir.file("ring"), "--auto-rotate"});
    EXPECT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    EXPECT_EQ(member(dir.file("plain.360"), "pot_H_0000.jpg"),
              readWholeFile(dir.file("ring/IMG_0.jpg")));

    const QImage reference =
        photo.scaled(600, 400, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int i : {0, 2}) {
        SCOPED_TRACE(i);
        const QByteArray bytes = member(
            dir.file("fit.360"), QStringLiteral("pot_H_%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
        const JpegDecoder::Scaled made = JpegDecoder::decodeScaled(bytes, QSize(), true);
        ASSERT_TRUE(made.problem.isEmpty()) << made.problem.toStdString();
        EXPECT_EQ(made.fullSize, QSize(600, 400)); // upright, longest side 600
        ASSERT_EQ(made.markers.size(), 1);         // only the colour profile is left
        EXPECT_EQ(made.markers[0].data, icc.data);
        // Red still at the top left: photo 2 was turned upright.
        EXPECT_GT(qRed(made.image.pixel(5, 5)), 200);
        EXPECT_LT(qGreen(made.image.pixel(5, 5)), 60);
        // The render half matches a reference downscale; the checkerboard became even grey.
        EXPECT_LT(meanDifference(made.image, reference, QRect(320, 20, 270, 370)), 3.0);
        int lowest = 255, highest = 0;
        for (int y = 60; y < 390; ++y)
            for (int x = 60; x < 290; ++x) {
                lowest = std::min(lowest, qGreen(made.image.pixel(x, y)));
                highest = std::max(highest, qGreen(made.image.pixel(x, y)));
            }
        EXPECT_LT(highest - lowest, 24) << "the fine texture aliased into a pattern";
    }
    // Without --strip the EXIF data stays, with orientation 1 written.
    const ToolRun kept = runPack({"make", dir.file("kept.360"), "--name", "pot", "--ring",
                                  dir.file("ring"), "--auto-rotate", "--quality", "80"});
    ASSERT_EQ(kept.exitCode, 0) << kept.err.toStdString();
    const JpegDecoder::Scaled turned =
        JpegDecoder::header(member(dir.file("kept.360"), "pot_H_0002.jpg"));
    EXPECT_EQ(turned.fullSize, QSize(1500, 1000));
    ASSERT_EQ(turned.markers.size(), 3);
    EXPECT_EQ(ExifOrientation::read(turned.markers[0].data), 1);
    EXPECT_EQ(turned.markers[2].data, note.data);
}

TEST(MakePhotos, FolderEntriesThatAreNoPhotosAreRefusedTogetherCompanionsSkipped) {
    TempDir dir;
    QDir(dir.path()).mkpath("ring");
    for (int i = 0; i < 3; ++i)
        QFile::copy(kSamples + QStringLiteral("teapot_H_000%1.jpg").arg(i),
                    dir.file(QStringLiteral("ring/DSC_%1.JPG").arg(i)));
    for (const char* name : {"ring/Thumbs.db", "ring/desktop.ini", "ring/.DS_Store",
                             "ring/DSC_1.xmp", "ring/DSC_1.THM", "ring/DSC_2.NEF", "ring/old.360"})
        writeWholeFile(dir.file(name), "not a photo");
    writeWholeFile(dir.file("ring/notes.txt"), "shot on a turntable");
    writeWholeFile(dir.file("ring/DSC_7.NEF"), "a raw file without its JPEG");
    QFile::link(dir.file("ring/gone.jpg"), dir.file("ring/broken.jpg"));
    QFile::link(dir.file("ring/loop2.jpg"), dir.file("ring/loop1.jpg"));
    QFile::link(dir.file("ring/loop1.jpg"), dir.file("ring/loop2.jpg"));
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.file("ring/pipe.jpg")).constData(), 0600), 0);
    const ToolRun run =
        runPack({"make", dir.file("out.360"), "--name", "pot", "--ring", dir.file("ring")});
    EXPECT_EQ(run.exitCode, 1);
    for (const QString& says :
         {dir.file("ring/notes.txt") + " is not a GIF, JPEG, PNG or BMP picture",
          dir.file("ring/DSC_7.NEF") + " is not", dir.file("ring/broken.jpg") + ": a broken",
          dir.file("ring/loop1.jpg") + ": a symbolic link that leads round in a loop",
          dir.file("ring/pipe.jpg") + ": a FIFO"})
        EXPECT_TRUE(run.err.contains(says)) << says.toStdString() << "\n" << run.err.toStdString();
    EXPECT_EQ(run.err.count("gyrolook-pack make: these are not photos"), 1);
    for (const char* name : {"Thumbs.db", "desktop.ini", ".DS_Store", "DSC_1.xmp", "DSC_1.THM",
                             "DSC_2.NEF", "old.360"})
        EXPECT_EQ(run.err.count(dir.file(QStringLiteral("ring/") + name) + ": "), 1) << name;
    EXPECT_FALSE(QFile::exists(dir.file("out.360")));
}

// Runs make or sheet, stops it with `signal` once it has had `delay` ms, and reports its exit
// and what it said on standard error.
int interrupted(const QStringList& args, const QString& tmp, int signal, int delay, QString& err) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", tmp);
    environment.insert("XDG_RUNTIME_DIR", tmp + "-runtime"); // Qt's own, not the command's
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(GYRO_PACK_TOOL), args);
    process.waitForStarted();
    process.waitForFinished(delay);
    if (process.state() == QProcess::Running)
        ::kill(pid_t(process.processId()), signal);
    process.waitForFinished(60000);
    err = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

TEST(MakePhotos, InterruptsLeaveNothingBehind) {
    TempDir dir;
    QDir(dir.path()).mkpath("ring");
    QDir(dir.path()).mkpath("out");
    QDir(dir.path()).mkpath("tmp");
    const QByteArray big = JpegEncoder::encode(texturedPhoto(QSize(3000, 2000)), 95);
    for (int i = 0; i < 36; ++i)
        writeWholeFile(dir.file(QStringLiteral("ring/P%1.jpg").arg(i)), big);
    const ToolRun made = runPack(
        {"make", dir.file("whole.360"), "--name", "pot", "--ring", dir.file("ring"), "--quiet"});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const struct {
        QStringList args;
        int signal;
    } cases[] = {
        {{"make", dir.file("out/a.360"), "--name", "pot", "--ring", dir.file("ring"), "--fit",
          "1000"},
         SIGINT},
        {{"make", dir.file("out/b.360"), "--name", "pot", "--ring", dir.file("ring")}, SIGTERM},
        {{"sheet", dir.file("whole.360"), dir.file("out/c.png")}, SIGHUP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        bool stopped = false;
        for (int delay : {1500, 800, 400, 200, 100, 50}) {
            QString err;
            const int exit = interrupted(c.args, dir.file("tmp"), c.signal, delay, err);
            EXPECT_TRUE(exit == 128 + c.signal || exit == 0) << exit;
            // One line says why it ended, and nothing the removal caused comes before it.
            if (exit == 128 + c.signal) {
                const QStringList lines = err.split('\n', Qt::SkipEmptyParts);
                EXPECT_EQ(lines.value(lines.size() - 1), "gyrolook-pack: interrupted");
                EXPECT_FALSE(err.contains("missing") || err.contains("cannot"))
                    << err.toStdString();
            }
            const bool sheet = c.args.at(0) == QLatin1String("sheet");
            const QString out = c.args.at(sheet ? 2 : 1);
            if (QFile::exists(out)) {
                // It finished first, or the signal came once the result was in place: then the
                // result is whole. Remove it and try sooner.
                int zipError = 0;
                zip_t* archive = sheet ? nullptr
                                       : zip_open(QFile::encodeName(out).constData(),
                                                  ZIP_CHECKCONS | ZIP_RDONLY, &zipError);
                EXPECT_TRUE(sheet ? !QImage(out).isNull() : archive != nullptr) << exit;
                if (archive)
                    zip_discard(archive);
                QFile::remove(out);
            } else {
                stopped = stopped || exit == 128 + c.signal;
            }
            EXPECT_EQ(QDir(dir.file("out"))
                          .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                      QStringList());
            EXPECT_EQ(QDir(dir.file("tmp"))
                          .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                      QStringList());
            if (stopped)
                break;
        }
        EXPECT_TRUE(stopped);
    }
}

// A signal at any moment of the opening (the extraction's threads still writing into the private
// folder) leaves no folder behind.
TEST(MakePhotos, AStopAtAnyMomentOfTheExtractionLeavesNoFolder) {
    TempDir dir;
    QDir(dir.path()).mkpath("tmp");
    const auto sheetTo = [&](int delay) {
        return QStringList{"sheet", QStringLiteral(GYRO_SAMPLE_PACKAGE),
                           dir.file(QStringLiteral("s%1.png").arg(delay))};
    };
    // The signals are spread over the time a whole run takes on this machine, so that most of
    // them come while the command is still at work, however fast or loaded the machine is.
    QElapsedTimer whole;
    whole.start();
    QString err;
    ASSERT_EQ(interrupted(sheetTo(0), dir.file("tmp"), SIGTERM, 600000, err), 0)
        << err.toStdString();
    const int span = std::max(40, int(whole.elapsed() * 8 / 10));
    int stopped = 0;
    constexpr int kRuns = 40;
    for (int i = 1; i <= kRuns; ++i) {
        const int delay = span * i / kRuns;
        const int exit = interrupted(sheetTo(delay), dir.file("tmp"), SIGTERM, delay, err);
        stopped += exit == 128 + SIGTERM;
        EXPECT_EQ(
            QDir(dir.file("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList())
            << delay << " ms";
    }
    // Enough of them stopped at work for the test to mean something: the first run's time is only
    // an estimate of the others' on a machine whose load changes.
    EXPECT_GE(stopped, kRuns / 4);
}

TEST(MakePhotos, EveryCommandTakesHelp) {
    for (const char* command :
         {"probe", "create", "extract", "check", "make", "sheet", "thumbnail"}) {
        const ToolRun run = runPack({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_TRUE(run.out.contains(QLatin1String(command))) << command;
    }
    EXPECT_TRUE(runPack({"make", "--help"}).out.contains("--auto-rotate"));
}

} // namespace
