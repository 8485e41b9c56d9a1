// Runs "gyrolook-pack export" as a separate process: what it refuses, and that a refusal leaves
// nothing behind. What the exports hold is read back by tests/export (a real browser and readers
// of their own).
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestPackage.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

namespace {

const QString kSample = QStringLiteral(GYRO_SAMPLE_PACKAGE);

TEST(ExportCommand, RefusalsNameTheProblemAndWriteNothing) {
    TempDir dir;
    TestPackage broken;
    broken.omitMembers = {QStringLiteral("obj_H_0007.png")};
    ASSERT_TRUE(broken.write(dir.file("broken.360")));
    QFile taken(dir.file("taken.webp"));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly) && taken.write("mine") == 4);
    taken.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir("page"));
    const QStringList before = dir.entries();

    struct Case {
        QStringList args;
        int exitCode;
        QString says;
    } const cases[] = {
        {{kSample, dir.file("taken.webp")}, 1, "exists already; not overwritten"},
        {{kSample, dir.file("page")}, 1, "exists already; not overwritten"},
        {{dir.file("broken.360"), dir.file("out.gif")}, 1, "obj_H_0007.png"},
        {{dir.file("missing.360"), dir.file("out")}, 1, "does not exist"},
        {{kSample, dir.file("out.png")}, 2, "must be a new folder or end in"},
        {{kSample, dir.file("out.webp"), "--ring", "5"}, 1, "no row 5 above"},
        {{kSample, dir.file("out.mp4"), "--ring", "-3"}, 1, "no row 3 below"},
        {{kSample, dir.file("out"), "--ring", "1"}, 2, "the page shows every ring"},
        {{kSample, dir.file("out.gif"), "--turns", "2"}, 2, "--turns is for videos"},
        {{kSample, dir.file("out.webm"), "--size", "0"}, 2, "--size must be"},
        {{kSample, dir.file("out.webm"), "--seconds", "nan"}, 2, "--seconds must be"},
        {{kSample, dir.file("out.gif"), "--autoplay", "once"}, 2, "is for the web page"},
        {{kSample, dir.file("out"), "--autoplay", "0"}, 2, "--autoplay must be"},
        {{kSample, dir.file("out"), "--drag-direction", "left"}, 2, "normal or reverse"},
        {{kSample, dir.file("out"), "--hotspot-label", "Lid"}, 2, "must be N=TEXT"},
        {{kSample, dir.file("out"), "--hotspot-label", "1= "}, 2, "must be N=TEXT"},
        {{kSample, dir.file("out"), "--hotspot-label", "2=Spout"}, 1, "no hot spot 2"},
    };
    for (const Case& c : cases) {
        const ToolRun run = runPack(QStringList{"export"} + c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        if (c.exitCode == 1) { // one line; a usage error adds the usage
            EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        }
        EXPECT_EQ(dir.entries(), before) << c.args.join(' ').toStdString();
    }
    QFile kept(dir.file("taken.webp"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "mine");
}

TEST(ExportCommand, APageHoldsEveryPictureTheViewerReachesAndPrintsItsEmbedSnippet) {
    TempDir dir;
    const ToolRun run =
        runPack({"export", kSample, dir.file("teapot page"), "--size", "320", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The frame keeps the page's proportion: 336 pixels wide at most, the picture's 3:4 below
    // 8 pixels of margin a side, and the row of controls.
    EXPECT_TRUE(run.out.contains("<div style=\"max-width:336px\"><div style=\"position:relative;"
                                 "padding-bottom:calc((100% - 16px) * 240 / 320 + 58px)\">"
                                 "<iframe src=\"teapot%20page/index.html\" title=\"teapot, "
                                 "turnable view\""))
        << run.out.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_EQ(dir.entries(), QStringList{"teapot page"}); // nothing hidden left beside it
    const QDir page(dir.file("teapot page"));
    EXPECT_EQ(page.entryList(QDir::Files),
              (QStringList{"index.html", "spin-data.js", "spin-input.js", "spin-view.js",
                           "spin.css", "spin.js"}));
    const QStringList pictures = QDir(page.filePath("pictures")).entryList(QDir::Files);
    ASSERT_EQ(pictures.size(), 108);
    EXPECT_TRUE(pictures.contains("teapot_M33_0003.jpg"));
    EXPECT_TRUE(pictures.contains("teapot_V00_0005.jpg"));
    EXPECT_EQ(QImage(page.filePath("pictures/teapot_H_0000.jpg")).size(), QSize(320, 240));
    // Twice as large for sharp screens, as far as the 640 x 480 photos go.
    EXPECT_EQ(QDir(page.filePath("pictures/2x")).entryList(QDir::Files), pictures);
    EXPECT_EQ(QImage(page.filePath("pictures/2x/teapot_M33_0003.jpg")).size(), QSize(640, 480));
    const ToolRun whole = runPack({"export", kSample, dir.file("whole"), "--size", "600"});
    ASSERT_EQ(whole.exitCode, 0) << whole.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.file("whole/pictures/2x")));
}

TEST(ExportCommand, APageIsTitledByThePackagesNameNotItsFileName) {
    TempDir dir;
    ASSERT_TRUE(QFile::copy(kSample, dir.file("shop item 12.360")));
    const ToolRun run = runPack(
        {"export", dir.file("shop item 12.360"), dir.file("page"), "--size", "160", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("title=\"teapot, turnable view\"")) << run.out.toStdString();
    QFile index(dir.file("page/index.html"));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(index.readAll());
    EXPECT_TRUE(html.contains("<title>teapot</title>")) << html.left(400).toStdString();
    EXPECT_FALSE(html.contains("shop item")) << html.left(400).toStdString();
}

TEST(ExportCommand, WeighsWhatTheEncoderHoldsBeforeAnyFrame) {
    // The sample's 640 x 480 GIF: one frame made ahead holds about 3.5 MB, the GIF encoder 23.4
    // MB, 10 MB stay free for the rest; the walk's own first picture needs 12 MB.
    TempDir dir;
    const struct {
        qint64 free;
        int exitCode;
        const char* says;
    } cases[] = {
        {30'000'000, 1,
         "gyrolook-pack export: 36 frames of 640 x 480 need 37 MB: the GIF encoder holds 24 MB and "
         "one frame made ahead 4 MB, and 30 MB of memory are free.\n"},
        {38'500'000, 0, "1 made at once"},
        {60'000'000, 0, "2 made at once"},
    };
    for (const auto& c : cases) {
        const ToolRun run = runPack({"export", kSample, dir.file("spin.gif"), "--free-memory",
                                     QString::number(c.free), "--verbose", "--quiet"});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.free << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_EQ(QFileInfo::exists(dir.file("spin.gif")), c.exitCode == 0);
        QFile::remove(dir.file("spin.gif"));
    }
    EXPECT_TRUE(dir.entries().isEmpty()) << dir.entries().join(' ').toStdString();
}

TEST(ExportCommand, EveryKindIsWrittenWhole) {
    TempDir dir;
    for (const char* name : {"spin.webp", "spin.gif", "spin.mp4", "spin.webm"}) {
        const ToolRun run = runPack({"export", kSample, dir.file(name), "--size", "64"});
        EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.contains("36 frames of 64 x 48, 6 s")) << run.out.toStdString();
        EXPECT_GT(QFileInfo(dir.file(name)).size(), 1000) << name;
    }
    EXPECT_EQ(dir.entries(), (QStringList{"spin.gif", "spin.mp4", "spin.webm", "spin.webp"}));
}

} // namespace
