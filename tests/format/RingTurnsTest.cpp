// The turning rules, against cases worked out by hand from the two bars' behaviour.
#include "format/RingTurns.h"

#include <gtest/gtest.h>

// Found by argument-dependent lookup, so it stays beside RingView in the global namespace.
std::ostream& operator<<(std::ostream& out, const RingView& view) {
    return out << "{" << view.h << ", " << view.v << (view.forward ? ", forward}" : ", back}");
}

namespace {

constexpr std::uint8_t kNo = navigation::kNoRing;

TEST(RingTurns, TheHorizontalBarStopsWhereTheViewersBarDoes) {
    struct Case {
        int bar;
        bool forward;
        int v;
        int n;
        RingView to;
    } const cases[] = {
        {5, true, 1, 36, {5, 1, true}},  // the horizontal ring: one column
        {36, true, 1, 36, {0, 1, true}}, // past the end: wrapped
        {-1, false, 1, 36, {35, 1, false}},
        {4, true, 4, 36, {6, 4, true}},       // a vertical ring: 3 -> 4, then two more
        {34, true, 4, 36, {0, 4, true}},      // 33 -> 34 -> 36: wrapped to 0
        {35, true, 4, 36, {0, 4, true}},      // 37 held at the bar's end 36, wrapped to 0
        {36, true, 4, 36, {2, 4, true}},      // wrapped first, then the rest of the stride
        {36, false, 4, 36, {2, 4, true}},     // a wrap at the end turns forward
        {2, false, 4, 36, {0, 4, false}},     // 3 -> 2 -> 0
        {-1, false, -1, 36, {33, -1, false}}, // 0 -> -1 wrapped to 35 -> 33
        {-1, true, 3, 36, {33, 3, false}},    // a wrap at the start turns back
        {0, false, 3, 36, {-1, 3, false}},    // 1 -> 0 -> held at the bar's start -1
        {4, true, 2, 4, {2, 2, true}},        // 3 -> 4 wraps to 0, then 2 more
    };
    for (const Case& c : cases)
        EXPECT_EQ(RingTurns::barTurn(c.bar, c.forward, c.v, c.n), c.to)
            << c.bar << (c.forward ? " forward" : " back") << " v=" << c.v << " n=" << c.n;
}

TEST(RingTurns, ATurnOntoAColumnWithoutTheRowGoesBackToTheHorizontalRing) {
    // Rings every third column with 4 rows above and 2 below, and sparse ones every ninth.
    const RingTurns::Holds everyThird = [](int h, int v) {
        return h % 3 == 0 && v <= 5 && v >= -1;
    };
    const RingTurns::Holds everyNinth = [](int h, int) { return h % 9 == 0; };
    struct Case {
        RingView from;
        bool forward;
        const RingTurns::Holds& holds;
        RingView to;
    } const cases[] = {
        {{3, 4}, true, everyThird, {6, 4, true}},    {{33, 4}, true, everyThird, {0, 4, true}},
        {{0, 4}, false, everyThird, {33, 4, false}}, {{6, -1}, false, everyThird, {3, -1, false}},
        {{35, 1}, true, everyThird, {0, 1, true}},   {{0, 1}, false, everyThird, {35, 1, false}},
        {{0, 3}, true, everyNinth, {3, 1, true}},    {{0, 3}, false, everyNinth, {33, 1, false}},
        {{1, 3}, false, everyNinth, {35, 1, false}}, // stopped at -1: the ring's last column
    };
    for (const Case& c : cases)
        EXPECT_EQ(RingTurns::turnFrom(c.from, c.forward, 36, c.holds), c.to)
            << c.from << (c.forward ? " forward" : " back");
    // A package without columns is not turned.
    EXPECT_EQ(RingTurns::turnFrom({0, 3, false}, true, 0, everyThird), (RingView{0, 3, false}));
}

TEST(RingTurns, TurnsOnAVerticalRingStopEveryThirdColumnOnlyRoundAMultipleOfThree) {
    struct Case {
        int n;
        std::vector<int> stops;
    } const cases[] = {
        {36, {0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33}},
        {3, {0}},
        {1, {0}},
        {0, {}},
        {4, {0, 3, 2}},       // 3 -> 4 wraps to 0, then 2; 2 -> 3 -> 5 held at 4: 0
        {5, {0, 3}},          // 3 -> 4 -> 6 held at 5: 0
        {7, {0, 3, 6, 2, 5}}, // 6 -> 7 wraps to 0, then 2; 5 -> 6 -> 8 held at 7: 0
    };
    for (const Case& c : cases)
        EXPECT_EQ(RingTurns::ringStops(c.n), c.stops) << "n=" << c.n;
}

TEST(RingTurns, TheVerticalBarReachesNineRowsEachSideAndOnlyTheColumnsRows) {
    EXPECT_EQ(RingTurns::kUpperRowsReached, 9); // values 2 ... 10
    EXPECT_EQ(RingTurns::kLowerRowsReached, 9); // values 0 ... -8
    struct Case {
        int v;
        int upperRows;
        int lowerRows;
        int within;
        int top;
        int bottom;
    } const cases[] = {
        {3, 4, 2, 3, 5, -1},      {10, 4, 2, 5, 5, -1}, {-8, 4, 2, -1, 5, -1},
        {2, 0, 0, 1, 1, 1},       {0, 0, 0, 1, 1, 1},   {12, 12, 20, 10, 10, -8},
        {-9, 12, 20, -8, 10, -8}, {1, 9, 9, 1, 10, -8}, {5, -3, -3, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "v=" << c.v << " rows " << c.upperRows << "/" << c.lowerRows);
        EXPECT_EQ(RingTurns::withinReach(c.v, c.upperRows, c.lowerRows), c.within);
        EXPECT_EQ(RingTurns::topValue(c.upperRows), c.top);
        EXPECT_EQ(RingTurns::bottomValue(c.lowerRows), c.bottom);
    }
}

TEST(RingTurns, ARingRowsSlotCountsFromItsRingsFirstSlot) {
    // Six columns; rings branch off at 0 and 3; upper rows in slots 6 ..., lower rows in 14 ....
    const std::vector<std::uint8_t> upper = {6, kNo, kNo, 10, kNo, kNo, kNo};
    const std::vector<std::uint8_t> lower = {14, kNo, kNo, 17, kNo, kNo, kNo};
    struct Case {
        int h;
        int v;
        std::optional<int> slot;
    } const cases[] = {
        {2, 1, 2},   {-1, 1, {}}, {0, 2, 6},   {0, 5, 9},   {3, 2, 10},  {1, 2, {}},
        {0, 10, 14}, {0, 11, {}}, {0, 0, 14},  {0, -1, 15}, {0, -8, 22}, {0, -9, {}},
        {3, -2, 19}, {7, 2, {}},  {7, -1, {}}, {4, 0, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RingTurns::slotOf(c.h, c.v, upper, lower), c.slot) << c.h << "," << c.v;
}

} // namespace
