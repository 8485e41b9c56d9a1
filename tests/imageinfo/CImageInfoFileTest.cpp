// How a probe treats the file system and its own results: missing paths, files it cannot read,
// overflowing depths, and the reset at the start of every probe.
#include "ImageHeaderBytes.h"
#include "format/GyroError.h"
#include "imageinfo/CImageInfo.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Leaves every property non-zero, so that a following probe must clear them.
void probeSomething(CImageInfo& info, const TempDir& dir) {
    const QString path = dir.file(QStringLiteral("earlier.gif"));
    writeWholeFile(path, gifHeader(300, 200, 0xF7));
    info.ReadImageInfo(path);
    ASSERT_EQ(info.ImageType(), 1);
    ASSERT_EQ(info.Depth(), 8);
}

void expectAllZero(const CImageInfo& info) {
    EXPECT_EQ(info.ImageType(), 0);
    EXPECT_EQ(info.Width(), 0);
    EXPECT_EQ(info.Height(), 0);
    EXPECT_EQ(info.Depth(), 0);
}

// Probes path and returns the error it raised; fails the test when it raised none.
GyroError probeError(CImageInfo& info, const QString& path) {
    try {
        info.ReadImageInfo(path);
    } catch (const GyroError& error) {
        return error;
    }
    ADD_FAILURE() << "no error for " << path.toStdString();
    return GyroError(0, QString(), QString());
}

TEST(CImageInfoFiles, NewObjectIsAllZero) {
    expectAllZero(CImageInfo());
}

TEST(CImageInfoFiles, PathsNamingNoFileGiveZerosWithoutError) {
    TempDir dir;
    writeWholeFile(dir.file(QStringLiteral("plain")), "GIF");
    const QStringList paths = {
        dir.file(QStringLiteral("missing.png")),
        dir.file(QStringLiteral("no/such/folder/picture.png")),
        dir.file(QStringLiteral("plain/picture.png")), // a file used as a folder
        QString(),
        dir.file(QStringLiteral("nul")) + QChar(0) + QStringLiteral("plain"),
    };
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        CImageInfo info;
        probeSomething(info, dir);
        const QStringList before = dir.entries();
        EXPECT_NO_THROW(info.ReadImageInfo(path));
        expectAllZero(info);
        EXPECT_EQ(dir.entries(), before); // nothing was created
    }
}

TEST(CImageInfoFiles, SecondProbeClearsTheFirstResults) {
    TempDir dir;
    const QString text = dir.file(QStringLiteral("notes.txt"));
    writeWholeFile(text, "nothing to see");
    CImageInfo info;
    probeSomething(info, dir);
    info.ReadImageInfo(text);
    expectAllZero(info);
}

TEST(CImageInfoFiles, FolderRaisesAccessError) {
    TempDir dir;
    CImageInfo info;
    probeSomething(info, dir);
    const GyroError error = probeError(info, dir.path());
    EXPECT_EQ(error.number(), ErrorNumber::PathFileAccess);
    EXPECT_EQ(error.description(), QStringLiteral("Path/File access error"));
    EXPECT_EQ(error.source(), QStringLiteral("CImageInfo::ReadImageInfo"));
    expectAllZero(info);
}

TEST(CImageInfoFiles, PipeRaisesAccessErrorInsteadOfWaiting) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    CImageInfo info;
    EXPECT_EQ(probeError(info, path).number(), ErrorNumber::PathFileAccess);
    expectAllZero(info);
}

// Probes path as an unprivileged user when the test runs as the superuser (who may read any
// file): the probe then runs in a child process. Returns the error number raised, 0 for none.
int probeErrorNumberWithoutPrivileges(const QString& path) {
    if (::geteuid() != 0) {
        CImageInfo info;
        return probeError(info, path).number();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
            ::setresuid(nobody, nobody, nobody) != 0)
            ::_exit(255);
        int number = 0;
        try {
            CImageInfo().ReadImageInfo(path);
        } catch (const GyroError& error) {
            number = error.number();
        }
        ::_exit(number);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CImageInfoFiles, UnreadableFileRaisesPermissionDenied) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("locked.png"));
    writeWholeFile(path, pngHeader(10, 10, 8, 2));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    EXPECT_EQ(probeErrorNumberWithoutPrivileges(path), ErrorNumber::PermissionDenied);

    if (::geteuid() != 0) {
        CImageInfo info;
        const GyroError error = probeError(info, path);
        EXPECT_EQ(error.description(), QStringLiteral("Permission denied"));
        EXPECT_EQ(error.source(), QStringLiteral("CImageInfo::ReadImageInfo"));
        expectAllZero(info);
    }
}

struct OverflowCase {
    const char* name;
    QByteArray bytes;
    qint32 imageType;
    qint32 width;
    qint32 height;
};

TEST(CImageInfoFiles, DepthBeyondEightBitsRaisesOverflowAndKeepsEarlierValues) {
    const OverflowCase cases[] = {
        {"png_rgb_depth_100", pngHeader(640, 480, 100, 2), 3, 0, 0},
        {"png_rgb_depth_86", pngHeader(640, 480, 86, 2), 3, 0, 0},
        {"png_grey_alpha_depth_128", pngHeader(640, 480, 128, 4), 3, 0, 0},
        {"png_rgba_depth_64", pngHeader(640, 480, 64, 6), 3, 0, 0},
        {"jpeg_32_components", jpegBaseline(640, 480, 32), 2, 640, 480},
        {"jpeg_255_components", jpegBaseline(17, 19, 255), 2, 17, 19},
    };
    TempDir dir;
    for (const OverflowCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file(QString::fromLatin1(c.name));
        writeWholeFile(path, c.bytes);
        CImageInfo info;
        probeSomething(info, dir);
        const GyroError error = probeError(info, path);
        EXPECT_EQ(error.number(), ErrorNumber::Overflow);
        EXPECT_EQ(error.description(), QStringLiteral("Overflow"));
        EXPECT_EQ(error.source(), QStringLiteral("CImageInfo::ReadImageInfo"));
        EXPECT_EQ(info.ImageType(), c.imageType);
        EXPECT_EQ(info.Width(), c.width);
        EXPECT_EQ(info.Height(), c.height);
        EXPECT_EQ(info.Depth(), 0);
    }
}

} // namespace
