#include "ChromaHalving.h"

#include "pictures/JpegPlanes.h"

#include <cstddef>

namespace planes {

void halveChromaRows(const std::uint8_t* top, const std::uint8_t* bottom, int width,
                     std::uint8_t* out) {
    const int pairs = width / 2;
    for (int i = 0; i < pairs; ++i) {
        const int sum = top[2 * i] + top[2 * i + 1] + bottom[2 * i] + bottom[2 * i + 1];
        out[i] = std::uint8_t((sum + 2) >> 2);
    }
    if (width % 2) {
        const int last = width - 1;
        out[pairs] = std::uint8_t((2 * (top[last] + bottom[last]) + 2) >> 2);
    }
}

void halveBand(const ChromaBand& band, JpegPlanes& planes, int index) {
    for (int c = 1; c <= 2; ++c) {
        const std::uint8_t* first = band.samples + std::ptrdiff_t(c - 1) * band.rows * band.stride;
        for (int r = 0; r < band.rows; r += 2) {
            const int row = index * band.rows + r;
            std::uint8_t* out = planes.row(c, row / 2);
            if (row >= band.height || !out)
                break;
            const std::uint8_t* top = first + std::ptrdiff_t(r) * band.stride;
            halveChromaRows(top, row + 1 < band.height ? top + band.stride : top, band.width, out);
        }
    }
}

} // namespace planes
