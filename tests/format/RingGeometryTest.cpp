#include "format/RingGeometry.h"

#include <gtest/gtest.h>

namespace {

struct GeometryCase {
    int n;
    int c;
    int step;
    int last;
    std::vector<std::uint8_t> columns;
};

TEST(RingGeometry, StepAndLastColumnRoundToNearestWithTiesToEven) {
    const GeometryCase cases[] = {
        {36, 4, 9, 27, {0, 9, 18, 27}},
        {36, 12, 3, 33, {0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33}},
        {36, 1, 36, 0, {0}},
        {36, 8, 4, 32, {0, 4, 8, 12, 16, 20, 24, 28, 32}}, // 4.5 -> 4, 31.5 -> 32
        {30, 4, 8, 22, {0, 8, 16}},                        // 7.5 -> 8, 22.5 -> 22
        {10, 4, 2, 8, {0, 2, 4, 6, 8}},                    // 2.5 -> 2, 7.5 -> 8
        {14, 4, 4, 10, {0, 4, 8}},                         // 3.5 -> 4, 10.5 -> 10
        {36, 5, 7, 29, {0, 7, 14, 21, 28}},                // 7.2 -> 7, 28.8 -> 29
        {1, 1, 1, 0, {0}},
        {3, 2, 2, 2, {0, 2}},  // 1.5 -> 2, 1.5 -> 2
        {255, 1, 255, 0, {0}}, // step 255 still fits
        {256, 2, 128, 128, {0, 128}},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "N=" << c.n << " C=" << c.c);
        const RingGeometry g = RingGeometry::compute(RingKind::Upper, c.n, c.c);
        ASSERT_TRUE(g.isValid()) << g.error().toStdString();
        EXPECT_TRUE(g.error().isEmpty());
        EXPECT_EQ(g.step(), c.step);
        EXPECT_EQ(g.lastColumn(), c.last);
        EXPECT_EQ(g.columns(), c.columns);
    }
}

TEST(RingGeometry, UndefinedOrTooLargeGeometryIsAnErrorForTheUser) {
    struct ErrorCase {
        RingKind kind;
        int n;
        int c;
        const char* mentions;
    };
    const ErrorCase cases[] = {
        {RingKind::Upper, 36, 0, "row 2"}, // pictures of the kind, but no ring start
        {RingKind::Lower, 36, 0, "lower"},
        {RingKind::Upper, 36, 72, "72 upper rings"}, // 0.5 -> 0: step 0
        {RingKind::Upper, 36, 100, "36 horizontal"},
        {RingKind::Upper, 0, 3, "0 horizontal"},
        {RingKind::Upper, 300, 1, "255"}, // step 300 does not fit a byte
        {RingKind::Lower, 600, 2, "255"}, // step and last column 300
        {RingKind::Upper, 400, 4, "255"}, // step 100 fits, last column 300 does not
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "N=" << c.n << " C=" << c.c);
        const RingGeometry g = RingGeometry::compute(c.kind, c.n, c.c);
        EXPECT_FALSE(g.isValid());
        EXPECT_TRUE(g.error().contains(QString::fromLatin1(c.mentions))) << g.error().toStdString();
        EXPECT_TRUE(g.error().endsWith(u'.'));
        EXPECT_TRUE(g.columns().empty());
        EXPECT_TRUE(g.members(3).empty());
    }
}

TEST(RingGeometry, MembersRunColumnByColumnThroughRowsTwoToRowsPlusOne) {
    const RingGeometry g = RingGeometry::compute(RingKind::Upper, 36, 4);
    const std::vector<RingMember> expected = {
        {0, 2},  {0, 3},  {0, 4},  {9, 2},  {9, 3},  {9, 4},
        {18, 2}, {18, 3}, {18, 4}, {27, 2}, {27, 3}, {27, 4},
    };
    EXPECT_EQ(g.members(3), expected);
    EXPECT_TRUE(g.members(0).empty());
    EXPECT_EQ(g.members(255).size(), 4u * 255u);
    EXPECT_EQ(g.members(255).back(), (RingMember{27, 256}));
}

} // namespace
