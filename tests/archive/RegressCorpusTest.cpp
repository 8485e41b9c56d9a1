// Every archive of libzip's own regression suite (many deliberately broken) through the
// extraction: no crash, nothing outside the extraction folder, no half-written member, and a
// result that agrees with what was written.
#include "ExtractionFixture.h"

#include <QMap>
#include <QRegularExpression>
#include <zip.h>

namespace {

// Declared sizes by bare file name, as libzip reads the archive without extra checks; empty
// when libzip cannot open it.
QMap<QString, QList<qint64>> declaredFiles(const QString& path) {
    QMap<QString, QList<qint64>> files;
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!zip)
        return files;
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(zip, zip_uint64_t(i), 0, &stat) != 0)
            continue;
        QString name = QString::fromUtf8(stat.name);
        if (name.endsWith(QLatin1Char('/')))
            continue;
        name = name.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
        files[name].append(qint64(stat.size));
    }
    zip_discard(zip);
    return files;
}

} // namespace

TEST_F(ExtractionTest, LibzipRegressionArchives) {
    const QDir corpus(QStringLiteral(GYRO_TEST_DATA "/archive/libzip-regress"));
    const QStringList names = corpus.entryList({QStringLiteral("*.zip")}, QDir::Files);
    ASSERT_GT(names.size(), 150);
    const auto openDescriptors = [] {
        return QDir(QStringLiteral("/proc/self/fd"))
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
            .size();
    };
    const qsizetype descriptorsBefore = openDescriptors();
    int succeeded = 0;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        packageCounters().reset();
        bindingState().reset();
        QDir(outDir()).removeRecursively();
        QDir().mkpath(outDir());
        prompter.inputs = {QStringLiteral("foofoofoo")};

        const std::int32_t result = extract(corpus.filePath(name));
        const QStringList files = written();
        const auto declared = declaredFiles(corpus.filePath(name));

        EXPECT_TRUE(nothingBesideOut());
        for (const QString& file : files) {
            EXPECT_FALSE(file.endsWith(QStringLiteral(".part"))) << file.toStdString();
            const qint64 size = QFileInfo(outDir() + QLatin1Char('/') + file).size();
            EXPECT_TRUE(declared.value(file).contains(size))
                << file.toStdString() << " is not a whole member";
        }
        EXPECT_EQ(packageCounters().sngUnzipCount, files.size());
        if (result == 0) {
            ++succeeded;
            EXPECT_EQ(QSet<QString>(files.begin(), files.end()),
                      QSet<QString>(declared.keyBegin(), declared.keyEnd()));
        } else {
            EXPECT_FALSE(lastMessage().isEmpty());
        }
    }
    EXPECT_GT(succeeded, 50);
    EXPECT_EQ(openDescriptors(), descriptorsBefore); // nothing left open, archive or folder
}
