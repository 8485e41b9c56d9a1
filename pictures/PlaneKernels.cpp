#include "PlaneKernels.h"

#include "pictures/PlaneConversion.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define GYRO_HAVE_AVX2_PATH 1
#endif

namespace planes {
namespace {

// The colour tables' constants, FIX(x) = round(x * 65536), and how the vector code splits them into
// 16-bit factors: 1.402 = 1 + 26345/65536, 1.772 = 2 - 14942/65536, 0.71414 = 1 - 18734/65536.
// Whole multiples of 65536 pass the shift unchanged, so the split gives the tables' results.
constexpr int kCrToR = 91881;
constexpr int kCbToB = 116130;
constexpr int kCrToG = 46802;
constexpr int kCbToG = 22554;
constexpr int kHalf = 1 << 15;

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

inline std::uint32_t greyPixel(int y) {
    return 0xff000000u | std::uint32_t(y) * 0x010101u;
}

void colourScalar(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int count,
                  std::uint32_t* out) {
    if (!cb) {
        for (int i = 0; i < count; ++i)
            out[i] = greyPixel(y[i]);
        return;
    }
    for (int i = 0; i < count; ++i)
        out[i] = rgbPixel(y[i], cb[i], cr[i]);
}

// The triangle filter across one chroma row: `sums` holds the (vertically filtered) samples of
// chroma columns c0 - 1 .. c1 + 1, edges repeated; each of the `count` columns c0 .. c1 gives two
// output samples. For 4:2:2 the sums are the samples themselves (weights of 4, shift 2), for 4:2:0
// three times the nearer row plus the further one (weights of 16, shift 4).
template <int Shift, int EvenBias, int OddBias>
void widenScalar(const std::int16_t* sums, int from, int count, std::uint8_t* out) {
    for (int k = from; k < count; ++k) {
        const int near = sums[k + 1] * 3;
        out[2 * k] = std::uint8_t((near + sums[k] + EvenBias) >> Shift);
        out[2 * k + 1] = std::uint8_t((near + sums[k + 2] + OddBias) >> Shift);
    }
}

#if defined(__SSE2__)

inline __m128i load16(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

// Eight red, green or blue values of 16 bits from eight Y, Cb - 128 and Cr - 128 values of 16 bits.
struct Rgb16 {
    __m128i r, g, b;
};

inline __m128i roundedHigh(__m128i products) {
    return _mm_srai_epi32(_mm_add_epi32(products, _mm_set1_epi32(kHalf)), 16);
}

inline Rgb16 colour8(__m128i y, __m128i cb, __m128i cr) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i crR = _mm_set1_epi32(kCrToR - 65536);
    const __m128i cbB = _mm_set1_epi32(std::uint16_t(kCbToB - 2 * 65536));
    const __m128i cbcrG = _mm_set1_epi32(int(std::uint16_t(-kCbToG)) | (65536 - kCrToG) << 16);
    auto high = [&](__m128i pairsLo, __m128i pairsHi, __m128i factors) {
        return _mm_packs_epi32(roundedHigh(_mm_madd_epi16(pairsLo, factors)),
                               roundedHigh(_mm_madd_epi16(pairsHi, factors)));
    };
    const __m128i r = high(_mm_unpacklo_epi16(cr, zero), _mm_unpackhi_epi16(cr, zero), crR);
    const __m128i b = high(_mm_unpacklo_epi16(cb, zero), _mm_unpackhi_epi16(cb, zero), cbB);
    const __m128i g = high(_mm_unpacklo_epi16(cb, cr), _mm_unpackhi_epi16(cb, cr), cbcrG);
    return {_mm_add_epi16(_mm_add_epi16(y, cr), r), _mm_sub_epi16(_mm_add_epi16(y, g), cr),
            _mm_add_epi16(_mm_add_epi16(y, _mm_add_epi16(cb, cb)), b)};
}

// Sixteen pixels 0xffRRGGBB from sixteen blue, green and red bytes.
inline void storePixels(__m128i b, __m128i g, __m128i r, std::uint32_t* out) {
    const __m128i alpha = _mm_set1_epi8(char(0xff));
    const __m128i bgLo = _mm_unpacklo_epi8(b, g), bgHi = _mm_unpackhi_epi8(b, g);
    const __m128i raLo = _mm_unpacklo_epi8(r, alpha), raHi = _mm_unpackhi_epi8(r, alpha);
    auto* to = reinterpret_cast<__m128i*>(out);
    _mm_storeu_si128(to, _mm_unpacklo_epi16(bgLo, raLo));
    _mm_storeu_si128(to + 1, _mm_unpackhi_epi16(bgLo, raLo));
    _mm_storeu_si128(to + 2, _mm_unpacklo_epi16(bgHi, raHi));
    _mm_storeu_si128(to + 3, _mm_unpackhi_epi16(bgHi, raHi));
}

void colourSse2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int count,
                std::uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i centre = _mm_set1_epi16(128);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i y8 = load16(y + i);
        if (!cb) {
            storePixels(y8, y8, y8, out + i);
            continue;
        }
        const __m128i cb8 = load16(cb + i), cr8 = load16(cr + i);
        const Rgb16 lo = colour8(_mm_unpacklo_epi8(y8, zero),
                                 _mm_sub_epi16(_mm_unpacklo_epi8(cb8, zero), centre),
                                 _mm_sub_epi16(_mm_unpacklo_epi8(cr8, zero), centre));
        const Rgb16 hi = colour8(_mm_unpackhi_epi8(y8, zero),
                                 _mm_sub_epi16(_mm_unpackhi_epi8(cb8, zero), centre),
                                 _mm_sub_epi16(_mm_unpackhi_epi8(cr8, zero), centre));
        // Packing with unsigned saturation clamps to 0..255 as the range-limit table does.
        storePixels(_mm_packus_epi16(lo.b, hi.b), _mm_packus_epi16(lo.g, hi.g),
                    _mm_packus_epi16(lo.r, hi.r), out + i);
    }
    colourScalar(y + i, cb ? cb + i : nullptr, cr ? cr + i : nullptr, count - i, out + i);
}

