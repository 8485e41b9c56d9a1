// Halving decoded chroma rows: the mean of each 2 x 2 block, rounded to nearest, edges paired with
// themselves.
#include "pictures/ChromaHalving.h"
#include "pictures/JpegPlanes.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Case {
    const char* name;
    std::vector<std::uint8_t> top, bottom; // bottom empty: a last row without a partner
    std::vector<std::uint8_t> halved;
};

const Case kCases[] = {
    {"flat", {9, 9, 9, 9}, {9, 9, 9, 9}, {9, 9}},
    {"means", {0, 4, 10, 20}, {8, 12, 30, 40}, {6, 25}},
    {"a half rounds up", {1, 2}, {1, 2}, {2}},
    {"a quarter rounds down", {0, 1}, {0, 0}, {0}},
    {"three quarters round up", {0, 1}, {1, 1}, {1}},
    {"extremes", {255, 255, 0, 255}, {255, 255, 0, 0}, {255, 64}},
    {"odd width: the last column alone", {10, 20, 7}, {30, 40, 8}, {25, 8}},
    {"one column", {5}, {6}, {6}},
    {"last row alone", {10, 30, 3}, {}, {20, 3}},
};

} // namespace

TEST(ChromaHalving, RowsAreHalvedByTheMeanOfEachBlock) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t>& bottom = c.bottom.empty() ? c.top : c.bottom;
        std::vector<std::uint8_t> out(c.halved.size() + 1, 0xEE);
        planes::halveChromaRows(c.top.data(), bottom.data(), int(c.top.size()), out.data());
        EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.end() - 1), c.halved);
        EXPECT_EQ(out.back(), 0xEE); // nothing written past the halved row
    }
}

// A band of decoded rows goes to the planes' Cb and Cr, each pair of rows to one held row; a last
// row without a partner (a picture 3 rows high) is halved with itself.
TEST(ChromaHalving, ABandFillsBothPlanes) {
    JpegPlanes planes(QSize(4, 3), planes::Chroma::HalfHV, 4, 2, QSize(2, 2));
    ASSERT_TRUE(planes.allocate());
    std::vector<std::uint8_t> samples = {// Cb: 4 rows of 4, the last past the picture's 3
                                         0, 2, 4, 6, 8, 10, 12, 14, 40, 40, 80, 80, 99, 99, 99, 99,
                                         // Cr
                                         100, 100, 100, 100, 200, 200, 200, 200, 7, 9, 30, 31, 99,
                                         99, 99, 99};
    planes::halveBand({samples.data(), 4, 4, 4, 3}, planes, 0);
    const std::uint8_t halved[2][2][2] = {{{5, 9}, {40, 80}}, {{150, 150}, {8, 31}}};
    for (int c = 1; c <= 2; ++c)
        for (int row = 0; row < 2; ++row) {
            SCOPED_TRACE(testing::Message() << "component " << c << " row " << row);
            const std::uint8_t* held = planes.row(c, row);
            EXPECT_EQ(held[0], halved[c - 1][row][0]);
            EXPECT_EQ(held[1], halved[c - 1][row][1]);
        }
}
