#include "toolkit/Twips.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(Twips, ConvertAtFifteenPerPixel) {
    const struct {
        double twips;
        int pixels;
    } cases[] = {
        {0, 0},      {15, 1}, {255, 17}, {6090, 406}, {4215, 281},
        {5654, 377}, {7, 0},  {8, 1},    {-15, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(twipsToPixels(c.twips), c.pixels) << c.twips;
    EXPECT_EQ(pixelsToTwips(406), 6090);
    EXPECT_EQ(twipsRect(120, 840, 1935, 1815), QRect(8, 56, 129, 121));
}

TEST(Twips, OuterSizeAddsTheFrame) {
    QWidget window;
    setClientSizeTwips(&window, 4200, 585);
    EXPECT_EQ(window.size(), QSize(280, 39));
    EXPECT_EQ(outerSizeTwips(&window), QSize(4200, 585)); // not framed before it is shown
    window.show();
    const QSize frame = frameExtent(&window);
    EXPECT_EQ(window.frameGeometry().size(), window.size() + frame);
    EXPECT_EQ(outerSizeTwips(&window), QSize(4200, 585) + frame * kTwipsPerPixel);

    setOuterSizeTwips(&window, 6220, 4800); // 6220 twips round to 415 pixels
    EXPECT_EQ(window.size() + frame, QSize(415, 320));
    EXPECT_EQ(outerSizeTwips(&window), QSize(6225, 4800));
}

} // namespace
