// Archives written by the tools people make packages with: Info-ZIP's zip, Python's zipfile and
// libzip, extracted with the options the opening uses unless a test says otherwise.
#include "ExtractionFixture.h"

#include "support/ArchiveTools.h"
#include "support/ZipBuilder.h"

#include <sys/mount.h>
#include <zip.h>

namespace {

QByteArray pictureBytes(int size, char seed) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + seed) % 251);
    return bytes;
}

// The source files of a small package, with one picture in a sub-folder.
struct PackageSources {
    explicit PackageSources(const TempDir& dir) : folder(dir.path()) {
        QDir(folder).mkdir(QStringLiteral("sub"));
        for (const auto& [name, bytes] : files)
            writeWholeFile(folder + QLatin1Char('/') + name, bytes);
    }
    QString folder;
    const QList<QPair<QString, QByteArray>> files = {
        {QStringLiteral("info.ini"), QByteArray("[FileName]\nFileName=obj\n")},
        {QStringLiteral("obj_H_0000.jpg"), pictureBytes(7000, 1)},
        {QStringLiteral("obj_V00_0002.jpg"), pictureBytes(9000, 2)},
        {QStringLiteral("sub/obj_M00_0002.jpg"), pictureBytes(3000, 3)},
    };
};

} // namespace

TEST_F(ExtractionTest, InfoZipArchivesExtractFlatWithTheirCounts) {
    TempDir sourceDir;
    const PackageSources sources(sourceDir);
    for (const QString& level : {QStringLiteral("-0"), QStringLiteral("-9")}) {
        SCOPED_TRACE(level.toStdString());
        packageCounters().reset();
        QDir(outDir()).removeRecursively();
        QDir().mkpath(outDir());
        const QString archive = archivePath(QStringLiteral("obj%1.360").arg(level));
        ASSERT_TRUE(makeInfoZip(archive, sources.folder, {level, QStringLiteral("-r")},
                                {QStringLiteral(".")}));
        EXPECT_EQ(extract(archive), 0);
        EXPECT_TRUE(lastMessage().isEmpty()) << lastMessage().toStdString();
        EXPECT_EQ(written(), (QStringList{"info.ini", "obj_H_0000.jpg", "obj_M00_0002.jpg",
                                          "obj_V00_0002.jpg"}));
        for (const auto& [name, bytes] : sources.files)
            EXPECT_EQ(readWholeFile(outDir() + QLatin1Char('/') + QFileInfo(name).fileName()),
                      bytes);
        const PackageCounters& c = packageCounters();
        EXPECT_EQ(c.sngUnzipCount, 4);
        EXPECT_EQ(c.sngHCount, 1);
        EXPECT_EQ(c.bytVCount, 1);
        EXPECT_EQ(c.bytVColumns, 1);
        EXPECT_EQ(c.bytVRows, 1);
        EXPECT_EQ(c.bytMCount, 1);
        EXPECT_EQ(c.bytMColumns, 1);
        EXPECT_EQ(c.bytMRows, 1);
        EXPECT_EQ(c.sngMaxFileLen, 9000);
        EXPECT_EQ(progress.current, QStringLiteral("Uncompressing #4"));
        EXPECT_TRUE(nothingBesideOut());
    }
}

TEST_F(ExtractionTest, HonoringDirectoriesRecreatesFoldersInside) {
    TempDir sourceDir;
    const PackageSources sources(sourceDir);
    const QString archive = archivePath(QStringLiteral("dirs.zip"));
    ASSERT_TRUE(makeInfoZip(archive, sources.folder, {QStringLiteral("-r")}, {"."}));
    EXPECT_EQ(extract(archive, true), 0);
    EXPECT_EQ(written(), (QStringList{"info.ini", "obj_H_0000.jpg", "obj_V00_0002.jpg", "sub/",
                                      "sub/obj_M00_0002.jpg"}));
    EXPECT_EQ(packageCounters().sngUnzipCount, 4); // the folder entry is no member written
}

TEST_F(ExtractionTest, InfoZipPasswordIsAskedOnceAndReused) {
    TempDir sourceDir;
    const PackageSources sources(sourceDir);
    const QString archive = archivePath(QStringLiteral("enc.360"));
    ASSERT_TRUE(makeInfoZip(archive, sources.folder,
                            {QStringLiteral("-P"), QStringLiteral("secret")},
                            {QStringLiteral("obj_H_0000.jpg"), QStringLiteral("info.ini")}));
    prompter.inputs = {QStringLiteral("secret")};
    EXPECT_EQ(extract(archive), 0) << lastMessage().toStdString();
    EXPECT_EQ(prompter.prompts, QStringList{QStringLiteral("Please Enter The Password!")});
    EXPECT_EQ(readWholeFile(outDir() + QStringLiteral("/obj_H_0000.jpg")),
              sources.files.at(1).second);
    EXPECT_EQ(packageCounters().sngUnzipCount, 2);
}