#if GYRO_HAVE_AVX2_PATH
__attribute__((target("avx2"))) inline __m256i widenBytes256(const std::uint8_t* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

__attribute__((target("avx2"))) inline __m256i load256(const std::int16_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// The same arithmetic as colourSse2, sixteen pixels a step in 256-bit registers. Widening the
// bytes first keeps the samples in order through the in-lane unpacks and packs.
__attribute__((target("avx2"))) inline __m256i roundedHigh256(__m256i products) {
    return _mm256_srai_epi32(_mm256_add_epi32(products, _mm256_set1_epi32(kHalf)), 16);
}

// The rounded high halves of a * f0 + b * f1 for sixteen (a, b) pairs; the factors alternate in
// `factors` as the multiply-add takes them.
__attribute__((target("avx2"))) inline __m256i high256(__m256i a, __m256i b, __m256i factors) {
    return _mm256_packs_epi32(
        roundedHigh256(_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), factors)),
        roundedHigh256(_mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), factors)));
}

__attribute__((target("avx2"))) inline __m256i clamp256(__m256i v) {
    return _mm256_max_epi16(_mm256_min_epi16(v, _mm256_set1_epi16(255)), _mm256_setzero_si256());
}

__attribute__((target("avx2"))) void colourAvx2(const std::uint8_t* y, const std::uint8_t* cb,
                                                const std::uint8_t* cr, int count,
                                                std::uint32_t* out) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i centre = _mm256_set1_epi16(128);
    const __m256i alpha = _mm256_set1_epi16(short(0xff00));
    const __m256i crR = _mm256_set1_epi32(kCrToR - 65536);
    const __m256i cbB = _mm256_set1_epi32(std::uint16_t(kCbToB - 2 * 65536));
    const __m256i cbcrG = _mm256_set1_epi32(int(std::uint16_t(-kCbToG)) | (65536 - kCrToG) << 16);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i y16 = widenBytes256(y + i);
        __m256i r = y16, g = y16, b = y16;
        if (cb) {
            const __m256i cb16 = _mm256_sub_epi16(widenBytes256(cb + i), centre);
            const __m256i cr16 = _mm256_sub_epi16(widenBytes256(cr + i), centre);
            r = clamp256(_mm256_add_epi16(_mm256_add_epi16(y16, cr16), high256(cr16, zero, crR)));
            g = clamp256(_mm256_sub_epi16(_mm256_add_epi16(y16, high256(cb16, cr16, cbcrG)), cr16));
            b = clamp256(_mm256_add_epi16(_mm256_add_epi16(y16, _mm256_add_epi16(cb16, cb16)),
                                          high256(cb16, zero, cbB)));
        }
        const __m256i bg = _mm256_or_si256(b, _mm256_slli_epi16(g, 8));
        const __m256i ra = _mm256_or_si256(r, alpha);
        const __m256i lo = _mm256_unpacklo_epi16(bg, ra); // pixels 0-3 and 8-11
        const __m256i hi = _mm256_unpackhi_epi16(bg, ra); // pixels 4-7 and 12-15
        auto* to = reinterpret_cast<__m256i*>(out + i);
        _mm256_storeu_si256(to, _mm256_permute2x128_si256(lo, hi, 0x20));
        _mm256_storeu_si256(to + 1, _mm256_permute2x128_si256(lo, hi, 0x31));
    }
    colourScalar(y + i, cb ? cb + i : nullptr, cr ? cr + i : nullptr, count - i, out + i);
}
#endif

