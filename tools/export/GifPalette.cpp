#include "GifPalette.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The 8 x 8 Bayer matrix: each value 0 ... 63 once, neighbours far apart.
constexpr int kBayer[64] = {0,  32, 8,  40, 2,  34, 10, 42, 48, 16, 56, 24, 50, 18, 58, 26,
                            12, 44, 4,  36, 14, 46, 6,  38, 60, 28, 52, 20, 62, 30, 54, 22,
                            3,  35, 11, 43, 1,  33, 9,  41, 51, 19, 59, 27, 49, 17, 57, 25,
                            15, 47, 7,  39, 13, 45, 5,  37, 63, 31, 55, 23, 61, 29, 53, 21};

int clamp(int value) {
    return std::clamp(value, 0, 255);
}

// A colour's weighted distance to a palette entry, squared: green counts most, blue least, as the
// eye weighs them.
int distance(int red, int green, int blue, QRgb entry) {
    const int dr = red - qRed(entry), dg = green - qGreen(entry), db = blue - qBlue(entry);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

} // namespace

GifPalette::GifPalette(const std::vector<QRgb>& palette, int spread)
    : m_palette(palette.begin(), palette.begin() + std::min<std::ptrdiff_t>(255, palette.size())) {
    for (int i = 0; i < 64; ++i)
        m_threshold[std::size_t(i)] = ((2 * kBayer[i] + 1 - 64) * spread) / 64;
    // A cell's entries: every one that is nearest to some colour of the cell. A colour lies
    // within `reach` of its cell's centre, so its nearest entry lies within the centre's nearest
    // distance plus twice that.
    const int step = 256 / kLevels;
    const double reach = std::sqrt(9.0 * (step / 2) * (step / 2));
    m_first.reserve(std::size_t(kLevels) * kLevels * kLevels + 1);
    for (int r = 0; r < kLevels; ++r)
        for (int g = 0; g < kLevels; ++g)
            for (int b = 0; b < kLevels; ++b) {
                const int red = r * step + step / 2, green = g * step + step / 2,
                          blue = b * step + step / 2;
                int nearest = std::numeric_limits<int>::max();
                for (const QRgb entry : m_palette)
                    nearest = std::min(nearest, distance(red, green, blue, entry));
                const double bound = std::sqrt(double(nearest)) + 2 * reach;
                m_first.push_back(int(m_candidates.size()));
                for (std::size_t c = 0; c < m_palette.size(); ++c)
                    if (distance(red, green, blue, m_palette[c]) <= bound * bound)
                        m_candidates.push_back(static_cast<unsigned char>(c));
            }
    m_first.push_back(int(m_candidates.size()));
}

unsigned char GifPalette::nearest(int red, int green, int blue) const {
    red = clamp(red);
    green = clamp(green);
    blue = clamp(blue);
    const int shift = 3; // 256 / kLevels = 8
    const std::size_t cell =
        (std::size_t(red >> shift) * kLevels + std::size_t(green >> shift)) * kLevels +
        std::size_t(blue >> shift);
    const int end = m_first[cell + 1];
    unsigned char best = m_candidates[std::size_t(m_first[cell])];
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = m_first[cell]; i < end; ++i) {
        const unsigned char c = m_candidates[std::size_t(i)];
        const int d = distance(red, green, blue, m_palette[c]);
        if (d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    return best;
}

void GifPalette::mapRow(const unsigned char* rgba, int count, int y, unsigned char* out) const {
    const int* row = m_threshold.data() + 8 * (y & 7);
    for (int x = 0; x < count; ++x, rgba += 4) {
        const int t = row[x & 7];
        out[x] = nearest(rgba[0] + t, rgba[1] + t, rgba[2] + t);
    }
}
