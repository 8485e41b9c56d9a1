// The extraction library's own entry, called directly with callbacks of the test's own.
#include "ExtractionFixture.h"

#include "archive/UnzipLibrary.h"
#include "support/ZipBuilder.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>
#include <zip.h>

namespace {

QStringList serviced;
QByteArray printed;

std::int32_t recordService(const char* path, std::int32_t count) {
    serviced.append(QString::fromUtf8(path, count));
    return 0;
}

std::int32_t recordPrint(const char* text, std::int32_t count) {
    printed.append(text, count);
    return 0;
}

UnzipUserFunctions recordingFunctions() {
    serviced.clear();
    printed.clear();
    UnzipUserFunctions functions{};
    functions.print = &recordPrint;
    functions.service = &recordService;
    return functions;
}

} // namespace

TEST_F(ExtractionTest, ServiceCallsNameTheWrittenFileAndPatternsSelect) {
    const QByteArray archive = QFile::encodeName(
        writeArchive(QStringLiteral("p.zip"),
                     buildZip({storedMember("pics/a.jpg", "a"), storedMember("b.jpg", "b"),
                               storedMember("c.txt", "c"), storedMember("pics/", "")})));
    const QByteArray folder = QFile::encodeName(outDir());
    UnzipOptions options{};
    options.MessageLevel = 2;
    options.OverWriteFiles = 1;
    options.CaseSensitive = 1;
    options.ZipFileName = archive.constData();
    options.ExtractDir = folder.constData();
    UnzipUserFunctions functions = recordingFunctions();
    const char* include[] = {"*.JPG"};
    const char* exclude[] = {"b*"};

    EXPECT_EQ(Wiz_SingleEntryUnzip(1, include, 1, exclude, &options, &functions), 0);
    EXPECT_TRUE(serviced.isEmpty()); // patterns compare case-sensitively
    options.CaseSensitive = 0;
    EXPECT_EQ(Wiz_SingleEntryUnzip(1, include, 1, exclude, &options, &functions), 0);
    EXPECT_EQ(serviced, QStringList{outDir() + QStringLiteral("/a.jpg")});
    EXPECT_EQ(written(), QStringList{QStringLiteral("a.jpg")});
    EXPECT_EQ(functions.memberCount, 4u);
    EXPECT_TRUE(printed.isEmpty());
}

TEST_F(ExtractionTest, MissingRecordsAndVersionQuery) {
    UnzipUserFunctions functions = recordingFunctions();
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, nullptr, &functions),
              UnzipResult::BadArguments);
    UnzipOptions options{};
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &options, &functions),
              UnzipResult::BadArguments);
    EXPECT_EQ(printed, QByteArray("No archive was named.\n"));

    UnzipVersionInfo info{};
    info.structLength = sizeof info;
    UzpVersion2(&info);
    EXPECT_EQ(info.backendVersion[sizeof info.backendVersion - 1], '\0');
    EXPECT_EQ(QByteArray(info.backendVersion), QByteArray(zip_libzip_version()).left(9));
}

TEST_F(ExtractionTest, NewerOptionsCompareModificationTimes) {
    // Members carry 2024-01-01; "old" files are from 2001, "new" ones from now.
    const QString archive =
        writeArchive(QStringLiteral("n.zip"), buildZip({storedMember("a.txt", "from archive")}));
    const QString target = outDir() + QStringLiteral("/a.txt");
    enum Existing { None, Old, New };
    struct Case {
        const char* name;
        bool update;
        bool freshen;
        Existing existing;
        QByteArray after; // empty: no file
    };
    const Case cases[] = {
        {"update, no file", true, false, None, "from archive"},
        {"update, older file", true, false, Old, "from archive"},
        {"update, newer file", true, false, New, "on disk"},
        {"freshen, no file", false, true, None, ""},
        {"freshen, older file", false, true, Old, "from archive"},
        {"freshen, newer file", false, true, New, "on disk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(target);
        if (c.existing != None) {
            writeWholeFile(target, "on disk");
            if (c.existing == Old) {
                const struct utimbuf times = {978307200, 978307200};
                ASSERT_EQ(::utime(QFile::encodeName(target).constData(), &times), 0);
            }
        }
        CGUnzipFiles request(progress, prompter);
        request.setExtractNewer(c.update);
        request.setExtractOnlyNewer(c.freshen);
        EXPECT_EQ(request.Unzip(archive, outDir()), 0);
        if (c.after.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(target));
        } else {
            EXPECT_EQ(readWholeFile(target), c.after);
        }
    }
}

TEST_F(ExtractionTest, WriteToStdOutWritesNoFile) {
    const QString archive =
        writeArchive(QStringLiteral("s.zip"),
                     buildZip({storedMember("a.txt", "one "), deflatedMember("b.txt", "two")}));
    const QString captured = archives.file(QStringLiteral("stdout"));
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    const int file = ::open(QFile::encodeName(captured).constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(file, 0);
    ::dup2(file, STDOUT_FILENO);
    CGUnzipFiles request(progress, prompter);
    request.setWriteToStdOut(true);
    const std::int32_t result = request.Unzip(archive, outDir());
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    ::close(file);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(readWholeFile(captured), QByteArray("one two"));
    EXPECT_TRUE(written().isEmpty());
    EXPECT_EQ(packageCounters().sngUnzipCount, 0);
}
