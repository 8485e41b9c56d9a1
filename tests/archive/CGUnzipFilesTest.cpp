#include "ExtractionFixture.h"

#include "format/GyroError.h"
#include "support/ZipBuilder.h"

#include <functional>

namespace {

struct FlagProperty {
    const char* name;
    std::function<bool(const CGUnzipFiles&)> get;
    std::function<void(CGUnzipFiles&, bool)> set;
    bool initial;
};

#define FLAG(P, initial)                                                                           \
    FlagProperty {                                                                                 \
#P, [](const CGUnzipFiles& r) { return r.P(); }, [](CGUnzipFiles & r,                      \
                                                            bool v) { r.set##P(v); }, initial      \
    }

const FlagProperty kFlags[] = {
    FLAG(ExtractNewer, false),    FLAG(SpaceToUnderScore, false), FLAG(PromptOverwrite, false),
    FLAG(WriteToStdOut, false),   FLAG(TestZip, false),           FLAG(ExtractOnlyNewer, false),
    FLAG(DisplayComment, false),  FLAG(HonorDirectories, true),   FLAG(OverWriteFiles, true),
    FLAG(ConvertCRtoCRLF, false), FLAG(Verbose, false),           FLAG(CaseSensitive, true),
};

} // namespace

TEST_F(ExtractionTest, NewRequestHoldsTheDefaults) {
    CGUnzipFiles request(progress, prompter);
    for (const FlagProperty& flag : kFlags)
        EXPECT_EQ(flag.get(request), flag.initial) << flag.name;
    EXPECT_EQ(request.MessageLevel(), 2);
    EXPECT_EQ(request.ExtractList(), 0);
    EXPECT_EQ(request.Privilege(), 0);
    EXPECT_TRUE(request.ZipFileName().isEmpty());
    EXPECT_TRUE(request.ExtractDir().isEmpty());
    EXPECT_TRUE(request.GetLastMessage().isEmpty());
}

TEST_F(ExtractionTest, FlagsReadBackWhatWasWritten) {
    CGUnzipFiles request(progress, prompter);
    for (const FlagProperty& flag : kFlags) {
        flag.set(request, !flag.initial);
        EXPECT_EQ(flag.get(request), !flag.initial) << flag.name;
        flag.set(request, flag.initial);
        EXPECT_EQ(flag.get(request), flag.initial) << flag.name;
    }
}

TEST_F(ExtractionTest, UnzipWithEmptyTextsUsesTheProperties) {
    const QString archive =
        writeArchive(QStringLiteral("p.360"), buildZip({storedMember("one_H_0000.jpg", "abc")}));
    CGUnzipFiles request(progress, prompter);
    request.setZipFileName(archive);
    request.setExtractDir(outDir());
    request.setHonorDirectories(false);
    EXPECT_EQ(request.Unzip(QString(), QString()), 0);
    EXPECT_EQ(written(), QStringList{QStringLiteral("one_H_0000.jpg")});
}

TEST_F(ExtractionTest, NonEmptyTextsReplaceThePropertiesForGood) {
    const QString archive =
        writeArchive(QStringLiteral("q.360"), buildZip({storedMember("x.txt", "abc")}));
    CGUnzipFiles request(progress, prompter);
    request.setZipFileName(QStringLiteral("/nonexistent/old.360"));
    EXPECT_EQ(request.Unzip(archive, outDir()), 0);
    EXPECT_EQ(request.ZipFileName(), archive);
    EXPECT_EQ(request.ExtractDir(), outDir());
    EXPECT_EQ(written(), QStringList{QStringLiteral("x.txt")});
}

TEST_F(ExtractionTest, IntegerOptionsOutside16BitsRaiseOverflowBeforeTheLibrary) {
    const std::function<void(CGUnzipFiles&, std::int32_t)> setters[] = {
        [](CGUnzipFiles& r, std::int32_t v) { r.setMessageLevel(v); },
        [](CGUnzipFiles& r, std::int32_t v) { r.setExtractList(v); },
        [](CGUnzipFiles& r, std::int32_t v) { r.setPrivilege(v); },
    };
    const QString archive =
        writeArchive(QStringLiteral("o.360"), buildZip({storedMember("x.txt", "abc")}));
    for (const std::int32_t value : {40000, -32769}) {
        for (const auto& set : setters) {
            bindingState().sLastMessage = QStringLiteral("previous extraction");
            CGUnzipFiles request(progress, prompter);
            set(request, value);
            try {
                request.Unzip(archive, outDir());
                ADD_FAILURE() << "no overflow for " << value;
            } catch (const GyroError& error) {
                EXPECT_EQ(error.number(), ErrorNumber::Overflow);
                EXPECT_EQ(error.description(), QStringLiteral("Overflow"));
                EXPECT_EQ(error.source(), QStringLiteral("CGUnZipFiles::Unzip"));
            }
            EXPECT_EQ(request.GetLastMessage(), QStringLiteral("previous extraction"));
            EXPECT_EQ(request.ZipFileName(), archive); // replaced before the narrowing
            EXPECT_TRUE(written().isEmpty());
        }
    }
}

TEST_F(ExtractionTest, NegativeValuesInside16BitsPassUnchanged) {
    const QString archive =
        writeArchive(QStringLiteral("n.360"), buildZip({storedMember("x.txt", "abc")}));
    CGUnzipFiles request(progress, prompter);
    request.setMessageLevel(-5);
    request.setPrivilege(-32768);
    EXPECT_EQ(request.Unzip(archive, outDir()), 0);
    EXPECT_EQ(request.MessageLevel(), -5);
}

TEST_F(ExtractionTest, PreparationFailuresAreRaisedWithTheRequestAsSource) {
    // A path that cannot become a zero-terminated byte string never reaches the library.
    bindingState().sLastMessage = QStringLiteral("previous extraction");
    CGUnzipFiles request(progress, prompter);
    try {
        request.Unzip(QStringLiteral("bad") + QChar(0) + QStringLiteral(".360"), outDir());
        ADD_FAILURE() << "no error raised";
    } catch (const GyroError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::BadFileName);
        EXPECT_EQ(error.source(), QStringLiteral("CGUnZipFiles::Unzip"));
    }
    EXPECT_TRUE(request.GetLastMessage().isEmpty());
}

TEST_F(ExtractionTest, TheLastMessageIsOneForTheWholeProcess) {
    const QString bad = writeArchive(QStringLiteral("car.360"), "this is no archive");
    CGUnzipFiles first(progress, prompter);
    CGUnzipFiles second(progress, prompter);
    EXPECT_NE(first.Unzip(bad, outDir()), 0);
    EXPECT_EQ(second.GetLastMessage(), QStringLiteral("car.360 is not a ZIP archive\r\n"));
    // The next extraction empties it.
    const QString good =
        writeArchive(QStringLiteral("good.360"), buildZip({storedMember("x.txt", "abc")}));
    EXPECT_EQ(second.Unzip(good, outDir()), 0);
    EXPECT_TRUE(first.GetLastMessage().isEmpty());
}
