// How a GIF frame is stored against the frame shown before it.
#include "tools/export/GifDelta.h"

#include <gtest/gtest.h>

namespace {

using Indices = std::vector<unsigned char>;

TEST(GifDelta, ChangedPartHoldsEveryChangedPixelAndNoMore) {
    const Indices before = {0, 0, 0, 0, //
                            0, 0, 0, 0, //
                            0, 0, 0, 0};
    const struct {
        const char* name;
        Indices frame;
        QRect part;
    } cases[] = {
        {"nothing changed", before, {0, 0, 1, 1}},
        {"one pixel", {0, 0, 0, 0, 0, 0, 7, 0, 0, 0, 0, 0}, {2, 1, 1, 1}},
        {"opposite corners", {0, 0, 0, 7, 0, 0, 0, 0, 7, 0, 0, 0}, {0, 0, 4, 3}},
        {"last row", {0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 3, 0}, {1, 2, 2, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GifDelta::changedPart(before, c.frame, 4), c.part) << c.name;
}

TEST(GifDelta, PixelsThatStayAreMarkedKept) {
    const Indices before = {1, 2, 3, //
                            4, 5, 6};
    const Indices frame = {1, 9, 3, //
                           4, 5, 8};
    EXPECT_EQ(GifDelta::partPixels(before, frame, 3, QRect(1, 0, 2, 2)),
              (Indices{9, GifDelta::kKept, GifDelta::kKept, 8}));
}

TEST(GifDelta, ColoursNearWhatIsShownKeepIt) {
    const std::vector<QRgb> palette = {qRgb(100, 100, 100), qRgb(200, 50, 0)};
    const struct {
        const char* name;
        unsigned char r, g, b;
        unsigned char mapped; // the quantiser's index for the pixel
        unsigned char kept;   // what is stored
    } cases[] = {
        {"same colour", 100, 100, 100, 1, 0},
        {"within the tolerance", 104, 96, 100, 1, 0},
        {"one channel past it", 100, 105, 100, 1, 1},
        {"far away", 200, 50, 0, 1, 1},
    };
    for (const auto& c : cases) {
        Indices frame = {c.mapped};
        const unsigned char rgba[4] = {c.r, c.g, c.b, 255};
        GifDelta::keepSimilar(frame, Indices{0}, rgba, palette, 4);
        EXPECT_EQ(frame[0], c.kept) << c.name;
    }
}

} // namespace
