#include "opening/MemoryBudget.h"
#include "format/PackageCounters.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

const QString kRefusal48 = QStringLiteral(
    "Sorry, not enough space in memory to load these images. Space available = 12000000. Space "
    "required = 13840000");

TEST(MemoryBudgetTest, ChoosesHowToHoldThePictures) {
    const struct {
        qint64 count, width, height, largest, available;
        bool preferDecoded;
        PictureStorage storage;
        qint64 decoded, compressed;
    } cases[] = {
        // 36 horizontal + 12 upper pictures of 640 x 480.
        {48, 640, 480, 80'000, 60'000'000, true, PictureStorage::Decoded, 54'236'800, 13'840'000},
        {48, 640, 480, 80'000, 40'000'000, true, PictureStorage::Compressed, 54'236'800,
         13'840'000},
        {48, 640, 480, 80'000, 12'000'000, true, PictureStorage::Refused, 54'236'800, 13'840'000},
        // Estimates equal to what is free do not fit.
        {48, 640, 480, 80'000, 54'236'800, true, PictureStorage::Compressed, 54'236'800,
         13'840'000},
        {48, 640, 480, 80'000, 13'840'000, true, PictureStorage::Refused, 54'236'800, 13'840'000},
        // Asked for compressed pictures: compressed whenever that fits, decoded as the fallback.
        {48, 640, 480, 80'000, 60'000'000, false, PictureStorage::Compressed, 54'236'800,
         13'840'000},
        {2, 10, 10, 9'000'000, 10'000'700, false, PictureStorage::Decoded, 10'000'600, 28'000'000},
        // Pictures whose sizes pass 32 bits, without overflow.
        {254, 65535, 65535, 2'000'000'000, qint64(1) << 50, true, PictureStorage::Decoded,
         254 * qint64(65535) * 65535 * 3 + 10'000'000, 254 * qint64(2'000'000'000) + 10'000'000},
        // Absurd figures stop at the 64-bit maximum instead of wrapping.
        {qint64(1) << 40, qint64(1) << 20, qint64(1) << 20, qint64(1) << 40,
         std::numeric_limits<qint64>::max(), true, PictureStorage::Refused,
         std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::max()},
        // Nothing negative is counted.
        {-5, 640, 480, 80'000, 20'000'000, true, PictureStorage::Decoded, 10'000'000, 10'000'000},
    };
    for (const auto& c : cases) {
        const MemoryBudget budget =
            checkMemoryBudget(c.count, c.width, c.height, c.largest, c.available, c.preferDecoded);
        SCOPED_TRACE(testing::Message() << c.count << " x " << c.width << " x " << c.height << ", "
                                        << c.available << " free");
        EXPECT_EQ(budget.storage, c.storage);
        EXPECT_EQ(budget.decodedBytes, c.decoded);
        EXPECT_EQ(budget.compressedBytes, c.compressed);
        EXPECT_EQ(budget.message.isEmpty(), c.storage != PictureStorage::Refused);
    }
}

TEST(MemoryBudgetTest, MoreFreeMemoryNeverTurnsAnOpeningIntoARefusal) {
    // 48 pictures of 640 x 480 held decoded take 58,982,400 bytes, more than the decoded estimate
    // of 54,236,800: across that band the pictures are held compressed. With a large sound member
    // (the largest member) only the decoded estimate lets the package open there.
    const qint64 estimate = 54'236'800;
    const qint64 held = 48 * 640 * 480 * 4;
    const qint64 latestTwo = 2 * 640 * 480 * 4; // decodes of compressed pictures, shown and next
    for (const qint64 largest : {qint64(80'000), qint64(5'000'000)}) {
        const qint64 compressed = 48 * largest + 10'000'000 + latestTwo;
        for (const bool preferDecoded : {true, false}) {
            bool opened = false;
            std::vector<qint64> frees = {compressed - 1,
                                         compressed,
                                         compressed + 1,
                                         estimate - 1,
                                         estimate + latestTwo,
                                         estimate + latestTwo + 1,
                                         estimate,
                                         estimate + 1,
                                         (estimate + held) / 2,
                                         held - 1,
                                         held,
                                         held + 1};
            std::sort(frees.begin(), frees.end());
            for (const qint64 free : frees) {
                const MemoryBudget budget =
                    checkMemoryBudget(48, 640, 480, largest, free, preferDecoded);
                SCOPED_TRACE(testing::Message() << largest << " largest, " << free << " free");
                EXPECT_FALSE(opened && budget.storage == PictureStorage::Refused);
                opened = budget.storage != PictureStorage::Refused;
                EXPECT_EQ(opened,
                          free > std::min(held, std::min(estimate + latestTwo, compressed)));
                EXPECT_EQ(budget.storage == PictureStorage::Decoded,
                          free > held && (preferDecoded || free <= compressed - latestTwo));
            }
        }
    }
}

TEST(MemoryBudgetTest, RefusalNamesBothFigures) {
    EXPECT_EQ(checkMemoryBudget(48, 640, 480, 80'000, 12'000'000, true).message, kRefusal48);
    EXPECT_EQ(notEnoughMemoryMessage(123456789012345, 98765432109876),
              QStringLiteral("Sorry, not enough space in memory to load these images. Space "
                             "available = 123456789012345. Space required = 98765432109876"));
}

TEST(MemoryBudgetTest, CountsEveryPictureThatWillBeLoaded) {
    PackageCounters counters;
    counters.sngHCount = 36;
    counters.bytVCount = 12;
    counters.bytMCount = 24;
    EXPECT_EQ(picturesToLoad(counters, true), 72);
    EXPECT_EQ(picturesToLoad(counters, false), 36);
    counters.bytVCount = 0; // lower rings only
    EXPECT_EQ(picturesToLoad(counters, true), 60);
    counters.sngHCount = -1;
    EXPECT_EQ(picturesToLoad(counters, false), 0);
}

} // namespace

// Photos held at a screen level hold the level and their files; zoomed past the level they are
// decoded whole, so the two latest whole decodes must fit beside them whichever way they are held.
TEST(MemoryBudgetTest, AScreenLevelCountsTheLevelTheFilesAndTheWholeDecodes) {
    const qint64 levelHeld = qint64(180) * (1500 * 1000 * 4 + 8'000'000); // 1/4 of 6000 x 4000
    const qint64 wholeTwo = 2 * qint64(6000) * 4000 * 4;
    const struct {
        qint64 count, width, height, largest, available;
        PictureStorage storage;
        bool keptDecodes;
    } cases[] = {
        {180, 6000, 4000, 8'000'000, 4'000'000'000, PictureStorage::Decoded, true},
        {180, 6000, 4000, 8'000'000, levelHeld + wholeTwo, PictureStorage::Compressed, true},
        {180, 6000, 4000, 8'000'000, 1'600'000'000, PictureStorage::Refused, false},
        // A claimed 60000 x 60000 whose level fits, but whose whole decodes never could.
        {2, 60000, 60000, 1'000, 5'000'000'000, PictureStorage::Refused, false},
    };
    for (const auto& c : cases) {
        const int level = c.width == 60000 ? 8 : 4;
        const MemoryBudget budget =
            checkMemoryBudget(c.count, c.width, c.height, c.largest, c.available, true, level);
        SCOPED_TRACE(testing::Message() << c.count << " x " << c.width << ", " << c.available);
        EXPECT_EQ(budget.storage, c.storage);
        EXPECT_EQ(budget.keptDecodeBytes > 0, c.keptDecodes);
        if (c.width == 6000) {
            EXPECT_EQ(budget.heldDecodedBytes, levelHeld);
        }
        if (budget.keptDecodeBytes > 0) {
            EXPECT_GE(budget.keptDecodeBytes, wholeTwo);
        }
    }
}

// The levels are counted by what one of them really holds when the opening knows it (a 4:2:0
// level's planes: 1.5 bytes a pixel), else as 32-bit pixels: the same memory holds 180 levels of
// 1500 x 1000 decoded only in the first case. Files read back from the package (kept file 0) are
// not counted: the memory that held only 180 levels of 32-bit pixels beside them holds those
// levels when the files stay in the package.
TEST(MemoryBudgetTest, ALevelCountsWhatItReallyHolds) {
    const qint64 files = qint64(180) * 8'000'000;
    const qint64 wholeTwo = 2 * qint64(6000) * 4000 * 4;
    const qint64 planes = 1500 * 1000 * 3 / 2;
    const qint64 pixels = qint64(180) * 1500 * 1000 * 4;
    const qint64 available = files + qint64(180) * planes + wholeTwo + 300'000'000;
    const struct {
        qint64 levelBytes;
        qint64 keptFile; // -1: the largest member
        qint64 held;
        PictureStorage storage;
    } cases[] = {
        {planes, -1, qint64(180) * planes + files, PictureStorage::Decoded},
        {0, -1, pixels + files, PictureStorage::Compressed},
        {planes, 0, qint64(180) * planes, PictureStorage::Decoded},
        {0, 0, pixels, PictureStorage::Decoded},
        {planes, 2'000'000, qint64(180) * (planes + 2'000'000), PictureStorage::Decoded},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.levelBytes << " kept file " << c.keptFile);
        const MemoryBudget budget = checkMemoryBudget(180, 6000, 4000, 8'000'000, available, true,
                                                      4, c.levelBytes, c.keptFile);
        EXPECT_EQ(budget.heldDecodedBytes, c.held);
        EXPECT_EQ(budget.storage, c.storage);
    }
}

// 180 photos of 9504 x 6336 (2.9 GB of files) held at 1/4 in 1.5 bytes a pixel inside 2 GB: they
// open held decoded only when their files stay in the package and the levels are estimated at
// what they hold.
TEST(MemoryBudgetTest, A61MegapixelShootFitsIn2GBWhenItsFilesStayInThePackage) {
    const qint64 level = qint64(2376) * 1584 * 3 / 2;
    const qint64 available = 2'027'353'152;
    const struct {
        qint64 levelBytes, keptFile;
        PictureStorage storage;
    } cases[] = {
        {level, 0, PictureStorage::Decoded},
        {level, -1, PictureStorage::Refused},
        {0, 0, PictureStorage::Refused}, // 3 bytes a pixel: 2.03 GB
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.levelBytes << " kept file " << c.keptFile);
        EXPECT_EQ(checkMemoryBudget(180, 9504, 6336, 16'000'000, available, true, 4, c.levelBytes,
                                    c.keptFile)
                      .storage,
                  c.storage);
    }
}
