// The rules that keep a picture larger than its window in view: the zoom a package opens at, the
// size of the scrolled area and the point kept in the middle of the view.
#include "view/PanRules.h"
#include "view/WholePicture.h"

#include <gtest/gtest.h>

namespace {

TEST(WholePicture, LargestStepAtWhichThePictureFits) {
    const struct {
        QSize natural, available;
        int zoom;
    } cases[] = {
        {{640, 480}, {1920, 1080}, 20},    // fits at 100 %
        {{1906, 980}, {1920, 1080}, 20},   // exactly: 1906 + 14 by 980 + 100
        {{1907, 980}, {1920, 1080}, 19},   // one pixel too wide
        {{1906, 981}, {1920, 1080}, 19},   // one pixel too tall
        {{6000, 4000}, {1920, 1080}, 4},   // 1200 x 800 at 20 %; 25 % is 1000 tall
        {{9504, 6336}, {1920, 1080}, 3},   // 1426 x 950 at 15 %
        {{4000, 6000}, {1920, 1080}, 3},   // upright: 600 x 900 at 15 %
        {{60000, 60000}, {1920, 1080}, 1}, // fits at no step: the smallest
        {{6000, 4000}, {0, 0}, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wholePictureZoom(c.natural, c.available), c.zoom)
            << c.natural.width() << "x" << c.natural.height();
    EXPECT_EQ(zoomedPixels(4, QSize(6000, 4000)), QSize(1200, 800));
    EXPECT_EQ(zoomedPixels(1, QSize(30, 30)), QSize(2, 2)); // 1.5 rounds up, as the view does
}

TEST(WholePicture, OpeningZoom) {
    const struct {
        int current, whole, lowered, zoom;
    } cases[] = {
        {20, 20, 0, 20}, // fits: as the bar stands
        {40, 20, 0, 40}, // fits at 100 %: a zoom the user chose is kept
        {20, 4, 0, 4},   // too large: seen whole
        {40, 4, 0, 4},   //
        {2, 4, 0, 2},    // the user zoomed out further
        {4, 20, 4, 20},  // a small package after a lowered bar: 100 %
        {5, 20, 4, 5},   // the user moved the bar since: kept
        {4, 6, 4, 6},    // a larger whole step after a lowered bar
    };
    for (const auto& c : cases)
        EXPECT_EQ(openingZoom(c.current, c.whole, c.lowered), c.zoom)
            << c.current << " " << c.whole << " " << c.lowered;
}

TEST(PanRules, AreaSize) {
    const QSize room(1000, 800);
    const struct {
        QSize picture, area;
    } cases[] = {
        {{500, 400}, {500, 400}},    // fits: no bars
        {{1000, 800}, {1000, 800}},  // exactly
        {{2000, 400}, {1000, 415}},  // across only: a bar below
        {{2000, 790}, {1000, 800}},  // the bar below leaves too little height: both bars
        {{500, 1600}, {515, 800}},   // down only: a bar at the side
        {{990, 1600}, {1000, 800}},  // the side bar leaves too little width: both
        {{4000, 4000}, {1000, 800}}, // both
    };
    for (const auto& c : cases)
        EXPECT_EQ(pannedAreaSize(c.picture, room, 15), c.area)
            << c.picture.width() << "x" << c.picture.height();
}

TEST(PanRules, MiddleKeptAcrossSizes) {
    // A view of 100 pixels.
    const struct {
        int value, length;
        double fraction;
        int newLength, newValue;
    } cases[] = {
        {0, 80, 0.5, 400, 150},    // seen whole: the middle
        {0, 400, 0.125, 800, 50},  // the left end in view: its middle stays
        {150, 400, 0.5, 800, 350}, // the middle
        {300, 400, 0.875, 800, 650}, {300, 400, 0.875, 200, 100}, // kept within the range
        {150, 400, 0.5, 100, 0},                                  // fits again
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " of " << c.length);
        const double fraction = middleFraction(c.value, 100, c.length);
        EXPECT_DOUBLE_EQ(fraction, c.fraction);
        EXPECT_EQ(valueForMiddle(fraction, 100, c.newLength), c.newValue);
    }
}

} // namespace
