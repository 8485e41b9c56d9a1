// What a stop signal removes: the real signal, sent to a child process that registered its files
// the way the commands do, ends it with 128 + the signal and takes exactly the registered paths.
#include "tools/shared/InterruptGuard.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("made by the command");
}

// Forks a child that registers `dir`'s paths as a command would, then signals itself; the
// child's exit status, or -1 when it did not end by exiting.
int stoppedChild(const TempDir& dir, int signal) {
    const pid_t child = ::fork();
    if (child == 0) {
        InterruptGuard::install();
        InterruptGuard::addFile(dir.file(".out.webp.a1B2c3"));
        InterruptGuard::addFile(dir.file("out.360"), true);
        InterruptGuard::addFolder(dir.file("private"));
        InterruptGuard::addFile(dir.file("moved.png"));
        InterruptGuard::release(dir.file("moved.png")); // moved into place: the user's now
        ::kill(::getpid(), signal);
        for (;;)
            ::pause();
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(InterruptGuard, AStopSignalRemovesWhatIsRegisteredAndNothingElse) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        TempDir dir;
        ASSERT_TRUE(QDir(dir.path()).mkpath("private/inner"));
        for (const char* name : {".out.webp.a1B2c3", "out.360", "out.360.x7Y8z9", "moved.png",
                                 "private/inner/picture.jpg", "notes.txt", "other.360.x7Y8z9"})
            touch(dir.file(name));
        EXPECT_EQ(stoppedChild(dir, signal), 128 + signal);
        // What stays: the released result, the user's file and another archive's temporary.
        EXPECT_EQ(dir.entries(), QStringList({"moved.png", "notes.txt", "other.360.x7Y8z9"}));
    }
}

} // namespace
