// The extraction options beyond the combination the opening uses: overwriting, testing,
// listing and the name and content conversions.
#include "ExtractionFixture.h"

#include "support/ZipBuilder.h"

namespace {

QByteArray twoMembers() {
    return buildZip({storedMember("a.txt", "new a"), storedMember("b.txt", "new b")});
}

} // namespace

TEST_F(ExtractionTest, ExistingFilesFollowTheOverwriteOptions) {
    struct Case {
        const char* name;
        bool prompt;
        bool overwrite;
        QList<Prompter::Reply> replies;
        std::int32_t result;
        QByteArray a;
        QByteArray b;
        int questions;
    };
    const Case cases[] = {
        {"replaced without a question", false, true, {}, 0, "new a", "new b", 0},
        {"kept without a question", false, false, {}, 0, "old a", "new b", 0},
        {"asked: yes", true, true, {Prompter::Reply::Yes}, 0, "new a", "new b", 1},
        {"asked: no", true, true, {Prompter::Reply::No}, 0, "old a", "new b", 1},
        {"asked: cancel ends the extraction",
         true,
         false,
         {Prompter::Reply::Cancel},
         5,
         "old a",
         "",
         1},
    };
    const QString archive = writeArchive(QStringLiteral("o.zip"), twoMembers());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(outDir()).removeRecursively();
        QDir().mkpath(outDir());
        writeWholeFile(outDir() + QStringLiteral("/a.txt"), "old a");
        prompter.questions.clear();
        prompter.replies = c.replies;
        CGUnzipFiles request(progress, prompter);
        request.setPromptOverwrite(c.prompt);
        request.setOverWriteFiles(c.overwrite);
        EXPECT_EQ(request.Unzip(archive, outDir()), c.result);
        EXPECT_EQ(readWholeFile(outDir() + QStringLiteral("/a.txt")), c.a);
        if (c.b.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(outDir() + QStringLiteral("/b.txt")));
        } else {
            EXPECT_EQ(readWholeFile(outDir() + QStringLiteral("/b.txt")), c.b);
        }
        EXPECT_EQ(prompter.questions.size(), c.questions);
        if (c.questions) {
            EXPECT_EQ(prompter.questions.first(),
                      QStringLiteral("Overwrite ") + outDir() + QStringLiteral("/a.txt?"));
        }
    }
}

TEST_F(ExtractionTest, TestAndListModesWriteNothing) {
    QList<ZipMember> members{storedMember("a.txt", "hello"), deflatedMember("b.txt", "world")};
    const QString good = writeArchive(QStringLiteral("good.zip"), buildZip(members));
    members[0].crc = 1234;
    const QString damaged = writeArchive(QStringLiteral("damaged.zip"), buildZip(members));
    struct Case {
        const char* name;
        QString archive;
        bool test;
        std::int32_t result;
        QString text;
    };
    const Case cases[] = {
        {"test: sound archive", good, true, 0, QStringLiteral("No errors were found in good.zip")},
        {"test: damaged member", damaged, true, 1,
         QStringLiteral("a.txt: damaged (checksum mismatch)")},
        {"list", damaged, false, 0, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        packageCounters().reset();
        CGUnzipFiles request(progress, prompter);
        request.setTestZip(c.test);
        request.setExtractList(c.test ? 0 : 1);
        EXPECT_EQ(request.Unzip(c.archive, outDir()), c.result);
        EXPECT_TRUE(lastMessage().contains(c.text)) << lastMessage().toStdString();
        EXPECT_TRUE(written().isEmpty());
        EXPECT_EQ(packageCounters().sngUnzipCount, 0);
    }
}

TEST_F(ExtractionTest, NameAndContentConversions) {
    const QString archive = writeArchive(
        QStringLiteral("c.zip"),
        buildZip({storedMember("my file.txt", "a\nb\r\nc\rd\r"), storedMember("X.txt", "x")},
                 "first line\r\nsecond line"));
    CGUnzipFiles request(progress, prompter);
    request.setSpaceToUnderScore(true);
    request.setConvertCRtoCRLF(true);
    request.setDisplayComment(true);
    request.setVerbose(true);
    EXPECT_EQ(request.Unzip(archive, outDir()), 0);
    EXPECT_EQ(written(), (QStringList{"X.txt", "my_file.txt"}));
    EXPECT_EQ(readWholeFile(outDir() + QStringLiteral("/my_file.txt")),
              QByteArray("a\r\nb\r\nc\r\nd\r\n"));
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("first line\r\nsecond line\r\n")))
        << lastMessage().toStdString();
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("my file.txt: extracted (9 bytes)")));
}

TEST_F(ExtractionTest, NamesDifferingOnlyInCaseCollideWhenCaseIsIgnored) {
    const QString archive =
        writeArchive(QStringLiteral("case.zip"),
                     buildZip({storedMember("Pic.jpg", "1"), storedMember("pic.jpg", "2")}));
    EXPECT_EQ(extract(archive), 0);
    EXPECT_EQ(written(), (QStringList{"Pic.jpg", "pic.jpg"}));

    QDir(outDir()).removeRecursively();
    QDir().mkpath(outDir());
    CGUnzipFiles request(progress, prompter);
    request.setCaseSensitive(false);
    EXPECT_EQ(request.Unzip(archive, outDir()), 1);
    EXPECT_TRUE(written().isEmpty());
    // Each refusal names the other member too.
    EXPECT_TRUE(lastMessage().contains(QStringLiteral(
        "Pic.jpg: refused (its name differs only by case from another member's, pic.jpg)")));
    EXPECT_TRUE(lastMessage().contains(QStringLiteral(
        "pic.jpg: refused (its name differs only by case from another member's, Pic.jpg)")));
}

TEST_F(ExtractionTest, PrivilegeDecidesTheWrittenMode) {
    ZipMember member = storedMember("run.sh", "#!/bin/sh\n");
    member.unixMode = 0100755;
    const QString archive = writeArchive(QStringLiteral("m.zip"), buildZip({member}));
    EXPECT_EQ(extract(archive), 0);
    EXPECT_EQ(QFileInfo(outDir() + QStringLiteral("/run.sh")).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    CGUnzipFiles request(progress, prompter);
    request.setPrivilege(1);
    EXPECT_EQ(request.Unzip(archive, outDir()), 0);
    EXPECT_TRUE(QFileInfo(outDir() + QStringLiteral("/run.sh")).permissions() & QFile::ExeOther);
}

TEST_F(ExtractionTest, ExtractionFolderThatCannotBeOpened) {
    const QString archive = writeArchive(QStringLiteral("x.zip"), twoMembers());
    CGUnzipFiles request(progress, prompter);
    EXPECT_EQ(request.Unzip(archive, sandbox.file(QStringLiteral("missing"))), 4);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("The extraction folder ")))
        << lastMessage().toStdString();
    EXPECT_TRUE(nothingBesideOut());
}
