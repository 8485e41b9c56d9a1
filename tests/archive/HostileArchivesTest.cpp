// Archives built byte by byte to break the extraction: each must end in a non-zero result with a
// clear text, write nothing outside the extraction folder and leave nothing of a failed member.
#include "ExtractionFixture.h"

#include "support/ZipBuilder.h"

#include <QFile>
#include <sys/stat.h>

namespace {

struct HostileCase {
    const char* name;
    QByteArray archive;
    QString text;        // expected in the last message
    QStringList written; // what the extraction folder holds afterwards
    bool honorDirectories = false;
};

ZipMember withCrc(ZipMember member, std::int64_t crc) {
    member.crc = crc;
    return member;
}

ZipMember declaring(ZipMember member, std::int64_t size) {
    member.size = size;
    return member;
}

ZipMember withMethod(ZipMember member, std::uint16_t method) {
    member.method = method;
    return member;
}

ZipMember withMode(ZipMember member, std::uint32_t mode) {
    member.unixMode = mode;
    return member;
}

QByteArray manyMembers(int count) {
    QList<ZipMember> members;
    for (int i = 0; i < count; ++i)
        members.append(storedMember("m" + QByteArray::number(i), "x"));
    return buildZip(members);
}

QByteArray overlapping() {
    ZipMember first = storedMember("a.jpg", QByteArray(4000, 'a'));
    ZipMember second = first;
    second.name = "b.jpg";
    second.writeLocal = false;
    second.centralOffset = 0; // the same data again
    return buildZip({first, second});
}

QByteArray hugeDeclared() {
    ZipMember member = deflatedMember("big.jpg", "abc");
    member.zip64 = true;
    member.size = std::int64_t(1) << 60;
    return buildZip({member});
}

QByteArray encryptedGarbage() {
    ZipMember member = storedMember("locked.jpg", "irrelevant");
    member.data = QByteArray(12, '\x5A') + "ciphertext";
    member.flags = 1;
    return buildZip({member});
}

QByteArray truncated() {
    const QByteArray whole = buildZip(
        {storedMember("a.jpg", QByteArray(500, 'a')), storedMember("b.jpg", QByteArray(500, 'b'))});
    return whole.left(whole.size() / 2);
}

const ZipMember kGood = storedMember("ok.jpg", "fine");

QList<HostileCase> hostileCases() {
    const QByteArray longName = QByteArray(256, 'n') + ".jpg";
    return {
        {"not a ZIP", "GIF89a and then some bytes", "evil.360 is a GIF picture, not a package", {}},
        {"no known kind", "just some bytes", "evil.360 is not a ZIP archive", {}},
        {"a video",
         QByteArray("\0\0\0\x20"
                    "ftypisom\0\0\2\0isomiso2",
                    24),
         "evil.360 is an MP4 video, not a package",
         {}},
        {"empty file", "", "evil.360 is empty", {}},
        {"truncated", truncated(), "evil.360 is damaged: it is truncated", {}},
        {"checksum corrupted, stored",
         buildZip({kGood, withCrc(storedMember("teapot_H_0003.jpg", "data"), 0x12345678)}),
         "teapot_H_0003.jpg: damaged (checksum mismatch)",
         {"ok.jpg"}},
        {"checksum corrupted, deflated",
         buildZip({withCrc(deflatedMember("d.jpg", QByteArray(70000, 'd')), 7)}),
         "d.jpg: damaged (checksum mismatch)",
         {}},
        {"holds more than it declares",
         buildZip({declaring(deflatedMember("more.jpg", QByteArray(100000, 'm')), 10)}),
         "more.jpg: damaged (it holds more data than its declared 10 bytes)",
         {}},
        {"holds less than it declares",
         buildZip({declaring(deflatedMember("less.jpg", "short"), 1000)}),
         "less.jpg: damaged (its data ends after 5 of 1000 bytes)",
         {}},
        {"unknown compression method",
         buildZip({withMethod(storedMember("u.jpg", "u"), 77)}),
         "u.jpg: cannot be extracted (its compression method 77 is not supported)",
         {}},
        {"invalid deflate data",
         buildZip({withMethod(storedMember("z.jpg", QByteArray(64, '\xFF')), 8)}),
         "z.jpg: damaged (its compressed data is invalid)",
         {}},
        {"encrypted, no password",
         encryptedGarbage(),
         "locked.jpg: skipped (no password was given)",
         {}},
        {"symbolic link",
         buildZip({withMode(storedMember("link.jpg", "/etc/passwd"), 0120777), kGood}),
         "link.jpg: refused (it is a symbolic link",
         {"ok.jpg"}},
        {"climbing name",
         buildZip({storedMember("../../evil.jpg", "e"), kGood}),
         "../../evil.jpg: refused (the name points outside",
         {"ok.jpg"}},
        {"climbing name, backslashes",
         buildZip({storedMember("a\\..\\..\\evil.jpg", "e")}),
         "a\\..\\..\\evil.jpg: refused (the name points outside",
         {}},
        {"climbing name, folders honored",
         buildZip({storedMember("sub/../../evil.jpg", "e")}),
         "refused (the name points outside",
         {},
         true},
        {"bare name ..",
         buildZip({storedMember("a/..", "e")}),
         "a/..: refused (the name points outside",
         {}},
        {"bare name .", buildZip({storedMember("a/.", "e")}), "a/.: refused", {}},
        {"empty name", buildZip({storedMember("", "e")}), ": refused (the name is empty)", {}},
        {"control byte",
         buildZip({storedMember("x\x01y.jpg", "e")}),
         "x\\x01y.jpg: refused (the name holds a control character)",
         {}},
        {"DEL byte",
         buildZip({storedMember("x\x7F.jpg", "e")}),
         "x\\x7F.jpg: refused (the name holds a control character)",
         {}},
        {"name part over 255 bytes",
         buildZip({storedMember(longName, "e")}),
         "refused (a part of the name is longer than 255 bytes)",
         {}},
        {"same bare name in two folders",
         buildZip({storedMember("a/x.jpg", "1"), storedMember("b\\x.jpg", "2"), kGood}),
         "b\\x.jpg: refused (another member is also written as x.jpg)",
         {"ok.jpg"}},
        {"exact duplicate names",
         buildZip({storedMember("x.jpg", "1"), storedMember("x.jpg", "2")}),
         "x.jpg: refused (another member is also written as x.jpg)",
         {}},
        {"file where a folder is needed",
         buildZip({storedMember("a", "file"), storedMember("a/b.jpg", "b")}),
         "a: refused (the archive also needs a folder named a)",
         {"a/", "a/b.jpg"},
         true},
        {"overlapping members", overlapping(), "evil.360 is damaged: its members overlap", {}},
        {"more than 4,096 members",
         manyMembers(4097),
         "evil.360 holds 4097 members; at most 4,096 members are accepted",
         {}},
        {"declared size beyond the free space",
         hugeDeclared(),
         "evil.360 needs 1152921504607109120 bytes when extracted", // 2^60 and the reserve
         {}},
    };
}

} // namespace

