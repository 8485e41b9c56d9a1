// "gyrolook-pack make" with the turntable options on a small synthetic shoot (TurntableShoot: the
// sample renders on grey paper, off the axis, flickering, noisy): the package the viewer opens,
// the report of --dry-run and the sheet of --preview.
#include "support/HeadlessOpening.h"
#include "support/TempDir.h"
#include "support/ToolRun.h"
#include "support/TurntableShoot.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const QString kRenders = QStringLiteral(GYRO_SOURCE_DIR "/data/samples/teapot");

// A ring of 12 and a row above of 4, shot with a third more light.
void writeShoot(const TempDir& dir) {
    TurntableShoot::Settings ring;
    ring.size = QSize(320, 240);
    ring.frames = 12;
    ring.noise = 3;
    QDir(dir.path()).mkpath("ring");
    QDir(dir.path()).mkpath("up");
    ASSERT_TRUE(TurntableShoot(kRenders, ring).write(dir.file("ring")));
    TurntableShoot::Settings up = ring;
    up.frames = 4;
    up.exposure = 1.3;
    up.seed = 2;
    ASSERT_TRUE(TurntableShoot(kRenders, up).write(dir.file("up")));
}

struct Look {
    QPointF centre;       // of the pixels that are not white
    double level = 0;     // their mean green
    double whiteEdge = 0; // share of white pixels in the band 8 pixels along the edges
};

Look look(const QImage& picture) {
    Look l;
    double n = 0, edge = 0, white = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            const bool isWhite = qRed(p) >= 250 && qGreen(p) >= 250 && qBlue(p) >= 250;
            if ((x < 12 || x >= picture.width() - 12) && (y < 12 || y >= picture.height() - 12)) {
                ++edge;
                white += isWhite;
            }
            if (std::min({qRed(p), qGreen(p), qBlue(p)}) < 200) {
                l.centre += QPointF(x + 0.5, y + 0.5);
                l.level += qGreen(p);
                ++n;
            }
        }
    l.centre /= n;
    l.level /= n;
    l.whiteEdge = white / edge;
    return l;
}

const QStringList kStudio = {"--crop",          "auto",       "--centre",
                             "--even-exposure", "--backdrop", "white"};

TEST(MakeStudio, AllOptionsMakeACleanSpinTheViewerOpens) {
    TempDir dir;
    writeShoot(dir);
    const QString out = dir.file("pot.360");
    const ToolRun run =
        runPack(QStringList{"make", out, "--name", "pot", "--ring", dir.file("ring"), "--up",
                            dir.file("up"), "--fit", "240", "--quiet"} +
                kStudio);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const Opened opened = openPackageFile(out);
    ASSERT_TRUE(opened.ok) << opened.problem.toStdString();
    EXPECT_EQ(opened.slots.heldCount(), 16);

    ASSERT_EQ(runPack({"extract", out, dir.file("x")}).exitCode, 0);
    QList<QImage> ring, up;
    for (int i = 0; i < 12; ++i)
        ring << QImage(dir.file(QStringLiteral("x/pot_H_%1.jpg").arg(i, 4, 10, QLatin1Char('0'))));
    for (int c = 0; c < 12; c += 3)
        up << QImage(
            dir.file(QStringLiteral("x/pot_V%1_0002.jpg").arg(c, 2, 10, QLatin1Char('0'))));
    // One crop, to the object's proportions rather than the photo's.
    const QSize size = ring.first().size();
    EXPECT_GT(std::abs(double(size.width()) / size.height() - 320.0 / 240), 0.2);
    EXPECT_LE(std::max(size.width(), size.height()), 240);
    double left = 1e9, right = -1e9, ringLevel = 0, upLevel = 0;
    for (const QImage& picture : ring + up) {
        ASSERT_EQ(picture.size(), size);
        const Look l = look(picture);
        EXPECT_GE(l.whiteEdge, 0.99);
        (up.contains(picture) ? upLevel : ringLevel) += l.level;
        if (!up.contains(picture)) {
            left = std::min(left, l.centre.x());
            right = std::max(right, l.centre.x());
        }
    }
    // The object turns in place (it swung 32 pixels of 320, 24 of these); the row above keeps
    // its own light.
    EXPECT_LE(right - left, 2.0);
    EXPECT_GT(upLevel / 4, 1.15 * ringLevel / 12);
}

TEST(MakeStudio, DryRunReportsAndPreviewShowsBeforeAndAfter) {
    TempDir dir;
    writeShoot(dir);
    const QString out = dir.file("pot.360");
    const QStringList make = {"make",           out,    "--name",       "pot",    "--ring",
                              dir.file("ring"), "--up", dir.file("up"), "--quiet"};
    const ToolRun dry = runPack(make + kStudio + QStringList{"--dry-run"});
    ASSERT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    const QRegularExpression line(QStringLiteral("^ring .*: crop (\\d+) x (\\d+) at \\d+,\\d+; "
                                                 "swing ([\\d.]+) px across.*exposure spread "
                                                 "([\\d.]+) % as shot, ([\\d.]+) % evened$"),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch found = line.match(dry.out);
    ASSERT_TRUE(found.hasMatch()) << dry.out.toStdString();
    EXPECT_LT(found.captured(1).toInt(), 320);
    EXPECT_NEAR(found.captured(3).toDouble(), 16, 2); // 5 % of 320
    EXPECT_GT(found.captured(4).toDouble(), 10);
    EXPECT_LT(found.captured(5).toDouble(), found.captured(4).toDouble() / 2);
    EXPECT_TRUE(dry.out.contains(QStringLiteral("\n--up ")));

    const ToolRun preview = runPack(make + kStudio + QStringList{"--preview", dir.file("p.png")});
    ASSERT_EQ(preview.exitCode, 0) << preview.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
    const QImage sheet(dir.file("p.png"));
    ASSERT_FALSE(sheet.isNull());
    EXPECT_EQ(sheet.width(), 1200);
    // A second preview does not overwrite the first.
    EXPECT_EQ(runPack(make + QStringList{"--preview", dir.file("p.png")}).exitCode, 1);
}

} // namespace
