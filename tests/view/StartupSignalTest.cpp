// The real program, ended by a termination signal while start-up opens the package named on its
// command line (or shows that opening's message), ends cleanly and leaves no private folder.
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestPackage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// Folders the viewer has made in its temporary folder.
QStringList privateFolders(const QString& tmp) {
    return QDir(tmp).entryList({QStringLiteral("gyrolook-*")}, QDir::Dirs | QDir::Hidden);
}

TEST(StartupSignal, SignalDuringTheStartUpOpeningEndsTheProgramAndRemovesItsFolder) {
    TempDir work;
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("tmp")));
    const QString tmp = work.file(QStringLiteral("tmp"));

    TestPackage broken; // opens as far as the descriptor, then says it has no picture
    broken.horizontal = 0;
    TestPackage big; // takes a while to open
    big.horizontal = 36;
    big.upper = TestPackage::evenRings(36, 3, 4);
    big.pictureSize = QSize(640, 480);
    const struct {
        const char* name;
        TestPackage package;
        int signal;
    } cases[] = {
        {"SIGTERM while the opening runs", big, SIGTERM},
        {"SIGINT while its message is up", broken, SIGINT},
        {"SIGHUP while its message is up", broken, SIGHUP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = work.file(QStringLiteral("p.360"));
        ASSERT_TRUE(c.package.write(path));
        QProcess viewer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        viewer.setProcessEnvironment(env);
        viewer.setProcessChannelMode(QProcess::MergedChannels);
        viewer.start(QStringLiteral(GYRO_VIEWER), {path});
        ASSERT_TRUE(viewer.waitForStarted());

        // The opening has begun once its private folder is there; a failed opening removes it
        // again just before its message comes up.
        QElapsedTimer waited;
        waited.start();
        bool seen = false;
        while (waited.elapsed() < 20000) {
            const bool there = !privateFolders(tmp).isEmpty();
            if (there && !seen)
                seen = true;
            if (seen && (c.package.horizontal > 0 || !there))
                break;
            QThread::msleep(2);
        }
        if (c.package.horizontal == 0)
            QThread::msleep(300); // let the message box come up
        ::kill(pid_t(viewer.processId()), c.signal);
        const bool ended = viewer.waitForFinished(30000);
        if (!ended) {
            viewer.kill();
            viewer.waitForFinished();
        }
        EXPECT_TRUE(ended) << viewer.readAll().toStdString();
        EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(viewer.exitCode(), 0) << viewer.readAll().toStdString();
        EXPECT_EQ(privateFolders(tmp), QStringList{});
        for (const QString& left : privateFolders(tmp))
            QDir(tmp + QLatin1Char('/') + left).removeRecursively();
    }
}

} // namespace
