// How the frames of an animated GIF are mapped to its one palette.
#include "tools/export/GifPalette.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// The entry nearest to a colour, sought among all of them (the weights as the eye's).
unsigned char nearestOfAll(const std::vector<QRgb>& palette, int r, int g, int b) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t c = 0; c < palette.size(); ++c) {
        const int dr = r - qRed(palette[c]), dg = g - qGreen(palette[c]),
                  db = b - qBlue(palette[c]);
        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = int(c);
        }
    }
    return static_cast<unsigned char>(best);
}

TEST(GifPalette, EveryColourGetsTheNearestEntryOfAll) {
    // Palettes whose entries lie closer together than the table's cells, and far apart.
    std::vector<QRgb> close, greens;
    for (int i = 0; i < 96; ++i)
        close.push_back(qRgb(120 + i % 4 * 3, 110 + i / 4 % 4 * 5, 100 + i / 16 * 7));
    for (int i = 0; i < 40; ++i)
        greens.push_back(qRgb(i * 3, 40 + i * 5, i * 2));
    const std::vector<QRgb> palettes[] = {{qRgb(0, 0, 0), qRgb(255, 255, 255)}, close, greens};
    for (const std::vector<QRgb>& palette : palettes) {
        const GifPalette mapper(palette, 0);
        int wrong = 0;
        for (int r = 0; r < 256; r += 3)
            for (int g = 0; g < 256; g += 5)
                for (int b = 0; b < 256; b += 7)
                    wrong += mapper.nearest(r, g, b) != nearestOfAll(palette, r, g, b);
        EXPECT_EQ(wrong, 0) << palette.size() << " entries";
    }
}

TEST(GifPalette, OrderedDitherMixesTheEntriesByThePixelsPlaceOnly) {
    const std::vector<QRgb> palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    const GifPalette mapper(palette, 128);
    const struct {
        int grey;
        int whites; // of the 64 pixels of an 8 x 8 block
    } cases[] = {{0, 0}, {32, 8}, {64, 16}, {128, 32}, {192, 48}, {255, 64}};
    for (const auto& c : cases) {
        std::vector<unsigned char> rgba(4 * 8, static_cast<unsigned char>(c.grey));
        int whites = 0;
        for (int y = 0; y < 8; ++y) {
            unsigned char row[8], again[8];
            mapper.mapRow(rgba.data(), 8, y, row);
            mapper.mapRow(rgba.data(), 8, y + 8, again); // the same place in the pattern
            for (int x = 0; x < 8; ++x) {
                whites += row[x];
                EXPECT_EQ(row[x], again[x]);
            }
        }
        EXPECT_NEAR(whites, c.whites, 1) << "grey " << c.grey;
    }
}

} // namespace
