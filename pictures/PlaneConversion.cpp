#include "PlaneConversion.h"

#include <algorithm>
#include <cstring>
#include <vector>

// The 64-byte vectors below only pass between functions of this file, all inlined: the
// warning about their calling convention without AVX-512 does not concern them.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace planes {
namespace {

// GCC/Clang vector types: the compiler maps them onto whatever vector unit the target has.
typedef std::uint8_t U8x16 __attribute__((vector_size(16)));
typedef std::int16_t I16x8 __attribute__((vector_size(16)));
typedef std::uint16_t U16x16 __attribute__((vector_size(32)));
typedef std::int32_t I32x16 __attribute__((vector_size(64)));
typedef std::uint32_t U32x16 __attribute__((vector_size(64)));

constexpr int kLanes = 16;

// The colour tables' constants: FIX(x) = round(x * 65536).
constexpr std::int32_t kCrToR = 91881;  // 1.40200
constexpr std::int32_t kCbToB = 116130; // 1.77200
constexpr std::int32_t kCrToG = 46802;  // 0.71414
constexpr std::int32_t kCbToG = 22554;  // 0.34414
constexpr std::int32_t kHalf = 1 << 15;

template <typename V> V load(const void* from) {
    V v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

template <typename V> void store(void* to, const V& v) {
    std::memcpy(to, &v, sizeof v);
}

inline I32x16 clamp255(I32x16 v) {
    const I32x16 zero = {};
    const I32x16 top = zero + 255;
    v = v < zero ? zero : v;
    return v > top ? top : v;
}

// 16 pixels from 16 Y, Cb and Cr samples.
inline U32x16 yccToRgb(U8x16 y8, U8x16 cb8, U8x16 cr8) {
    const I32x16 y = __builtin_convertvector(y8, I32x16);
    const I32x16 cb = __builtin_convertvector(cb8, I32x16) - 128;
    const I32x16 cr = __builtin_convertvector(cr8, I32x16) - 128;
    const I32x16 r = clamp255(y + ((cr * kCrToR + kHalf) >> 16));
    const I32x16 g = clamp255(y + ((cb * -kCbToG + kHalf + cr * -kCrToG) >> 16));
    const I32x16 b = clamp255(y + ((cb * kCbToB + kHalf) >> 16));
    return __builtin_convertvector((r << 16) | (g << 8) | b, U32x16) | 0xff000000u;
}

inline U32x16 greyToRgb(U8x16 y8) {
    const U32x16 y = __builtin_convertvector(y8, U32x16);
    return (y << 16) | (y << 8) | y | 0xff000000u;
}

// Scratch rows of the calling thread, grown as needed.
struct Scratch {
    std::vector<std::int16_t> sums;
    std::vector<std::uint8_t> cb, cr;
};

Scratch& scratch() {
    thread_local Scratch rows;
    return rows;
}

// The triangle filter across one chroma row: `sums` holds the (vertically filtered) samples of
// chroma columns c0 - 1 .. c1 + 1, edges repeated; writes chroma columns c0 .. c1 as two output
// samples each. For 4:2:2 the sums are the samples themselves (weights of 4, shift 2), for 4:2:0
// three times the nearer row plus the further one (weights of 16, shift 4).
template <int Shift, int EvenBias, int OddBias>
void widen(const std::int16_t* sums, int count, std::uint8_t* out) {
    int k = 0;
    for (; k + 8 <= count; k += 8) {
        const I16x8 near = load<I16x8>(sums + k + 1) * 3;
        const I16x8 even = (near + load<I16x8>(sums + k) + std::int16_t(EvenBias)) >> Shift;
        const I16x8 odd = (near + load<I16x8>(sums + k + 2) + std::int16_t(OddBias)) >> Shift;
        const auto both = __builtin_shufflevector(even, odd, 0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13,
                                                  6, 14, 7, 15);
        store(out + 2 * k, __builtin_convertvector(both, U8x16));
    }
    for (; k < count; ++k) {
        const int near = sums[k + 1] * 3;
        out[2 * k] = std::uint8_t((near + sums[k] + EvenBias) >> Shift);
        out[2 * k + 1] = std::uint8_t((near + sums[k + 2] + OddBias) >> Shift);
    }
}

// The full-width chroma samples of output columns [x0, x1) of `row` for one chroma plane, in
// `out` from index 0; returns where they start (the plane itself for 4:4:4).
const std::uint8_t* upsampledChroma(const Source& source, const Plane& plane, int row, int x0,
                                    int x1, std::vector<std::uint8_t>& out) {
    if (source.chroma == Chroma::Full)
        return plane.data + std::ptrdiff_t(row) * plane.stride + x0;
    const bool halfHeight = source.chroma == Chroma::HalfHV;
    const int nearRow = halfHeight ? row / 2 : row;
    const std::uint8_t* near = plane.data + std::ptrdiff_t(nearRow) * plane.stride;
    const int c0 = x0 / 2;
    const int c1 = (x1 - 1) / 2;
    const int count = c1 - c0 + 1;
    if (out.size() < std::size_t(2 * count + kLanes))
        out.resize(std::size_t(2 * count + kLanes));
    if (plane.width <= 2) {
        // Too narrow for the filter: every sample is repeated (rows too, for 4:2:0).
        for (int x = x0; x < x1; ++x)
            out[std::size_t(x - x0)] = near[x / 2];
        return out.data();
    }
    std::vector<std::int16_t>& sums = scratch().sums;
    if (sums.size() < std::size_t(count + 2))
        sums.resize(std::size_t(count + 2));
    const int last = plane.width - 1;
    const int before = std::max(c0 - 1, 0);
    const int after = std::min(c1 + 1, last);
    if (halfHeight) {
        // The further row is the one above for even rows, below for odd ones, repeated at the
        // plane's first and last row.
        const int farRow =
            std::clamp(row % 2 == 0 ? nearRow - 1 : nearRow + 1, 0, plane.height - 1);
        const std::uint8_t* far = plane.data + std::ptrdiff_t(farRow) * plane.stride;
        for (int c = c0; c <= c1; ++c)
            sums[std::size_t(c - c0 + 1)] = std::int16_t(near[c] * 3 + far[c]);
        sums[0] = std::int16_t(near[before] * 3 + far[before]);
        sums[std::size_t(count + 1)] = std::int16_t(near[after] * 3 + far[after]);
        widen<4, 8, 7>(sums.data(), count, out.data());
    } else {
        for (int c = c0; c <= c1; ++c)
            sums[std::size_t(c - c0 + 1)] = near[c];
        sums[0] = near[before];
        sums[std::size_t(count + 1)] = near[after];
        widen<2, 1, 2>(sums.data(), count, out.data());
    }
    return out.data() + (x0 - 2 * c0);
}

} // namespace

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) &&                             \
    !defined(__SANITIZE_ADDRESS__)
