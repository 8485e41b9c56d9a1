#include "opening/PrivateFolder.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The id of a process that has ended.
pid_t deadPid() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

QString folderName(qint64 pid, const char* tail = "abc123") {
    return PrivateFolder::namePrefix() + QString::number(pid) + QLatin1Char('-') +
           QLatin1String(tail);
}

TEST(PrivateFolderTest, CreatesAPrivateFolderAndRemovesIt) {
    TempDir base;
    QString path;
    {
        PrivateFolder folder(base.path());
        ASSERT_TRUE(folder.isValid()) << folder.errorString().toStdString();
        path = folder.path();
        EXPECT_TRUE(path.startsWith(base.path() + QLatin1Char('/')));
        EXPECT_TRUE(path.endsWith(QLatin1Char('/')));
        const QString name = QFileInfo(path.chopped(1)).fileName();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^gyrolook-%1-[A-Za-z0-9]{6}$").arg(getpid()))
                        .match(name)
                        .hasMatch())
            << name.toStdString();
        struct stat info {};
        ASSERT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0700u);
        writeWholeFile(path + QStringLiteral("info.ini"), "[Main]\n");
        QDir().mkpath(path + QStringLiteral("sub/deeper"));
        writeWholeFile(path + QStringLiteral("sub/deeper/x.jpg"), "x");
        chmod(QFile::encodeName(path + QStringLiteral("sub")).constData(), 0500);

        PrivateFolder second(base.path());
        EXPECT_NE(second.path(), path);
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(base.entries().isEmpty());
}

TEST(PrivateFolderTest, RemovalNeverFollowsLinks) {
    TempDir base;
    TempDir outside;
    writeWholeFile(outside.file(QStringLiteral("keep.jpg")), "keep");
    PrivateFolder folder(base.path());
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QFile::link(outside.path(), folder.path() + QStringLiteral("dirlink")));
    ASSERT_TRUE(QFile::link(outside.file(QStringLiteral("keep.jpg")),
                            folder.path() + QStringLiteral("filelink.jpg")));
    EXPECT_TRUE(folder.remove());
    EXPECT_FALSE(folder.isValid());
    EXPECT_TRUE(base.entries().isEmpty());
    EXPECT_EQ(outside.entries(), QStringList{QStringLiteral("keep.jpg")});
    EXPECT_EQ(readWholeFile(outside.file(QStringLiteral("keep.jpg"))), "keep");
}

TEST(PrivateFolderTest, AFolderReplacedByALinkIsLeftAlone) {
    TempDir base;
    TempDir outside;
    writeWholeFile(outside.file(QStringLiteral("keep.jpg")), "keep");
    PrivateFolder folder(base.path());
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.path().chopped(1);
    ASSERT_TRUE(QDir().rename(path, base.file(QStringLiteral("moved"))));
    ASSERT_TRUE(QFile::link(outside.path(), path));
    EXPECT_FALSE(folder.remove());
    EXPECT_EQ(outside.entries(), QStringList{QStringLiteral("keep.jpg")});
    EXPECT_TRUE(QFileInfo(path).isSymLink());
}

TEST(PrivateFolderTest, SweepRemovesOnlyFoldersOfEndedViewers) {
    TempDir base;
    TempDir outside;
    writeWholeFile(outside.file(QStringLiteral("keep.jpg")), "keep");
    const pid_t dead = deadPid();
    const QString abandoned = folderName(dead);
    const QString abandonedWithLink = folderName(dead, "Zz9Zz9");
    const QString live = folderName(getpid());
    const QString parent = folderName(getppid());
    const QStringList keptFolders = {live, parent, folderName(dead, "short"),
                                     QStringLiteral("gyrolook-x-abc123"),
                                     QStringLiteral("other-%1-abc123").arg(dead)};
    for (const QString& name : keptFolders + QStringList{abandoned, abandonedWithLink})
        ASSERT_TRUE(QDir(base.path()).mkdir(name));
    writeWholeFile(base.file(abandoned + QStringLiteral("/a.jpg")), "a");
    ASSERT_TRUE(QFile::link(outside.path(), base.file(abandonedWithLink + QStringLiteral("/out"))));
    const QString file = folderName(dead, "file00");
    writeWholeFile(base.file(file), "not a folder");
    const QString link = folderName(dead, "link00");
    ASSERT_TRUE(QFile::link(outside.path(), base.file(link)));
    QStringList kept = keptFolders + QStringList{file, link};
    if (geteuid() == 0) { // another user's folder, when the test may make one
        const QString foreign = folderName(dead, "foreig");
        ASSERT_TRUE(QDir(base.path()).mkdir(foreign));
        ASSERT_EQ(chown(QFile::encodeName(base.file(foreign)).constData(), 65534, 65534), 0);
        kept.append(foreign);
    }

    EXPECT_EQ(PrivateFolder::sweepAbandoned(base.path()), 2);
    kept.sort();
    EXPECT_EQ(base.entries(), kept);
    EXPECT_EQ(outside.entries(), QStringList{QStringLiteral("keep.jpg")});
    EXPECT_EQ(PrivateFolder::sweepAbandoned(base.file(QStringLiteral("absent"))), 0);
}

TEST(PrivateFolderTest, UnusableTmpdirFallsBackToTheSystemFolder) {
    TempDir base;
    writeWholeFile(base.file(QStringLiteral("plain")), "x");
    const QByteArray saved = qgetenv("TMPDIR");
    const struct {
        QString tmpdir;
        QString expectedBase;
    } cases[] = {
        {base.path(), base.path()},
        {base.file(QStringLiteral("missing")), QStringLiteral("/tmp")},
        {base.file(QStringLiteral("missing/deeper")), QStringLiteral("/tmp")},
        {base.file(QStringLiteral("plain")), QStringLiteral("/tmp")},
        {QString(), QStringLiteral("/tmp")},
    };
    for (const auto& c : cases) {
        qputenv("TMPDIR", c.tmpdir.toLocal8Bit());
        PrivateFolder folder;
        ASSERT_TRUE(folder.isValid()) << folder.errorString().toStdString();
        EXPECT_EQ(QFileInfo(folder.path().chopped(1)).path(), c.expectedBase)
            << c.tmpdir.toStdString();
    }
    qputenv("TMPDIR", saved);
}

} // namespace
