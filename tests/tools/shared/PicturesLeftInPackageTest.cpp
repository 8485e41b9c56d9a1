// The package tool reads the pictures a package stores uncompressed where they lie, as the viewer
// does: the commands give what they give for the same package deflated, no picture is written into
// the private folder, and a member whose bytes do not match its CRC-32 is refused in the
// extraction's words.
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/TestPackage.h"
#include "support/ToolRun.h"
#include "tools/shared/PackageWalk.h"
#include "tools/shared/ProgressReporter.h"

#include <QDir>
#include <QFile>
#include <atomic>
#include <gtest/gtest.h>

namespace {

TestPackage photos(bool stored) {
    TestPackage p;
    p.extension = QStringLiteral(".jpg");
    p.pictureSize = QSize(96, 64);
    p.horizontal = 12;
    p.upper = TestPackage::evenRings(12, 3, 1);
    p.storeUncompressed = stored;
    return p;
}

struct Command {
    QStringList args; // after the package
    QString out;      // the file it writes beside the package; none when empty
};

const Command kCommands[] = {
    {{"check", "--json", "--free-memory", "4000000000"}, {}},
    {{"sheet", "--width", "600", "--quiet"}, "sheet.png"},
    {{"export", "--quiet"}, "spin.webp"},
    {{"export", "--quiet", "--size", "80"}, "spin.gif"},
};

// Runs a command on `package`: its exit code, what it printed (the package's folder named DIR) and
// the bytes of the file it wrote.
QString runOn(const Command& c, const QString& package) {
    const QString folder = QFileInfo(package).absolutePath();
    QStringList args{c.args.front(), package};
    if (!c.out.isEmpty())
        args << QDir(folder).filePath(c.out);
    const ToolRun run = runPack(args + c.args.mid(1));
    QFile written(QDir(folder).filePath(c.out));
    const QByteArray bytes =
        c.out.isEmpty() || !written.open(QIODevice::ReadOnly) ? QByteArray() : written.readAll();
    return QString::number(run.exitCode) + QString(run.out + run.err).replace(folder, "DIR") +
           QString::fromLatin1(bytes.toBase64());
}

TEST(PicturesLeftInPackage, CommandsGiveWhatTheyGiveForTheSamePackageDeflated) {
    TempDir dir;
    for (const char* kind : {"stored", "deflated"}) {
        ASSERT_TRUE(QDir(dir.path()).mkdir(kind));
        ASSERT_TRUE(photos(kind[0] == 's').write(dir.file(kind + QStringLiteral("/obj.360"))));
    }
    for (const Command& c : kCommands) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const QString stored = runOn(c, dir.file("stored/obj.360"));
        EXPECT_TRUE(stored.startsWith('0')) << stored.left(400).toStdString();
        EXPECT_EQ(stored, runOn(c, dir.file("deflated/obj.360")));
    }
}

TEST(PicturesLeftInPackage, AWalkWritesNoPictureThePackageStores) {
    for (const bool stored : {true, false}) {
        SCOPED_TRACE(stored ? "stored" : "deflated");
        TempDir dir;
        const TestPackage package = photos(stored);
        ASSERT_TRUE(package.write(dir.file("obj.360")));
        ProgressReporter progress(QStringLiteral("test"), true);
        PackageWalk walk(progress);
        ASSERT_TRUE(walk.open(dir.file("obj.360"))) << walk.message().toStdString();
        const QStringList written = QDir(walk.opening().folder()).entryList({"*.jpg"});
        EXPECT_EQ(written.size(), stored ? 0 : package.pictureNames().size());
        std::atomic<int> decoded{0};
        EXPECT_EQ(walk.decodeAll(QSize(), [&](std::size_t, const QImage&) { ++decoded; }), "");
        EXPECT_EQ(decoded, package.pictureNames().size());
    }
}

TEST(PicturesLeftInPackage, AStoredPictureThatDoesNotMatchItsChecksumIsRefused) {
    TempDir dir;
    const TestPackage package = photos(true);
    const QString path = dir.file("obj.360");
    ASSERT_TRUE(package.write(path));
    // One byte of a picture's scan data turned, where the package file holds it.
    const QByteArray picture = package.pictureBytes("obj_H_0005.jpg");
    QByteArray bytes = readWholeFile(path);
    const qsizetype at = bytes.indexOf(picture) + picture.size() - 40;
    ASSERT_GT(at, picture.size());
    bytes[at] = char(bytes[at] ^ 0x10);
    writeWholeFile(path, bytes);
    for (const Command& c : kCommands) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const QString said = runOn(c, path);
        EXPECT_TRUE(said.startsWith('1')) << said.toStdString();
        EXPECT_TRUE(said.contains("obj_H_0005.jpg: damaged (checksum mismatch)"))
            << said.toStdString();
        EXPECT_EQ(dir.entries(), QStringList{"obj.360"});
    }
}

} // namespace