TEST_F(ExtractionTest, PasswordAnswersThatDoNotOpenTheArchive) {
    TempDir sourceDir;
    const PackageSources sources(sourceDir);
    const QString archive = archivePath(QStringLiteral("enc.360"));
    ASSERT_TRUE(makeInfoZip(archive, sources.folder,
                            {QStringLiteral("-P"), QStringLiteral("secret")},
                            {QStringLiteral("obj_H_0000.jpg"), QStringLiteral("info.ini")}));
    struct Case {
        const char* name;
        QStringList answers;
        int questions;
        QString text;
    };
    const Case cases[] = {
        {"empty answer: no further question this extraction",
         {QString()},
         1,
         QStringLiteral("obj_H_0000.jpg: skipped (no password was given)")},
        {"wrong answers: three questions per member", QStringList(6, QStringLiteral("wrong")), 6,
         QStringLiteral("obj_H_0000.jpg: wrong password")},
        {"too long for the buffer",
         {QString(300, QLatin1Char('p'))},
         1,
         QStringLiteral("The password was refused")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.prompts.clear();
        prompter.inputs = c.answers;
        EXPECT_EQ(extract(archive), 1);
        EXPECT_EQ(prompter.prompts.size(), c.questions);
        EXPECT_TRUE(lastMessage().contains(c.text)) << lastMessage().toStdString();
        EXPECT_TRUE(written().isEmpty());
    }
    // Each extraction asks afresh.
    prompter.prompts.clear();
    prompter.inputs = {QStringLiteral("secret")};
    EXPECT_EQ(extract(archive), 0);
    EXPECT_EQ(prompter.prompts.size(), 1);
}

TEST_F(ExtractionTest, WrongPasswordPassingTheQuickCheckIsCaughtByTheData) {
    TempDir sourceDir;
    const PackageSources sources(sourceDir);
    // Stored data only fails its checksum; deflated data usually fails to inflate first.
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("-0"),
         QStringLiteral("wrong password or damaged data (checksum mismatch)")},
        {QStringLiteral("-9"), QStringLiteral("wrong password or damaged data (")},
    };
    for (const auto& [level, text] : cases) {
        SCOPED_TRACE(level.toStdString());
        const QString archive = archivePath(QStringLiteral("enc%1.360").arg(level));
        ASSERT_TRUE(makeInfoZip(archive, sources.folder,
                                {level, QStringLiteral("-P"), QStringLiteral("secret")},
                                {QStringLiteral("obj_H_0000.jpg")}));
        // Find a wrong password that the one-byte quick check lets through.
        int error = 0;
        zip_t* zip = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &error);
        ASSERT_NE(zip, nullptr);
        QString lucky;
        for (int i = 0; i < 20000 && lucky.isEmpty(); ++i) {
            const QByteArray candidate = "guess" + QByteArray::number(i);
            if (zip_file_t* file = zip_fopen_index_encrypted(zip, 0, 0, candidate.constData())) {
                zip_fclose(file);
                lucky = QString::fromLatin1(candidate);
            }
        }
        zip_discard(zip);
        ASSERT_FALSE(lucky.isEmpty());
        prompter.inputs = {lucky, QString()};
        EXPECT_EQ(extract(archive), 1);
        EXPECT_TRUE(lastMessage().contains(QStringLiteral("obj_H_0000.jpg: ") + text))
            << lastMessage().toStdString();
        EXPECT_TRUE(written().isEmpty());
    }
}

