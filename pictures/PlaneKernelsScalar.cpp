#include "PlaneKernelsScalar.h"

#include <algorithm>

namespace planes {
namespace {

inline std::uint8_t clamp255(int v) {
    return std::uint8_t(std::clamp(v, 0, 255));
}

inline std::uint32_t rgbPixel(int y, int cb, int cr) {
    cb -= 128;
    cr -= 128;
    const int r = clamp255(y + ((kCrToR * cr + kHalf) >> 16));
    const int g = clamp255(y + ((-kCbToG * cb + kHalf - kCrToG * cr) >> 16));
    const int b = clamp255(y + ((kCbToB * cb + kHalf) >> 16));
    return 0xff000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

void colour(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int count,
            std::uint32_t* out) {
    if (!cb) {
        for (int i = 0; i < count; ++i)
            out[i] = 0xff000000u | std::uint32_t(y[i]) * 0x010101u;
        return;
    }
    for (int i = 0; i < count; ++i)
        out[i] = rgbPixel(y[i], cb[i], cr[i]);
}

void columnSums(const std::uint8_t* near, const std::uint8_t* far, int count, std::int16_t* sums) {
    for (int i = 0; i < count; ++i)
        sums[i] = std::int16_t(near[i] * 3 + far[i]);
}

void widenHalfHV(const std::int16_t* sums, int count, std::uint8_t* out) {
    widenScalar<4, 8, 7>(sums, 0, count, out);
}

void widenHalfH(const std::int16_t* sums, int count, std::uint8_t* out) {
    widenScalar<2, 1, 2>(sums, 0, count, out);
}

} // namespace

const Kernels& scalarKernels() {
    static constexpr Kernels kernels{colour, columnSums, widenHalfHV, widenHalfH};
    return kernels;
}

} // namespace planes
