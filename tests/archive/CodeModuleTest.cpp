#include "ExtractionFixture.h"

#include "archive/CodeModule.h"
#include "format/GyroError.h"

#include <cstring>
#include <string>
#include <vector>

TEST(CodeModule, OptionRecordTakesEachValueInItsOwnField) {
    // Values in VBUnzip's order are 1..15; the record's order differs.
    const UnzipOptions o =
        makeUnzipOptions("a.zip", "dir", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, -15);
    const std::int32_t fields[15] = {o.ExtractOnlyNewer, o.SpaceToUnderScore, o.PromptOverwrite,
                                     o.MessageLevel,     o.WriteToStdOut,     o.TestZip,
                                     o.ExtractList,      o.ExtractNewer,      o.DisplayComment,
                                     o.HonorDirectories, o.OverWriteFiles,    o.ConvertCRtoCRLF,
                                     o.Verbose,          o.CaseSensitive,     o.Privilege};
    const std::int32_t expected[15] = {8, 2, 3, 4, 5, 6, 7, 1, 9, 10, 11, 12, 13, 14, -15};
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(fields[i], expected[i]) << "field " << i + 1;
    EXPECT_STREQ(o.ZipFileName, "a.zip");
    EXPECT_STREQ(o.ExtractDir, "dir");
}

TEST_F(ExtractionTest, PrintCallbackCollectsPiecesWithTheLineFeedRule) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        std::vector<int> counts; // -1: the piece's length
        QString expected;
    };
    const std::string longPiece(40000, 'x');
    const Case cases[] = {
        {"lone line feed becomes CR LF",
         {"abc", "\n", "def"},
         {-1, -1, -1},
         QStringLiteral("abc\r\ndef")},
        {"text after a leading line feed is dropped", {"\nxyz"}, {-1}, QStringLiteral("\r\n")},
        {"count bounds the piece", {"abcdef"}, {3}, QStringLiteral("abc")},
        {"a zero byte ends the piece", {std::string("ab\0cd", 5)}, {5}, QStringLiteral("ab")},
        {"count 0 adds nothing", {"abc"}, {0}, QString()},
        {"line feed inside a piece stays", {"a\nb"}, {-1}, QStringLiteral("a\nb")},
        {"never more than 32,801 bytes", {longPiece}, {-1}, QString(32801, QLatin1Char('x'))},
    };
    for (const Case& c : cases) {
        bindingState().reset();
        for (std::size_t i = 0; i < c.pieces.size(); ++i) {
            const int count = c.counts[i] < 0 ? int(c.pieces[i].size()) : c.counts[i];
            EXPECT_EQ(UnzipPrintCallback(c.pieces[i].data(), count), 0);
        }
        EXPECT_EQ(bindingState().sLastMessage, c.expected) << c.name;
    }
}

TEST_F(ExtractionTest, ServiceCallbackCountsEveryMemberByItsName) {
    const CallbackTargets targets(progress, prompter);
    for (const char* name : {"obj_H_0001.jpg", "obj_V00_0002.jpg", "obj_M01_0003.jpg"})
        EXPECT_EQ(UnzipServiceCallback(name, std::int32_t(std::strlen(name))), 0);
    const PackageCounters& c = packageCounters();
    EXPECT_EQ(c.sngUnzipCount, 3);
    EXPECT_EQ(c.sngHCount, 1);
    EXPECT_EQ(c.bytVCount, 1);
    EXPECT_EQ(c.bytVColumns, 1);
    EXPECT_EQ(c.bytVRows, 1);
    EXPECT_EQ(c.bytMCount, 1);
    EXPECT_EQ(c.bytMColumns, 0);
    EXPECT_EQ(c.bytMRows, 0);
    EXPECT_EQ(progress.current, QStringLiteral("Uncompressing #3"));
    EXPECT_EQ(progress.refreshes, 3);
}

TEST_F(ExtractionTest, ServiceCallbackEdgeCases) {
    struct Case {
        const char* name;
        std::string member;
        int count;
        float units, h;
        int v;
        QString label;
    };
    const Case cases[] = {
        {"lower case marker counts nowhere", "obj_h_0001.jpg", -1, 1, 0, 0,
         QStringLiteral("Uncompressing #1")},
        {"short count reads only its bytes", "obj_H_0001.jpg", 4, 1, 0, 0,
         QStringLiteral("Uncompressing #1")},
        {"short count still reaching the marker", "obj_H_0001.jpg", 5, 1, 1, 0,
         QStringLiteral("Uncompressing #1")},
        {"count 0: counted, nothing else", "obj_H_0001.jpg", 0, 1, 0, 0, QString()},
        {"the extraction folder never counts", "/tmp/pkg_H_V/obj.jpg", -1, 1, 0, 0,
         QStringLiteral("Uncompressing #1")},
        {"the file name counts", "/tmp/pkg/obj_V00_0002.jpg", -1, 1, 0, 1,
         QStringLiteral("Uncompressing #1")},
    };
    for (const Case& c : cases) {
        packageCounters().reset();
        RecordingProgressSink sink;
        const CallbackTargets targets(sink, prompter);
        const int count = c.count < 0 ? int(c.member.size()) : c.count;
        EXPECT_EQ(UnzipServiceCallback(c.member.c_str(), count), 0);
        EXPECT_EQ(packageCounters().sngUnzipCount, c.units) << c.name;
        EXPECT_EQ(packageCounters().sngHCount, c.h) << c.name;
        EXPECT_EQ(packageCounters().bytVCount, c.v) << c.name;
        EXPECT_EQ(sink.current, c.label) << c.name;
    }
}

