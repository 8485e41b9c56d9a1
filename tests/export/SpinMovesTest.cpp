// The moves of an exported spin between the package's pictures, against the viewer's rules.
#include "tools/export/SpinMoves.h"

#include <gtest/gtest.h>

namespace {

// N horizontal positions; upper and lower rings branch off every `step` positions with the given
// rows, their slots laid out as the viewer lays them out.
SpinLayout layoutOf(int n, int step, int upperRows, int lowerRows) {
    SpinLayout layout;
    layout.horizontalCount = n;
    layout.UpperRing.assign(std::size_t(n + 1), navigation::kNoRing);
    layout.LowerRing.assign(std::size_t(n + 1), navigation::kNoRing);
    layout.upperRows = upperRows;
    layout.lowerRows = lowerRows;
    layout.memberNames.assign(std::size_t(n), QStringLiteral("h"));
    layout.memberNames.emplace_back(); // slot N holds no picture
    for (auto [ring, rows] :
         {std::pair{&layout.UpperRing, upperRows}, {&layout.LowerRing, lowerRows}}) {
        for (int column = 0; rows > 0 && column < n; column += step) {
            (*ring)[std::size_t(column)] = std::uint8_t(layout.memberNames.size());
            for (int row = 0; row < rows; ++row)
                layout.memberNames.emplace_back(QStringLiteral("ring"));
        }
    }
    return layout;
}

// The sample's shape: 36 positions, rings every third position, 4 rows above and 2 below.
const SpinLayout kSample = layoutOf(36, 3, 4, 2);
// Lower rings only: the viewer's vertical bar stays disabled, so they are never reached.
const SpinLayout kLowerOnly = layoutOf(12, 3, 0, 2);

TEST(SpinMoves, TurnsAsTheViewersBarsDo) {
    struct Case {
        SpinView from;
        bool forward;
        SpinView to;
    } const cases[] = {
        {{0, 1}, true, {1, 1}},  {{35, 1}, true, {0, 1}},   {{0, 1}, false, {35, 1}},
        {{3, 4}, true, {6, 4}},  {{0, 4}, false, {33, 4}},  {{33, 4}, true, {0, 4}},
        {{6, 0}, false, {3, 0}}, {{33, -1}, true, {0, -1}}, {{3, 2}, false, {0, 2}},
    };
    for (const Case& c : cases) {
        const SpinView to = turned(kSample, c.from, c.forward);
        EXPECT_EQ(to, c.to) << c.from.h << "," << c.from.v << (c.forward ? " forward" : " back");
    }
}

TEST(SpinMoves, TurningOntoAColumnWithoutTheRingGoesBackToTheHorizontalRing) {
    const SpinLayout sparse = layoutOf(36, 9, 3, 0);
    EXPECT_EQ(turned(sparse, {0, 3}, true), (SpinView{3, 1}));
    EXPECT_EQ(turned(sparse, {0, 3}, false), (SpinView{33, 1}));
    EXPECT_EQ(turned(sparse, {1, 3}, false), (SpinView{35, 1})); // past -1: wrapped
}

TEST(SpinMoves, UpAndDownStayOnThePackagesRows) {
    struct Case {
        const SpinLayout& layout;
        SpinView from;
        bool up;
        SpinView to;
    } const cases[] = {
        {kSample, {0, 1}, true, {0, 2}},     {kSample, {0, 4}, true, {0, 5}},
        {kSample, {0, 5}, true, {0, 5}},     {kSample, {0, 1}, false, {0, 0}},
        {kSample, {0, -1}, false, {0, -1}},  {kSample, {1, 1}, true, {1, 1}},
        {kSample, {1, 1}, false, {1, 1}},    {kLowerOnly, {0, 1}, false, {0, 1}},
        {kLowerOnly, {3, 1}, false, {3, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(raised(c.layout, c.from, c.up), c.to) << c.from.h << "," << c.from.v;
    // The viewer's bar reaches rows up to 10 (vertical value 10) and down to -8.
    const SpinLayout tall = layoutOf(12, 3, 11, 11);
    EXPECT_EQ(raised(tall, {0, 10}, true), (SpinView{0, 10}));
    EXPECT_EQ(raised(tall, {0, -8}, false), (SpinView{0, -8}));
    EXPECT_EQ(spinSlot(tall, {0, 10}), tall.UpperRing[0] + 8);
}

TEST(SpinMoves, TheGraphHoldsEveryReachableViewOnce) {
    const std::vector<SpinGraphNode> graph = spinGraph(kSample);
    ASSERT_EQ(graph.size(), 36u + 12 * 4 + 12 * 2);
    for (int h = 0; h < 36; ++h)
        EXPECT_EQ(graph[std::size_t(h)].view, (SpinView{h, 1}));
    for (const SpinGraphNode& node : graph) {
        EXPECT_EQ(graph[std::size_t(node.right)].view, turned(kSample, node.view, true));
        EXPECT_EQ(graph[std::size_t(node.left)].view, turned(kSample, node.view, false));
        EXPECT_EQ(graph[std::size_t(node.up)].view, raised(kSample, node.view, true));
        EXPECT_EQ(graph[std::size_t(node.down)].view, raised(kSample, node.view, false));
    }
    EXPECT_EQ(spinGraph(kLowerOnly).size(), 12u); // the horizontal ring alone
}

TEST(SpinMoves, RingSlotsFollowOneRowAroundTheObject) {
    EXPECT_EQ(ringSlots(kSample, 0).size(), 36u);
    const std::vector<int> above = ringSlots(kSample, 2);
    ASSERT_EQ(above.size(), 12u);
    EXPECT_EQ(above[0], kSample.UpperRing[0] + 1);
    EXPECT_EQ(above[1], kSample.UpperRing[3] + 1);
    const std::vector<int> below = ringSlots(kSample, -2);
    ASSERT_EQ(below.size(), 12u);
    EXPECT_EQ(below[11], kSample.LowerRing[33] + 1); // row 3 of the last ring
    EXPECT_TRUE(ringSlots(kSample, 5).empty());
    EXPECT_TRUE(ringSlots(kSample, -3).empty());
}

} // namespace
