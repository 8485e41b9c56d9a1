// What a killed run left behind (hidden outputs beside OUT, work and private folders) is removed
// by the next run, which says so; nothing of a live run, of another form or behind a link is.
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// The id of a process that has ended.
QString deadProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return QString::number(child);
}

} // namespace

TEST(Leftovers, KilledRunsLeftoversAreSweptByTheNext) {
    TempDir dir;
    const QString dead = deadProcess();
    const QString live = QString::number(::getpid());
    ASSERT_TRUE(QDir(dir.path()).mkpath("tmp") && QDir(dir.path()).mkpath("out"));
    const struct {
        QString path;
        bool folder;
        bool swept;
    } entries[] = {
        {"tmp/gyrolook-pack-" + dead + "-a1B2c3", true, true},             // make's work folder
        {"tmp/gyrolook-" + dead + "-Q9w8E7", true, true},                  // a private folder
        {"out/.gyrolook-pack-" + dead + "-Zx12Cv.360", false, true},       // make's hidden package
        {"out/.spin.webp.gyrolook-pack-" + dead + "-Po09Iu", false, true}, // export's
        {"out/.spin.gyrolook-pack-" + dead + "-Lk87Jh", true, true},       // export's page
        {"out/.gyrolook-pack-" + live + "-Zx12Cv.360", false, false},      // a live run's
        {"out/gyrolook-pack-" + dead + "-Zx12Cv.txt", false, false},       // another form
        {"out/notes-" + dead + ".txt", false, false},
    };
    for (const auto& e : entries) {
        if (e.folder) {
            ASSERT_TRUE(QDir(dir.path()).mkpath(e.path));
            writeWholeFile(dir.file(e.path + "/inside.jpg"), "x");
        } else {
            writeWholeFile(dir.file(e.path), "x");
        }
    }
    // A link of the right name is never followed nor removed.
    writeWholeFile(dir.file("target.360"), "keep");
    ASSERT_TRUE(QFile::link(dir.file("target.360"),
                            dir.file("out/.gyrolook-pack-" + dead + "-Mn56Bv.360")));

    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", dir.file("tmp"));
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral(GYRO_PACK_TOOL),
              {"make", dir.file("out/new.360"), "--name", "pot", "--ring", dir.file("none")});
    ASSERT_TRUE(run.waitForFinished(60000));
    const QString err = QString::fromUtf8(run.readAllStandardError());

    for (const auto& e : entries) {
        SCOPED_TRACE(e.path.toStdString());
        EXPECT_EQ(QFileInfo::exists(dir.file(e.path)), !e.swept);
        if (e.swept && !e.path.contains("tmp/gyrolook-" + dead)) {
            EXPECT_TRUE(err.contains("removed " + dir.file(e.path) +
                                     ", left by a run that was "
                                     "killed (process " +
                                     dead + ")"))
                << err.toStdString();
        }
    }
    EXPECT_TRUE(err.contains("removed 1 private folder(s) left by runs that were killed"))
        << err.toStdString();
    EXPECT_TRUE(QFileInfo(dir.file("out/.gyrolook-pack-" + dead + "-Mn56Bv.360")).isSymLink());
    EXPECT_EQ(readWholeFile(dir.file("target.360")), "keep");
}