TEST_F(ExtractionTest, ByteCountersStopAt255) {
    for (int i = 0; i < 300; ++i) {
        const std::string name = "obj_V00_0002_" + std::to_string(i) + ".jpg";
        UnzipServiceCallback(name.c_str(), std::int32_t(name.size()));
    }
    EXPECT_EQ(packageCounters().bytVCount, 255);
    EXPECT_EQ(packageCounters().bytVColumns, 255);
    EXPECT_EQ(packageCounters().bytVRows, 255);
    EXPECT_EQ(packageCounters().sngUnzipCount, 300);
}

TEST_F(ExtractionTest, ServiceCallbackMeasuresTheLargestFileFound) {
    writeWholeFile(sandbox.file(QStringLiteral("big.jpg")), QByteArray(1234, 'b'));
    writeWholeFile(sandbox.file(QStringLiteral("small.jpg")), QByteArray(10, 's'));
    for (const QString& name : {QStringLiteral("big.jpg"), QStringLiteral("small.jpg"),
                                QStringLiteral("missing.jpg"), QStringLiteral("out")}) {
        const QByteArray path = QFile::encodeName(sandbox.file(name));
        UnzipServiceCallback(path.constData(), std::int32_t(path.size()));
    }
    EXPECT_EQ(packageCounters().sngMaxFileLen, 1234);
    EXPECT_EQ(packageCounters().sngUnzipCount, 4);
}

TEST_F(ExtractionTest, PasswordCallbackWritesTheAnswerWithinTheBuffer) {
    const CallbackTargets targets(progress, prompter);
    struct Case {
        const char* name;
        QString answer;
        int size;
        std::int16_t result;
        std::string password; // expected in the buffer
    };
    const Case cases[] = {
        {"fits", QStringLiteral("secret"), 257, 0, "secret"},
        {"exactly fits with its zero", QString(256, QLatin1Char('p')), 257, 0,
         std::string(256, 'p')},
        {"one byte too long", QString(257, QLatin1Char('p')), 257, 1, ""},
        {"small buffer", QStringLiteral("abcd"), 4, 1, ""},
        {"small buffer, fits", QStringLiteral("abc"), 4, 0, "abc"},
        {"buffer beyond 257 is never used", QString(300, QLatin1Char('p')), 1000, 1, ""},
    };
    for (const Case& c : cases) {
        bindingState().bSkipPassword = false;
        prompter.inputs = {c.answer};
        std::vector<char> buffer(1100, '#');
        const std::int16_t result =
            UnzipPasswordCallback(buffer.data(), c.size, "prompt", "member");
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(std::string(buffer.data(), ::strnlen(buffer.data(), 300)), c.password) << c.name;
        const int used = std::min(c.size, 257);
        for (int i = int(c.password.size()); i < used; ++i)
            ASSERT_EQ(buffer[i], '\0') << c.name << " byte " << i;
        for (int i = used; i < 1100; ++i)
            ASSERT_EQ(buffer[i], '#') << c.name << " wrote byte " << i;
        EXPECT_EQ(bindingState().bSkipPassword, c.result == 1) << c.name;
    }
    EXPECT_EQ(prompter.prompts.first(), QStringLiteral("Please Enter The Password!"));
    EXPECT_TRUE(prompter.defaults.first().isEmpty());
    EXPECT_TRUE(bindingState().sLastMessage.contains(QStringLiteral("password was refused")));
}

TEST_F(ExtractionTest, EmptyPasswordAnswerStopsFurtherQuestions) {
    const CallbackTargets targets(progress, prompter);
    char buffer[257];
    prompter.inputs = {QString(), QStringLiteral("never asked")};
    EXPECT_EQ(UnzipPasswordCallback(buffer, 257, "", ""), 1);
    EXPECT_TRUE(bindingState().bSkipPassword);
    EXPECT_EQ(UnzipPasswordCallback(buffer, 257, "", ""), 1);
    EXPECT_EQ(prompter.prompts.size(), 1);
}

TEST_F(ExtractionTest, OverwriteCallbackRepliesWithTheLibraryCodes) {
    const CallbackTargets targets(progress, prompter);
    prompter.replies = {Prompter::Reply::Yes, Prompter::Reply::No, Prompter::Reply::Cancel};
    EXPECT_EQ(UnzipReplaceCallback("a.jpg"), 102);
    EXPECT_EQ(UnzipReplaceCallback("b.jpg"), 100);
    EXPECT_EQ(UnzipReplaceCallback("c.jpg"), 104);
    EXPECT_EQ(UnzipReplaceCallback("d.jpg"), 104); // box closed without a choice
    EXPECT_EQ(prompter.questions.first(), QStringLiteral("Overwrite a.jpg?"));
    EXPECT_EQ(prompter.questionTitles.first(), QStringLiteral("VBUnZip32 - File Already Exists!"));
    const std::string longName(300, 'n');
    UnzipReplaceCallback(longName.c_str());
    EXPECT_EQ(prompter.questions.last(),
              QStringLiteral("Overwrite ") + QString(256, QLatin1Char('n')) + QLatin1Char('?'));
}

TEST_F(ExtractionTest, VBUnzipRaisesWithItsOwnSource) {
    try {
        VBUnzip(QStringLiteral("a.360"), QStringLiteral("out") + QChar(0), 0, 0, 0, 2, 0, 0, 0, 0,
                0, 0, 1, 0, 0, 1, 0, progress, prompter);
        ADD_FAILURE() << "no error raised";
    } catch (const GyroError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::BadFileName);
        EXPECT_EQ(error.source(), QStringLiteral("CodeModule::VBUnzip"));
    }
    EXPECT_EQ(bindingState().progress, nullptr); // the callbacks' targets are released
}
