// gyrolook-pack extract, run as a separate program.
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/TestPackage.h"
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
    EXPECT_EQ(run.out, QStringLiteral("result 0\nsngUnzipCount 110\nsngHCount 36\n"
                                      "sngMaxFileLen 116320\nbytVCount 48\nbytVColumns 12\n"
                                      "bytVRows 4\nbytMCount 24\nbytMColumns 12\nbytMRows 2\n"
                                      "skipped 1 member(s) the viewer does not use; --all "
                                      "extracts them too\n"));
}

TEST(ExtractCommand, RefusalsEndWithTheLibraryMessage) {
    TempDir dir;
    ZipMember locked = storedMember("locked_H_0000.jpg", "x");
    locked.data = QByteArray(12, 'k') + "x";
    locked.flags = 1;
    writeWholeFile(dir.file("evil.360"), buildZip({storedMember("../../escape.jpg", "e"), locked,
                                                   storedMember("good_H_0001.jpg", "g")}));
    const ToolRun run = runExtract({dir.file("evil.360"), dir.file("out"), QStringLiteral("--all"),
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

// Without --all only what the viewer keeps is written, and what was left is counted.
TEST(ExtractCommand, WritesWhatTheViewerKeepsUnlessAll) {
    TempDir dir;
    TestPackage package;
    package.horizontal = 3;
    package.extraMembers = {{"backup/huge.bin", QByteArray(200000, 'b')}, {"notes.txt", "n"}};
    ASSERT_TRUE(package.write(dir.file("pkg.360")));
    const QStringList kept = {"info.ini", "obj_H_0000.png", "obj_H_0001.png", "obj_H_0002.png"};
    const struct {
        const char* name;
        QStringList options;
        QStringList written;
        const char* says;
    } cases[] = {
        {"what the viewer keeps", {}, kept, "skipped 2 member(s) the viewer does not use"},
        {"every member", {"--all"}, kept + QStringList{"huge.bin", "notes.txt"}, "result 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = dir.file(c.name);
        const ToolRun run = runExtract(QStringList{dir.file("pkg.360"), out} + c.options);
        EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
        QStringList written = QDir(out).entryList(QDir::Files);
        written.sort(Qt::CaseInsensitive);
        QStringList expected = c.written;
        expected.sort(Qt::CaseInsensitive);
        EXPECT_EQ(written, expected);
        EXPECT_TRUE(run.out.contains(QString::fromUtf8(c.says))) << run.out.toStdString();
    }
}
