#include "format/FileUtil.h"

#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(FileExists, OnlyExistingRegularFilesCount) {
    TempDir dir;
    writeWholeFile(dir.file(QStringLiteral("empty.bin")), QByteArray());
    writeWholeFile(dir.file(QStringLiteral("data.bin")), "abc");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    ASSERT_TRUE(
        QFile::link(dir.file(QStringLiteral("data.bin")), dir.file(QStringLiteral("link"))));

    const struct {
        QString path;
        bool exists;
    } cases[] = {
        {dir.file(QStringLiteral("empty.bin")), true},
        {dir.file(QStringLiteral("data.bin")), true},
        {dir.file(QStringLiteral("link")), true},
        {QString(), false},
        {dir.path(), false},
        {dir.file(QStringLiteral("folder")), false},
        {dir.file(QStringLiteral("missing.bin")), false},
        {dir.file(QStringLiteral("data.bin/x")), false},
        {dir.file(QStringLiteral("data.bin")) + QChar(0), false},
        {QStringLiteral("/dev/null"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(FileExists(c.path), c.exists);
    }
}

TEST(GetShortPath, NamesWithoutBlanksComeBackUnchanged) {
    TempDir dir;
    writeWholeFile(dir.file(QStringLiteral("engine.mp3")), "sound");
    EXPECT_EQ(GetShortPath(QStringLiteral("engine.mp3"), dir.path()), "engine.mp3");
    EXPECT_EQ(GetShortPath(QStringLiteral("engine.mp3"), dir.path() + u'/'), "engine.mp3");
    EXPECT_EQ(dir.entries(), QStringList{QStringLiteral("engine.mp3")});
}

TEST(GetShortPath, UnusableNamesGiveTheEmptyText) {
    TempDir dir;
    writeWholeFile(dir.file(QStringLiteral("engine.mp3")), "sound");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub dir")));
    writeWholeFile(dir.file(QStringLiteral("sub dir/a b.mp3")), "inner");
    const QString names[] = {
        QString(),
        QStringLiteral("missing.mp3"),
        QStringLiteral("missing sound.mp3"),
        QStringLiteral("sub dir"),
        QStringLiteral("."),
        QStringLiteral(".."),
        QStringLiteral("../engine.mp3"),
        QStringLiteral("sub dir/a b.mp3"),
        QStringLiteral("sub dir\\a b.mp3"),
        QStringLiteral("/etc/passwd"),
        QStringLiteral("engine.mp3") + QChar(0),
    };
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(GetShortPath(name, dir.path()), QString());
    }
    EXPECT_EQ(GetShortPath(QStringLiteral("engine.mp3"), QString()), QString());
    EXPECT_EQ(dir.entries(),
              (QStringList{QStringLiteral("engine.mp3"), QStringLiteral("sub dir")}));
}

TEST(GetShortPath, BlankNamesGetASecondBlankFreeNameForTheSameFile) {
    TempDir dir;
    const QString longName = QStringLiteral("Engine Sound.mp3");
    writeWholeFile(dir.file(longName), "engine bytes");
    const QString shortName = GetShortPath(longName, dir.path());
    EXPECT_EQ(shortName, "Engine_Sound.mp3");
    EXPECT_TRUE(FileExists(dir.file(shortName)));
    EXPECT_EQ(readWholeFile(dir.file(shortName)), "engine bytes");
    EXPECT_TRUE(FileExists(dir.file(longName)));
    // Asking again reuses the name already made.
    EXPECT_EQ(GetShortPath(longName, dir.path()), shortName);
    EXPECT_EQ(dir.entries().size(), 2);
}

TEST(GetShortPath, TakenNamesAreNeverReplaced) {
    TempDir dir;
    writeWholeFile(dir.file(QStringLiteral("a b.mp3")), "wanted");
    writeWholeFile(dir.file(QStringLiteral("a_b.mp3")), "other");
    writeWholeFile(dir.file(QStringLiteral("a_b~1.mp3")), "other too");
    writeWholeFile(dir.file(QStringLiteral("x\ty z")), "no extension");

    const QString first = GetShortPath(QStringLiteral("a b.mp3"), dir.path());
    EXPECT_EQ(first, "a_b~2.mp3");
    EXPECT_EQ(readWholeFile(dir.file(first)), "wanted");
    EXPECT_EQ(readWholeFile(dir.file(QStringLiteral("a_b.mp3"))), "other");
    EXPECT_EQ(readWholeFile(dir.file(QStringLiteral("a_b~1.mp3"))), "other too");

    const QString second = GetShortPath(QStringLiteral("x\ty z"), dir.path());
    EXPECT_EQ(second, "x_y_z");
    EXPECT_EQ(readWholeFile(dir.file(second)), "no extension");
}

} // namespace
