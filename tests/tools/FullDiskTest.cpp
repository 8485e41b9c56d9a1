// Every writer of the package tool on a full disk: a small file system of its own (tmpfs, mounted
// by the test; skipped where mounting is not allowed) filled to its last block. Nothing partial is
// left, an existing thumbnail keeps its bytes, and the message names the file and the reason.
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        m_disk = m_dir.file(QStringLiteral("disk"));
        ASSERT_TRUE(QDir().mkdir(m_disk));
        if (::mount("tmpfs", QFile::encodeName(m_disk).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=1m") != 0)
            GTEST_SKIP() << "no small file system can be mounted here";
        m_mounted = true;
    }
    void TearDown() override {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_disk).constData(), MNT_DETACH);
    }

    QString file(const QString& name) const { return m_disk + '/' + name; }

    // Takes every free block of the disk.
    void fill() const {
        const int fd = ::open(QFile::encodeName(file(QStringLiteral("filler"))).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        const QByteArray block(4096, 'f');
        while (::write(fd, block.constData(), std::size_t(block.size())) > 0) {
        }
        ::close(fd);
    }

    QStringList entries() const {
        return QDir(m_disk).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                      QDir::System);
    }

private:
    TempDir m_dir;
    QString m_disk;
    bool m_mounted = false;
};

const QString kPackage = QStringLiteral(GYRO_SAMPLE_PACKAGE);

TEST_F(FullDisk, WritersLeaveNothingPartialAndSayWhy) {
    // An old thumbnail, small enough to fit before the disk fills up.
    QImage small(8, 6, QImage::Format_RGB32);
    small.fill(Qt::red);
    const QByteArray oldThumbnail = encodeImage(small, "PNG");
    writeWholeFile(file(QStringLiteral("old.png")), oldThumbnail);
    fill();

    const struct {
        const char* name;
        QStringList args;
        QString target;
    } cases[] = {
        {"contact sheet", {"sheet", kPackage, file("sheet.png"), "--quiet"}, "sheet.png"},
        {"new thumbnail", {"thumbnail", kPackage, file("new.png"), "256"}, "new.png"},
        {"existing thumbnail", {"thumbnail", kPackage, file("old.png"), "256"}, "old.png"},
        {"animated GIF",
         {"export", kPackage, file("spin.gif"), "--size", "160", "--quiet"},
         "spin.gif"},
        {"animated WebP",
         {"export", kPackage, file("spin.webp"), "--size", "160", "--quiet"},
         "spin.webp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun run = runPack(c.args);
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.target)) << run.err.toStdString();
        // OUT is named, never the hidden file an export writes first.
        EXPECT_FALSE(run.err.contains(".gyrolook-pack-")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("No space left on device")))
            << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_EQ(entries(), QStringList({"filler", "old.png"}));
    }
    EXPECT_EQ(readWholeFile(file(QStringLiteral("old.png"))), oldThumbnail);
}

} // namespace
