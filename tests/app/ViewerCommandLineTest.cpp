// Runs the real viewer program: help and version without a display, the one-line message when
// there is no display, usage errors, and a package path after "--" that starts with a dash.
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {

struct ViewerRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// The environment without any display; platform "" leaves Qt to pick its default. Qt's runtime
// folder is one of the test's, so that Qt has nothing to say about it.
QProcessEnvironment environment(const QString& platform, const QString& tmp = QString()) {
    static TempDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (!platform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    if (!tmp.isEmpty())
        env.insert(QStringLiteral("TMPDIR"), tmp);
    return env;
}

ViewerRun runViewer(const QStringList& args, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(GYRO_VIEWER), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    ViewerRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST(ViewerCommandLine, AnswersWithoutOpeningAWindow) {
    const struct {
        QStringList args;
        QString platform;
        int exitCode;
        QString out;
        QString err; // the start of standard error
    } cases[] = {
        {{"--version"}, {}, 0, "gyrolook " GYRO_VERSION_TEXT "\n", {}},
        {{"--help"}, {}, 0, {}, {}},
        {{"a.360", "--help"}, {}, 0, {}, {}},
        {{}, {}, 1, {}, "gyrolook: cannot open a window: no display is available"},
        {{"a.360"}, {}, 1, {}, "gyrolook: cannot open a window: no display is available"},
        {{"a.360", "b.360"}, "offscreen", 2, {}, "gyrolook: 2 packages were named"},
        {{"--", "--help", "b.360"}, "offscreen", 2, {}, "gyrolook: 2 packages were named"},
        {{"--open", "a.360"}, "offscreen", 2, {}, "gyrolook: unknown option \"--open\""},
        // Wrong arguments are told apart before any window system is asked for.
        {{"a.360", "b.360"}, {}, 2, {}, "gyrolook: 2 packages were named"},
        {{"--bogus"}, {}, 2, {}, "gyrolook: unknown option \"--bogus\""},
        {{"-style", "fusion", "-reverse", "a.360"}, {}, 1, {}, "gyrolook: cannot open a window"},
    };
    for (const auto& c : cases) {
        const ViewerRun run = runViewer(c.args, environment(c.platform));
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, c.exitCode) << what << ": " << run.err.toStdString();
        if (c.exitCode == 0 && c.args.contains("--help"))
            EXPECT_TRUE(run.out.startsWith("Usage: gyrolook")) << what;
        else
            EXPECT_EQ(run.out, c.out) << what;
        EXPECT_TRUE(run.err.startsWith(c.err)) << what << ": " << run.err.toStdString();
        // Failures say what is wrong in one line (and usage errors add the usage line).
        if (c.exitCode == 1) {
            EXPECT_EQ(run.err.count('\n'), 1) << what << ": " << run.err.toStdString();
        } else if (c.exitCode == 2) {
            EXPECT_TRUE(
                run.err.endsWith("usage: gyrolook [-h|--help] [-v|--version] [--] [PACKAGE.360]\n"))
                << what;
        }
    }
}

// The package opens (its private folder ends up holding only what stays extracted while the
// package is shown: the sound it plays); a termination signal ends the program,
// which removes the folder.
TEST(ViewerCommandLine, PathAfterDoubleDashOpensEvenWithALeadingDash) {
    TempDir dir;
    TempDir tmp;
    const QString package = dir.file(QStringLiteral("-teapot.360"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(GYRO_SAMPLE_PACKAGE), package));
    QProcess viewer;
    viewer.setProcessEnvironment(environment(QStringLiteral("offscreen"), tmp.path()));
    viewer.setWorkingDirectory(dir.path());
    viewer.start(QStringLiteral(GYRO_VIEWER),
                 {QStringLiteral("--"), QStringLiteral("-teapot.360")});
    ASSERT_TRUE(viewer.waitForStarted());
    bool opened = false;
    QElapsedTimer waited;
    waited.start();
    while (!opened && viewer.state() == QProcess::Running && waited.elapsed() < 120000) {
        for (const QString& folder : QDir(tmp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            opened = opened ||
                     QDir(tmp.file(folder)).entryList(QDir::Files) == QStringList{"house_lo.mp3"};
        QThread::msleep(50);
    }
    EXPECT_TRUE(opened) << viewer.readAllStandardError().toStdString();
    viewer.terminate();
    EXPECT_TRUE(viewer.waitForFinished(120000));
    EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tmp.entries(), QStringList{});
    EXPECT_TRUE(QFile::exists(package));
}

} // namespace
