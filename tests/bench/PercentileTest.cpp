// The nearest-rank percentile the turning benchmark reports.
#include "support/Percentile.h"

#include <gtest/gtest.h>

namespace {

TEST(Percentile, NearestRank) {
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i)
        hundred.push_back(i); // unsorted on purpose
    const struct {
        std::vector<double> values;
        double p;
        double expected;
    } cases[] = {
        {{}, 99, 0},
        {{7}, 99, 7},
        {hundred, 99, 99},
        {hundred, 100, 100},
        {hundred, 50, 50},
        {{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
          19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36},
         99,
         36}, // 36 turns: the 99th percentile is the slowest
        {{3, 1, 2}, 1, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(percentile(c.values, c.p), c.expected) << c.values.size() << " at " << c.p;
}

} // namespace
