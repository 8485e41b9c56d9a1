#include "pictures/ScreenLevel.h"

#include <gtest/gtest.h>

// The strongest DCT reduction still at least as large as the picture is shown, and what a paint
// at another size paints from.
TEST(ScreenLevel, TheStrongestReductionStillAsLargeAsShown) {
    const struct {
        QSize natural, shown;
        int level;
    } cases[] = {
        {{6000, 4000}, {1200, 800}, 4},  // 1500 x 1000
        {{6000, 4000}, {1500, 1000}, 4}, // exactly the level
        {{6000, 4000}, {1501, 1000}, 2}, // one pixel more across
        {{6000, 4000}, {750, 500}, 8},
        {{6001, 4001}, {751, 501}, 8}, // the library rounds up: 751 x 501
        {{9504, 6336}, {1425, 950}, 4},
        {{6000, 4000}, {6000, 4000}, 1},
        {{6000, 4000}, {}, 1}, // fits the screen: held whole
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.shown.width() << 'x' << c.shown.height());
        EXPECT_EQ(levelScale(c.natural, c.shown), c.level);
        if (!c.shown.isEmpty()) {
            EXPECT_EQ(paintScale(c.natural, c.level, c.shown), c.level);
        }
    }
    EXPECT_EQ(reducedSize({6001, 4001}, 8), QSize(751, 501));
    // Zoomed past the level, the whole picture.
    EXPECT_EQ(paintScale({6000, 4000}, 4, {1501, 1000}), 1);
    EXPECT_EQ(paintScale({6000, 4000}, 4, {6000, 4000}), 1);
    EXPECT_EQ(paintScale({6000, 4000}, 4, {300, 200}), 4);
}
