#pragma once

#include <QRgb>

#include <array>
#include <vector>

// Maps 32-bit pixels to the entries of one palette for every frame of an animated GIF, with
// ordered dithering: the threshold added to a pixel depends only on its place, so a pixel that
// does not change from one frame to the next keeps its entry, and what the frames store as
// changed stays where the picture changed (error diffusion spreads one pixel's change along its
// row). The nearest entry of each colour comes from a table of 64 levels a channel, made once.
class GifPalette {
public:
    // `palette`: at most 255 colours (the last entry of a GIF's 256 marks kept pixels);
    // `spread`: how far the thresholds reach each side of a colour, in levels.
    GifPalette(const std::vector<QRgb>& palette, int spread);

    // The entry nearest to a colour (no dithering).
    unsigned char nearest(int red, int green, int blue) const;

    // The entries of `count` pixels of row `y` (4 bytes a pixel, red first) into `out`.
    void mapRow(const unsigned char* rgba, int count, int y, unsigned char* out) const;

private:
    static constexpr int kLevels = 32;
    std::vector<QRgb> m_palette;
    std::vector<int> m_first;                // by cell (red major): its first candidate; one more
    std::vector<unsigned char> m_candidates; // the cells' candidate entries, one cell after another
    std::array<int, 64> m_threshold{};       // an 8 x 8 Bayer matrix scaled to +-spread
};
