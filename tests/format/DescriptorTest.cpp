#include "format/Descriptor.h"
#include "format/DescriptorValues.h"

#include <gtest/gtest.h>

namespace {

Descriptor parse(const QByteArray& text) {
    return readDescriptor(IniFile::fromBytes(text));
}

bool notesMention(const Descriptor& d, const char* part) {
    for (const QString& note : d.notes) {
        if (note.contains(QString::fromLatin1(part)))
            return true;
    }
    return false;
}

TEST(DescriptorValues, WholeNumbersAcceptBlanksSignAndRoundedFractions) {
    const struct {
        const char* text;
        std::optional<long long> value;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {" \t-7 ", -7},
        {"+12", 12},
        {"007", 7},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"-3.5", -4},
        {"2.51", 3},
        {"2.4999", 2},
        {"0.5", 0},
        {"1.5", 2},
        {".6", 1},
        {"5.", 5},
        {"-0.4", 0},
        {"99999999999999999999", WholeNumberLimit},
        {"-99999999999999", -WholeNumberLimit},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1 2", std::nullopt},
        {"1e3", std::nullopt},
        {"&H10", std::nullopt},
        {"1,000", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"--1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseWholeNumber(QString::fromLatin1(c.text)), c.value);
    }
}

TEST(DescriptorValues, TruthValuesAreWordsOrNumbers) {
    const struct {
        const char* text;
        std::optional<bool> value;
    } cases[] = {
        {"True", true}, {"TRUE", true},     {" false ", false},    {"False", false},
        {"-1", true},   {"0", false},       {"2.5", true},         {"0.4", true},
        {"0.0", false}, {"", std::nullopt}, {"yes", std::nullopt}, {"Truex", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseTruthValue(QString::fromLatin1(c.text)), c.value);
    }
}

TEST(Descriptor, TheSamplePackageDescriptorReadsCompletely) {
    const Descriptor d =
        readDescriptor(QStringLiteral(GYRO_SOURCE_DIR "/data/samples/teapot/info.ini"));
    EXPECT_TRUE(d.present);
    EXPECT_EQ(d.fileName, "teapot");
    EXPECT_EQ(d.fileType, ".jpg");
    EXPECT_EQ(d.numOfNorth, 4);
    EXPECT_EQ(d.numOfSouth, 2);
    EXPECT_EQ(d.numOfWest, 0);
    EXPECT_EQ(d.numOfEast, 0);
    EXPECT_EQ(d.sound, "house_lo.mp3");
    EXPECT_TRUE(d.soundRepeat);
    ASSERT_EQ(d.hotSpots.iHotSpots(), 1);
    EXPECT_EQ(d.hotSpots.HotSpotImages(1), 1);
    EXPECT_EQ(d.hotSpots.HotSpotImageNum(1, 1), 0);
    EXPECT_EQ(d.hotSpots.rectangle(1, 0), (HotSpotRect{6600, 2550, 8325, 4500}));
    EXPECT_EQ(d.hotSpots.rectangle(1, 1), (HotSpotRect{}));
    EXPECT_EQ(d.hotSpots.rectangle(0, 0), std::nullopt);
    EXPECT_EQ(d.hotSpots.rectangle(2, 0), std::nullopt);
    EXPECT_EQ(d.hotSpots.rectangle(1, 361), std::nullopt);
    EXPECT_EQ(d.hotSpots.rectangle(1, -1), std::nullopt);
    EXPECT_TRUE(d.notes.isEmpty()) << d.notes.join(u'\n').toStdString();
}

TEST(Descriptor, OneImageNumFillsTheWholeListAndOneRectangle) {
    const Descriptor d = parse("[NumOfHotSpots]\nNumOfHotSpots=2\n"
                               "[HotSpot1]\nNumOfImages=3\nImageNum=7\n"
                               "Image7-X1=1200\nImage7-Y1=900\nImage7-X2=2400\nImage7-Y2=1800\n"
                               "Image0-X1=5\n"
                               "[HotSpot2]\nNumOfImages=0\nImageNum=4\nImage4-X1=9\n");
    ASSERT_EQ(d.hotSpots.iHotSpots(), 2);
    EXPECT_EQ(d.hotSpots.HotSpotImages(1), 3);
    for (int j = 0; j <= 4; ++j)
        EXPECT_EQ(d.hotSpots.HotSpotImageNum(1, j), (j >= 1 && j <= 3) ? 7 : 0) << j;
    EXPECT_EQ(d.hotSpots.rectangle(1, 7), (HotSpotRect{1200, 900, 2400, 1800}));
    EXPECT_EQ(d.hotSpots.HotSpotX1(1, 0), 0); // Image0 keys are not for this hot spot
    // An empty image list reads neither ImageNum nor a rectangle.
    EXPECT_EQ(d.hotSpots.HotSpotImages(2), 0);
    EXPECT_EQ(d.hotSpots.HotSpotImageNum(2, 1), 0);
    EXPECT_EQ(d.hotSpots.rectangle(2, 4), (HotSpotRect{}));
}

TEST(Descriptor, ZeroHotSpotsLeaveOnlyRowZero) {
    const Descriptor d = parse("[NumOfHotSpots]\nNumOfHotSpots=0\n[HotSpot1]\nNumOfImages=1\n"
                               "ImageNum=0\nImage0-X1=10\n");
    EXPECT_EQ(d.hotSpots.iHotSpots(), 0);
    EXPECT_EQ(d.hotSpots.HotSpotImages(0), 0);
    EXPECT_EQ(d.hotSpots.HotSpotImages(1), 0);
    EXPECT_EQ(d.hotSpots.rectangle(1, 0), std::nullopt);
    EXPECT_EQ(d.hotSpots.HotSpotX1(1, 0), 0);
}

struct HotSpotCase {
    const char* name;
    QByteArray hotSpot; // body of [HotSpot1]
    int images;         // expected HotSpotImages(1)
    int listValue;      // expected HotSpotImageNum(1, 1)
    int rectImage;      // image whose rectangle is expected, -1 for none anywhere
    HotSpotRect rect;
    const char* note; // part of the expected note, "" for none
};

TEST(Descriptor, BadHotSpotValuesAreIgnoredNeverWrittenOutOfBounds) {
    const QByteArray rect9 = "Image9-X1=1\nImage9-Y1=2\nImage9-X2=3\nImage9-Y2=4\n";
    const HotSpotCase cases[] = {
        {"ImageNum 400", "NumOfImages=2\nImageNum=400\nImage400-X1=1\n", 2, 0, -1, {}, "400"},
        {"ImageNum -1", "NumOfImages=2\nImageNum=-1\nImage-1-X1=1\n", 2, 0, -1, {}, "-1"},
        {"ImageNum absent", "NumOfImages=1\n", 1, 0, -1, {}, "ImageNum: no value"},
        {"ImageNum garbage", "NumOfImages=1\nImageNum=seven\n", 1, 0, -1, {}, "seven"},
        {"ImageNum 360",
         "NumOfImages=1\nImageNum=360\nImage360-X1=8\n",
         1,
         360,
         360,
         {8, 0, 0, 0},
         "Image360-Y1"},
        {"ImageNum with fraction", "NumOfImages=1\nImageNum=8.5\n" + rect9, 1, 8, -1, {}, "X1"},
        {"ImageNum 9.5 rounds to 10",
         "NumOfImages=1\nImageNum=9.5\n" + rect9,
         1,
         10,
         -1,
         {},
         "Image10-X1"},
        {"ImageNum written 009",
         "NumOfImages=1\nImageNum=009\n" + rect9,
         1,
         9,
         9,
         {1, 2, 3, 4},
         ""},
        {"NumOfImages 361", "NumOfImages=361\nImageNum=9\n" + rect9, 0, 0, -1, {}, "361"},
        {"NumOfImages -3", "NumOfImages=-3\nImageNum=9\n" + rect9, 0, 0, -1, {}, "-3"},
        {"NumOfImages 360", "NumOfImages=360\nImageNum=9\n" + rect9, 360, 9, 9, {1, 2, 3, 4}, ""},
        {"rectangle garbage and overflow",
         "NumOfImages=1\nImageNum=9\nImage9-X1=x\nImage9-Y1=40000\nImage9-X2=-32768\n"
         "Image9-Y2=32767\n",
         1,
         9,
         9,
         {0, 0, -32768, 32767},
         "40000"},
    };
    for (const HotSpotCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Descriptor d = parse("[NumOfHotSpots]\nNumOfHotSpots=1\n[HotSpot1]\n" + c.hotSpot);
        ASSERT_EQ(d.hotSpots.iHotSpots(), 1);
        EXPECT_EQ(d.hotSpots.HotSpotImages(1), c.images);
        EXPECT_EQ(d.hotSpots.HotSpotImageNum(1, 1), c.listValue);
        for (int n = 0; n <= HotSpotTables::MaxImageNumber; ++n) {
            const HotSpotRect expected = n == c.rectImage ? c.rect : HotSpotRect{};
            ASSERT_EQ(d.hotSpots.rectangle(1, n), expected) << "image " << n;
        }
        if (*c.note) {
            EXPECT_TRUE(notesMention(d, c.note)) << d.notes.join(u'\n').toStdString();
        } else {
            EXPECT_FALSE(notesMention(d, "HotSpot1")) << d.notes.join(u'\n').toStdString();
        }
    }
}

TEST(Descriptor, TopLevelValuesThatDoNotConvertReadAsZeroOrFalse) {
    const struct {
        const char* name;
        QByteArray text;
        int north;
        bool repeat;
        int hotSpots;
        const char* note;
    } cases[] = {
        {"all absent", "", 0, false, 0, "NumOfNorth: no value"},
        {"north garbage", "[NumOfNorth]\nNumOfNorth=four\n", 0, false, 0, "four"},
        {"north overflow", "[NumOfNorth]\nNumOfNorth=32768\n", 0, false, 0, "32768"},
        {"north lowest", "[NumOfNorth]\nNumOfNorth=-32768\n", -32768, false, 0, ""},
        {"repeat -1", "[SoundRepeat]\nSoundRepeat=-1\n", 0, true, 0, ""},
        {"repeat 2.5", "[SoundRepeat]\nSoundRepeat=2.5\n", 0, true, 0, ""},
        {"repeat lower case", "[soundrepeat]\nSOUNDREPEAT= true \n", 0, true, 0, ""},
        {"repeat garbage", "[SoundRepeat]\nSoundRepeat=yes\n", 0, false, 0, "yes"},
        {"255 hot spots", "[NumOfHotSpots]\nNumOfHotSpots=255\n", 0, false, 255, ""},
        {"300 hot spots", "[NumOfHotSpots]\nNumOfHotSpots=300\n", 0, false, 0, "300"},
        {"-1 hot spots", "[NumOfHotSpots]\nNumOfHotSpots=-1\n", 0, false, 0, "-1"},
        {"hot spots garbage", "[NumOfHotSpots]\nNumOfHotSpots=one\n", 0, false, 0, "one"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Descriptor d = parse(c.text);
        EXPECT_TRUE(d.present);
        EXPECT_EQ(d.numOfNorth, c.north);
        EXPECT_EQ(d.soundRepeat, c.repeat);
        EXPECT_EQ(d.hotSpots.iHotSpots(), c.hotSpots);
        EXPECT_EQ(d.hotSpots.HotSpotImages(c.hotSpots), 0);
        if (*c.note) {
            EXPECT_TRUE(notesMention(d, c.note)) << d.notes.join(u'\n').toStdString();
        }
    }
}

TEST(Descriptor, AMissingFileReadsAsEmpty) {
    const Descriptor d = readDescriptor(QStringLiteral("/nonexistent/info.ini"));
    EXPECT_FALSE(d.present);
    EXPECT_TRUE(d.fileName.isEmpty());
    EXPECT_TRUE(d.sound.isEmpty());
    EXPECT_FALSE(d.soundRepeat);
    EXPECT_EQ(d.hotSpots.iHotSpots(), 0);
    EXPECT_EQ(d.notes.size(), 1);
}

} // namespace