__attribute__((target_clones("avx2", "default")))
#endif
void convertRow(const Source& source, int row, int x0, int x1, std::uint32_t* out) {
    const int count = x1 - x0;
    if (count <= 0)
        return;
    const std::uint8_t* y = source.y.data + std::ptrdiff_t(row) * source.y.stride + x0;
    const bool grey = source.chroma == Chroma::None;
    const std::uint8_t* cb = nullptr;
    const std::uint8_t* cr = nullptr;
    if (!grey) {
        Scratch& rows = scratch();
        cb = upsampledChroma(source, source.cb, row, x0, x1, rows.cb);
        cr = upsampledChroma(source, source.cr, row, x0, x1, rows.cr);
    }
    int i = 0;
    for (; i + kLanes <= count; i += kLanes)
        store(out + i,
              grey ? greyToRgb(load<U8x16>(y + i))
                   : yccToRgb(load<U8x16>(y + i), load<U8x16>(cb + i), load<U8x16>(cr + i)));
    if (i < count) {
        // The last few pixels through the same arithmetic, padded to a whole vector.
        const std::size_t rest = std::size_t(count - i);
        std::uint8_t ty[kLanes] = {}, tcb[kLanes] = {}, tcr[kLanes] = {};
        std::memcpy(ty, y + i, rest);
        if (!grey) {
            std::memcpy(tcb, cb + i, rest);
            std::memcpy(tcr, cr + i, rest);
        }
        std::uint32_t pixels[kLanes];
        store(pixels, grey ? greyToRgb(load<U8x16>(ty))
                           : yccToRgb(load<U8x16>(ty), load<U8x16>(tcb), load<U8x16>(tcr)));
        std::memcpy(out + i, pixels, rest * sizeof(std::uint32_t));
    }
}

} // namespace planes
