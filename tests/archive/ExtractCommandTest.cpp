// gyrolook-pack extract, run as a separate program.
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/ZipBuilder.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
};

ToolRun runExtract(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(GYRO_PACK_TOOL), QStringList{QStringLiteral("extract")} + args);
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    return run;
}

} // namespace

TEST(ExtractCommand, PrintsTheResultAndEveryCounter) {
    TempDir dir;
    const ToolRun run = runExtract({QStringLiteral(GYRO_SAMPLE_PACKAGE), dir.file("out")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("result 0\nsngUnzipCount 111\nsngHCount 36\n"
                                      "sngMaxFileLen 116320\nbytVCount 48\nbytVColumns 12\n"
                                      "bytVRows 4\nbytMCount 24\nbytMColumns 12\nbytMRows 2\n"));
}

TEST(ExtractCommand, RefusalsEndWithTheLibraryMessage) {
    TempDir dir;
    ZipMember locked = storedMember("locked_H_0000.jpg", "x");
    locked.data = QByteArray(12, 'k') + "x";
    locked.flags = 1;
    writeWholeFile(dir.file("evil.360"), buildZip({storedMember("../../escape.jpg", "e"), locked,
                                                   storedMember("good_H_0001.jpg", "g")}));
    const ToolRun run = runExtract({dir.file("evil.360"), dir.file("out"),
                                    QStringLiteral("--password"), QStringLiteral("guess")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("result 1\nsngUnzipCount 1\nsngHCount 1\n")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(
        QStringLiteral("../../escape.jpg: refused (the name points outside the extraction "
                       "folder)\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("locked_H_0000.jpg: wrong password")));
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("evil.360: 2 of 3 members were not extracted\n")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"evil.360", "out"}));
}
