// Runs "gyrolook-pack probe" as a separate process and checks its lines and exit status.
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/ToolRun.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

// PNG signature and IHDR of an 8-bit RGB picture of the given size.
QByteArray rgbPngHeader(quint16 width, quint16 height) {
    QByteArray bytes("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    const char size[8] = {0, 0, char(width >> 8),  char(width & 0xFF),
                          0, 0, char(height >> 8), char(height & 0xFF)};
    bytes.append(size, 8).append("\x08\x02\0\0\0", 5);
    return bytes;
}

struct ProbeRunCase {
    const char* name;
    QStringList files; // names inside the test folder; "." is the folder itself
    QString expectedOut;
    int expectedExit;
};

TEST(ProbeCommand, PrintsOneLinePerFileAndFailsOnErrors) {
    TempDir dir;
    writeWholeFile(dir.file(QStringLiteral("a.png")), rgbPngHeader(320, 200));
    writeWholeFile(dir.file(QStringLiteral("b.gif")), "GIF");
    writeWholeFile(dir.file(QStringLiteral("c.txt")), "plain text");
    QByteArray overflow = rgbPngHeader(10, 10);
    overflow[24] = char(100);
    writeWholeFile(dir.file(QStringLiteral("d.png")), overflow);

    const ProbeRunCase cases[] = {
        {"recognised_and_not",
         {"a.png", "b.gif", "c.txt", "missing.jpg"},
         "3 320 200 24\n1 0 0 1\n0 0 0 0\n0 0 0 0\n",
         0},
        {"folder",
         {"a.png", ".", "b.gif"},
         "3 320 200 24\nerror: Path/File access error\n1 0 0 1\n",
         1},
        {"overflow", {"d.png"}, "error: Overflow\n", 1},
    };
    for (const ProbeRunCase& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList args{QStringLiteral("probe")};
        for (const QString& name : c.files)
            args.append(name == QLatin1String(".") ? dir.path() : dir.file(name));
        const ToolRun run = runPack(args);
        EXPECT_EQ(run.out.toStdString(), c.expectedOut.toStdString());
        EXPECT_EQ(run.exitCode, c.expectedExit);
    }
}

TEST(ProbeCommand, NoFileShowsUsage) {
    const ToolRun run = runPack({QStringLiteral("probe")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(QStringLiteral("usage"))) << run.err.toStdString();
}

} // namespace