TEST_F(ExtractionTest, PythonZipfileArchives) {
    const QString archive = archivePath(QStringLiteral("py.360"));
    ASSERT_TRUE(makePythonZip(archive, QStringLiteral(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('pics/', b'')
    z.writestr('pics/obj_H_0000.jpg', bytes(range(256)) * 40, zipfile.ZIP_DEFLATED)
    z.writestr('obj_H_0001.jpg', b'stored' * 100, zipfile.ZIP_STORED)
    z.writestr('b\u00e9b\u00e9_V00_0002.jpg', b'bz' * 5000, zipfile.ZIP_BZIP2)
)")));
    EXPECT_EQ(extract(archive), 0) << lastMessage().toStdString();
    EXPECT_EQ(written(), (QStringList{QStringLiteral("bébé_V00_0002.jpg"), "obj_H_0000.jpg",
                                      "obj_H_0001.jpg"}));
    QByteArray expected;
    for (int i = 0; i < 40; ++i)
        for (int b = 0; b < 256; ++b)
            expected.append(char(b));
    EXPECT_EQ(readWholeFile(outDir() + QStringLiteral("/obj_H_0000.jpg")), expected);
    EXPECT_EQ(packageCounters().sngHCount, 2);
    EXPECT_EQ(packageCounters().bytVRows, 1);
    EXPECT_EQ(packageCounters().sngMaxFileLen, 10240);
}

TEST_F(ExtractionTest, LibzipAesArchives) {
    const QString archive = archivePath(QStringLiteral("aes.360"));
    ASSERT_TRUE(makeLibzipArchive(archive, {{"plain_H_0000.jpg", pictureBytes(500, 4)},
                                            {"secret_H_0001.jpg", pictureBytes(800, 5),
                                             ZIP_CM_DEFLATE, ZIP_EM_AES_256, "pass"}}));
    prompter.inputs = {QStringLiteral("nope"), QStringLiteral("pass")};
    EXPECT_EQ(extract(archive), 0) << lastMessage().toStdString();
    EXPECT_EQ(prompter.prompts.size(), 2);
    EXPECT_EQ(readWholeFile(outDir() + QStringLiteral("/secret_H_0001.jpg")), pictureBytes(800, 5));
    EXPECT_EQ(packageCounters().sngHCount, 2);
}

TEST_F(ExtractionTest, SamplePackageCountsItsRings) {
    EXPECT_EQ(extract(QStringLiteral(GYRO_SAMPLE_PACKAGE)), 0);
    const PackageCounters& c = packageCounters();
    EXPECT_EQ(c.sngUnzipCount, 111);
    EXPECT_EQ(c.sngHCount, 36);
    EXPECT_EQ(c.bytVCount, 48);
    EXPECT_EQ(c.bytVColumns, 12);
    EXPECT_EQ(c.bytVRows, 4);
    EXPECT_EQ(c.bytMCount, 24);
    EXPECT_EQ(c.bytMColumns, 12);
    EXPECT_EQ(c.bytMRows, 2);
    EXPECT_EQ(c.sngMaxFileLen, QFileInfo(outDir() + QStringLiteral("/house_lo.mp3")).size());
    EXPECT_EQ(progress.current, QStringLiteral("Uncompressing #111"));
    EXPECT_EQ(written().size(), 111);
}

// A viewer-only build packs the sample with CMake's ZIP writer (libarchive: every member deflated,
// extra time fields) instead of the package tool: the same members with the same bytes come out.
TEST_F(ExtractionTest, SampleFromCMakesZipWriterExtractsAsTheToolsDoes) {
    QMap<QString, QByteArray> files[2];
    const char* packages[] = {GYRO_SAMPLE_PACKAGE, GYRO_CMAKE_SAMPLE_PACKAGE};
    for (int i = 0; i < 2; ++i) {
        QDir(outDir()).removeRecursively();
        QDir().mkpath(outDir());
        ASSERT_EQ(extract(QString::fromUtf8(packages[i])), 0) << packages[i];
        for (const QString& name : written())
            files[i][name] = readWholeFile(outDir() + QLatin1Char('/') + name);
    }
    EXPECT_EQ(files[0].size(), 111);
    EXPECT_EQ(files[1].keys(), files[0].keys());
    EXPECT_TRUE(files[1] == files[0]);
}

TEST_F(ExtractionTest, InfoZipStreamedArchiveWithDataDescriptors) {
    TempDir sourceDir;
    const PackageSources sources(sourceDir);
    const QString archive = archivePath(QStringLiteral("streamed.360"));
    // Writing to a pipe makes zip record sizes and checksums after the data.
    ASSERT_TRUE(
        runProgram(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"),
                    QStringLiteral("zip -q - obj_H_0000.jpg info.ini | cat > '%1'").arg(archive)},
                   sources.folder));
    EXPECT_EQ(extract(archive), 0) << lastMessage().toStdString();
    EXPECT_EQ(written(), (QStringList{"info.ini", "obj_H_0000.jpg"}));
    EXPECT_EQ(readWholeFile(outDir() + QStringLiteral("/obj_H_0000.jpg")),
              sources.files.at(1).second);
}

TEST_F(ExtractionTest, FreeSpaceRefusesOnlyWhatDoesNotFit) {
    // A 4 MiB file system of its own as the extraction folder (needs the right to mount).
    if (::mount("tmpfs", QFile::encodeName(outDir()).constData(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    const struct {
        const char* name;
        QString archive;
        bool fits;
    } cases[] = {
        {"the sample package (3 MB)", QStringLiteral(GYRO_SAMPLE_PACKAGE), true},
        {"4 MiB less 300 KiB",
         writeArchive(
             QStringLiteral("near.360"),
             buildZip({storedMember("near.jpg", QByteArray(4 * 1024 * 1024 - 300 * 1024, 'n'))})),
         true},
        {"4 MiB",
         writeArchive(QStringLiteral("full.360"),
                      buildZip({storedMember("full.jpg", QByteArray(4 * 1024 * 1024, 'f'))})),
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int32_t result = extract(c.archive);
        if (c.fits) {
            EXPECT_EQ(result, 0) << lastMessage().toStdString();
        } else {
            EXPECT_NE(result, 0);
            EXPECT_TRUE(
                lastMessage().contains(QStringLiteral("bytes free in the extraction folder")))
                << lastMessage().toStdString();
            EXPECT_EQ(written(), QStringList{});
        }
        for (const QString& entry : QDir(outDir()).entryList(QDir::Files | QDir::NoDotAndDotDot))
            QFile::remove(outDir() + QLatin1Char('/') + entry);
    }
    ::umount(QFile::encodeName(outDir()).constData());
}
