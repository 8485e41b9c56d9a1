// Runs "gyrolook-pack check" as a separate process on real and broken packages.
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/TestPackage.h"
#include "support/ToolRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QJsonObject checkJson(const QStringList& args, int expectedExit) {
    const ToolRun run =
        runPack(QStringList{QStringLiteral("check"), QStringLiteral("--json")} + args);
    EXPECT_EQ(run.exitCode, expectedExit) << run.err.toStdString();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    return document.object();
}

TEST(CheckCommand, SamplePackage) {
    const QJsonObject result = checkJson({QStringLiteral(GYRO_SAMPLE_PACKAGE)}, 0);
    EXPECT_TRUE(result[QStringLiteral("ok")].toBool());
    EXPECT_EQ(result[QStringLiteral("message")].toString(), QString());
    const struct {
        const char* key;
        double value;
    } counters[] = {{"sngHCount", 36}, {"bytVCount", 48},      {"bytVColumns", 12},
                    {"bytVRows", 4},   {"bytMCount", 24},      {"bytMColumns", 12},
                    {"bytMRows", 2},   {"sngUnzipCount", 110}, {"sngMaxFileLen", 116320},
                    {"slots", 108},    {"skippedMembers", 1}}; // the credits
    for (const auto& c : counters)
        EXPECT_EQ(result[QString::fromLatin1(c.key)].toDouble(), c.value) << c.key;
    const QJsonArray upper = result[QStringLiteral("UpperRing")].toArray();
    ASSERT_EQ(upper.size(), 37);
    EXPECT_EQ(upper[0].toInt(), 37);
    EXPECT_EQ(upper[1].toInt(), 255);
    EXPECT_EQ(result[QStringLiteral("LowerRing")].toArray()[33].toInt(), 107);
    EXPECT_EQ(result[QStringLiteral("storage")].toString(), QStringLiteral("decoded"));
    EXPECT_EQ(result[QStringLiteral("sound")].toString(), QStringLiteral("house_lo.mp3"));
    EXPECT_EQ(result[QStringLiteral("hotspots")].toObject()[QStringLiteral("count")].toInt(), 1);
}

TEST(CheckCommand, PicturesAreReadAtTheScreenLevelOfTheScreenGiven) {
    // The sample stores its 108 photos of 640 x 480 uncompressed: at a screen level the viewer
    // holds each level (4 bytes a pixel at most) and two whole decodes, not the files.
    const struct {
        const char* screen;
        int level;
        double viewerBytes;
    } cases[] = {{"1920x1080", 1, 108. * 640 * 480 * 4},
                 {"700x500", 1, 108. * 640 * 480 * 4},
                 {"320x240", 2, 108. * 320 * 240 * 4 + 2. * 640 * 480 * 4},
                 {"100x140", 8, 108. * 80 * 60 * 4 + 2. * 640 * 480 * 4}};
    for (const auto& c : cases) {
        const QJsonObject result = checkJson(
            {QStringLiteral(GYRO_SAMPLE_PACKAGE), QStringLiteral("--screen"), c.screen}, 0);
        EXPECT_EQ(result[QStringLiteral("screenLevel")].toInt(), c.level) << c.screen;
        EXPECT_EQ(result[QStringLiteral("slots")].toInt(), 108) << c.screen;
        EXPECT_EQ(result[QStringLiteral("viewerBytes")].toDouble(), c.viewerBytes) << c.screen;
    }
}

TEST(CheckCommand, PlainSummaryComesFirst) {
    const QString summary = QStringLiteral("108 photos: 36 around, 4 rows above, 2 rows below; "
                                           "640 x 480; up to about 133 MB in the viewer on a 1920 "
                                           "x 1080 screen");
    const ToolRun text = runPack({QStringLiteral("check"), QStringLiteral(GYRO_SAMPLE_PACKAGE)});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.startsWith(summary + QLatin1Char('\n'))) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("\nsngHCount 36\n")));
    EXPECT_EQ(checkJson({QStringLiteral(GYRO_SAMPLE_PACKAGE)}, 0)[QStringLiteral("summary")],
              summary);
    const ToolRun refused = runPack({QStringLiteral("check"), QStringLiteral("missing.360")});
    EXPECT_TRUE(refused.out.startsWith(
        QStringLiteral("The viewer would not open it: Cannot open missing.360.")))
        << refused.out.toStdString();
}

TEST(CheckCommand, MessagesTheViewerWouldShow) {
    TempDir dir;
    TestPackage package;
    ASSERT_TRUE(package.write(dir.file(QStringLiteral("small.360"))));
    writeWholeFile(dir.file(QStringLiteral("junk.360")), QByteArray("not an archive"));
    // What a 360-degree camera writes under the same ending: an MP4 video.
    writeWholeFile(dir.file(QStringLiteral("video.360")),
                   QByteArray("\0\0\0\x18", 4) + "ftypmp41" + QByteArray(3000, 'm'));
    ASSERT_TRUE(package.write(dir.file(QStringLiteral("small.zip"))));
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{dir.file(QStringLiteral("small.360")), QStringLiteral("--free-memory"),
          QStringLiteral("1000")},
         "Sorry, not enough space in memory to load these images. Space available = 1000. Space "
         "required = "},
        {{dir.file(QStringLiteral("junk.360"))}, "Cannot open junk.360.\n\njunk.360 is not a ZIP"},
        {{dir.file(QStringLiteral("video.360"))},
         "Cannot open video.360.\n\nvideo.360 is an MP4 video, not a package"},
        {{dir.file(QStringLiteral("small.zip"))}, "Wrong file type!!"},
        {{dir.file(QStringLiteral("missing.360"))}, "Cannot open missing.360."},
    };
    for (const auto& c : cases) {
        const QJsonObject result = checkJson(c.args, 1);
        EXPECT_FALSE(result[QStringLiteral("ok")].toBool());
        EXPECT_TRUE(
            result[QStringLiteral("message")].toString().startsWith(QString::fromLatin1(c.message)))
            << result[QStringLiteral("message")].toString().toStdString();
    }
}

TEST(CheckCommand, WarnsOfRingsTheViewerCannotReach) {
    TempDir dir;
    TestPackage every2;
    every2.upper = TestPackage::evenRings(36, 2, 1);
    TestPackage every3;
    every3.upper = TestPackage::evenRings(36, 3, 1);
    ASSERT_TRUE(every2.write(dir.file(QStringLiteral("two.360"))));
    ASSERT_TRUE(every3.write(dir.file(QStringLiteral("three.360"))));
    const QJsonObject two = checkJson({dir.file(QStringLiteral("two.360"))}, 0);
    const QJsonArray warnings = two[QStringLiteral("warnings")].toArray();
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_TRUE(warnings[0].toString().contains(QStringLiteral("positions 2, 4, 8")));
    EXPECT_TRUE(checkJson({dir.file(QStringLiteral("three.360"))}, 0)[QStringLiteral("warnings")]
                    .toArray()
                    .isEmpty());
    const ToolRun text = runPack({QStringLiteral("check"), dir.file(QStringLiteral("two.360"))});
    EXPECT_TRUE(text.err.contains(QStringLiteral("gyrolook-pack check: warning: the upper rings")))
        << text.err.toStdString();
}

} // namespace