TEST_F(ExtractionTest, HostileArchivesAreRefusedCleanly) {
    for (const HostileCase& c : hostileCases()) {
        SCOPED_TRACE(c.name);
        bindingState().reset();
        QDir(outDir()).removeRecursively();
        QDir().mkpath(outDir());
        const QString archive = writeArchive(QStringLiteral("evil.360"), c.archive);
        const std::int32_t result = extract(archive, c.honorDirectories);
        EXPECT_NE(result, 0);
        EXPECT_TRUE(lastMessage().contains(c.text)) << "message: " << lastMessage().toStdString();
        EXPECT_TRUE(lastMessage().endsWith(QStringLiteral("\r\n")));
        QStringList expected = c.written;
        expected.sort();
        EXPECT_EQ(written(), expected);
        EXPECT_TRUE(nothingBesideOut());
    }
}

TEST_F(ExtractionTest, AbsoluteNamesLandInside) {
    const QString archive = writeArchive(
        QStringLiteral("abs.360"),
        buildZip({storedMember("/tmp/abs_H_0000.jpg", "a"), storedMember("C:\\x\\y.jpg", "b")}));
    EXPECT_EQ(extract(archive), 0);
    EXPECT_EQ(written(), (QStringList{"abs_H_0000.jpg", "y.jpg"}));
    EXPECT_EQ(extract(archive, true), 0);
    EXPECT_EQ(written(), (QStringList{"C:/", "C:/x/", "C:/x/y.jpg", "abs_H_0000.jpg", "tmp/",
                                      "tmp/abs_H_0000.jpg", "y.jpg"}));
    EXPECT_TRUE(nothingBesideOut());
}

TEST_F(ExtractionTest, LinksInTheExtractionFolderAreReplacedNeverFollowed) {
    const QString target = sandbox.file(QStringLiteral("victim.txt"));
    writeWholeFile(target, "precious");
    ASSERT_TRUE(QFile::link(target, outDir() + QStringLiteral("/x.jpg")));
    ASSERT_TRUE(QDir(sandbox.path()).mkdir(QStringLiteral("elsewhere")));
    ASSERT_TRUE(
        QFile::link(sandbox.file(QStringLiteral("elsewhere")), outDir() + QStringLiteral("/sub")));
    const QString archive = writeArchive(
        QStringLiteral("l.360"),
        buildZip({storedMember("x.jpg", "replaced"), storedMember("sub/y.jpg", "through")}));
    EXPECT_EQ(extract(archive, true), 1);
    EXPECT_EQ(readWholeFile(target), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(outDir() + QStringLiteral("/x.jpg")).isSymLink());
    EXPECT_EQ(readWholeFile(outDir() + QStringLiteral("/x.jpg")), QByteArray("replaced"));
    EXPECT_TRUE(QDir(sandbox.file(QStringLiteral("elsewhere"))).isEmpty());
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("sub/y.jpg: could not be written")))
        << lastMessage().toStdString();
}

TEST_F(ExtractionTest, ArchivesThatCannotBeOpened) {
    ASSERT_TRUE(QDir(archives.path()).mkdir(QStringLiteral("folder.360")));
    const QByteArray fifo = QFile::encodeName(archivePath(QStringLiteral("pipe.360")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const std::pair<QString, QString> cases[] = {
        {archivePath(QStringLiteral("missing.360")), QStringLiteral("missing.360 does not exist")},
        {archivePath(QStringLiteral("folder.360")), QStringLiteral("folder.360 is not a file")},
        {archivePath(QStringLiteral("pipe.360")), QStringLiteral("pipe.360 is not a file")},
    };
    for (const auto& [path, text] : cases) {
        EXPECT_EQ(extract(path), 3);
        EXPECT_EQ(lastMessage(), text + QStringLiteral("\r\n"));
        EXPECT_TRUE(written().isEmpty());
    }
}