#if GYRO_HAVE_AVX2_PATH
// The filters below, sixteen chroma columns a step; they return how many columns they did.
template <int Shift, int EvenBias, int OddBias>
__attribute__((target("avx2"))) int widenAvx2(const std::int16_t* sums, int count,
                                              std::uint8_t* out) {
    const __m256i three = _mm256_set1_epi16(3);
    const __m256i even = _mm256_set1_epi16(EvenBias), odd = _mm256_set1_epi16(OddBias);
    int k = 0;
    for (; k + 16 <= count; k += 16) {
        const __m256i near = _mm256_mullo_epi16(load256(sums + k + 1), three);
        const __m256i e = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_add_epi16(near, load256(sums + k)), even), Shift);
        const __m256i o = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_add_epi16(near, load256(sums + k + 2)), odd), Shift);
        // In-lane interleaves and packs: the two lanes stay in order.
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(out + 2 * k),
            _mm256_packus_epi16(_mm256_unpacklo_epi16(e, o), _mm256_unpackhi_epi16(e, o)));
    }
    return k;
}

__attribute__((target("avx2"))) int
columnSumsAvx2(const std::uint8_t* near, const std::uint8_t* far, int count, std::int16_t* sums) {
    const __m256i three = _mm256_set1_epi16(3);
    int i = 0;
    for (; i + 16 <= count; i += 16)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + i),
                            _mm256_add_epi16(_mm256_mullo_epi16(widenBytes256(near + i), three),
                                             widenBytes256(far + i)));
    return i;
}
#endif

bool g_widest = true;

bool avx2() {
#if GYRO_HAVE_AVX2_PATH
    static const bool has = __builtin_cpu_supports("avx2");
    return has && g_widest;
#else
    return false;
#endif
}

void colourRow(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int count,
               std::uint32_t* out) {
#if GYRO_HAVE_AVX2_PATH
    if (avx2()) {
        colourAvx2(y, cb, cr, count, out);
        return;
    }
#endif
    colourSse2(y, cb, cr, count, out);
}

template <int Shift, int EvenBias, int OddBias>
void widen(const std::int16_t* sums, int count, std::uint8_t* out) {
    const __m128i three = _mm_set1_epi16(3);
    const __m128i even = _mm_set1_epi16(EvenBias), odd = _mm_set1_epi16(OddBias);
    int k = 0;
#if GYRO_HAVE_AVX2_PATH
    if (avx2())
        k = widenAvx2<Shift, EvenBias, OddBias>(sums, count, out);
#endif
    for (; k + 8 <= count; k += 8) {
        const __m128i near = _mm_mullo_epi16(load16(sums + k + 1), three);
        const __m128i e =
            _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(near, load16(sums + k)), even), Shift);
        const __m128i o =
            _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(near, load16(sums + k + 2)), odd), Shift);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * k),
                         _mm_packus_epi16(_mm_unpacklo_epi16(e, o), _mm_unpackhi_epi16(e, o)));
    }
    widenScalar<Shift, EvenBias, OddBias>(sums, k, count, out);
}

void sumColumns(const std::uint8_t* near, const std::uint8_t* far, int count, std::int16_t* sums) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i three = _mm_set1_epi16(3);
    int i = 0;
#if GYRO_HAVE_AVX2_PATH
    if (avx2())
        i = columnSumsAvx2(near, far, count, sums);
#endif
    for (; i + 16 <= count; i += 16) {
        const __m128i n = load16(near + i), f = load16(far + i);
        auto* to = reinterpret_cast<__m128i*>(sums + i);
        _mm_storeu_si128(to, _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(n, zero), three),
                                           _mm_unpacklo_epi8(f, zero)));
        _mm_storeu_si128(to + 1, _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(n, zero), three),
                                               _mm_unpackhi_epi8(f, zero)));
    }
    for (; i < count; ++i)
        sums[i] = std::int16_t(near[i] * 3 + far[i]);
}

#else

void colourRow(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int count,
               std::uint32_t* out) {
    colourScalar(y, cb, cr, count, out);
}

template <int Shift, int EvenBias, int OddBias>
void widen(const std::int16_t* sums, int count, std::uint8_t* out) {
    widenScalar<Shift, EvenBias, OddBias>(sums, 0, count, out);
}

void sumColumns(const std::uint8_t* near, const std::uint8_t* far, int count, std::int16_t* sums) {
    for (int i = 0; i < count; ++i)
        sums[i] = std::int16_t(near[i] * 3 + far[i]);
}

#endif

} // namespace

void useWidestVectors(bool widest) {
#if defined(__SSE2__)
    g_widest = widest;
#else
    (void)widest;
#endif
}

void colour(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int count,
            std::uint32_t* out) {
    colourRow(y, cb, cr, count, out);
}

void widenHalfHV(const std::int16_t* sums, int count, std::uint8_t* out) {
    widen<4, 8, 7>(sums, count, out);
}

void widenHalfH(const std::int16_t* sums, int count, std::uint8_t* out) {
    widen<2, 1, 2>(sums, count, out);
}

void columnSums(const std::uint8_t* near, const std::uint8_t* far, int count, std::int16_t* sums) {
    sumColumns(near, far, count, sums);
}

} // namespace planes
