// The plane kernels in SSE2, which every x86-64 processor has.
#include "PlaneKernelsScalar.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace planes {

#if defined(__SSE2__)

namespace {

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

// The 16-bit factors the multiply-adds take for the colour constants: 1.402 = 1 + 26345/65536,
// 1.772 = 2 - 14942/65536, 0.71414 = 1 - 18734/65536. Whole multiples of 65536 pass the shift
// unchanged and are added as the sample itself, so the split gives the tables' results.
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

void colour(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int count,
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
    scalarKernels().colour(y + i, cb ? cb + i : nullptr, cr ? cr + i : nullptr, count - i, out + i);
}

template <int Shift, int EvenBias, int OddBias>
void widen(const std::int16_t* sums, int count, std::uint8_t* out) {
    const __m128i three = _mm_set1_epi16(3);
    const __m128i even = _mm_set1_epi16(EvenBias), odd = _mm_set1_epi16(OddBias);
    int k = 0;
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

void widenHalfHV(const std::int16_t* sums, int count, std::uint8_t* out) {
    widen<4, 8, 7>(sums, count, out);
}

void widenHalfH(const std::int16_t* sums, int count, std::uint8_t* out) {
    widen<2, 1, 2>(sums, count, out);
}

void columnSums(const std::uint8_t* near, const std::uint8_t* far, int count, std::int16_t* sums) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i three = _mm_set1_epi16(3);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i n = load16(near + i), f = load16(far + i);
        auto* to = reinterpret_cast<__m128i*>(sums + i);
        _mm_storeu_si128(to, _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(n, zero), three),
                                           _mm_unpacklo_epi8(f, zero)));
        _mm_storeu_si128(to + 1, _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(n, zero), three),
                                               _mm_unpackhi_epi8(f, zero)));
    }
    scalarKernels().columnSums(near + i, far + i, count - i, sums + i);
}

} // namespace

const Kernels* sse2Kernels() {
    static constexpr Kernels kernels{colour, columnSums, widenHalfHV, widenHalfH};
    return &kernels;
}

#else

const Kernels* sse2Kernels() {
    return nullptr;
}

#endif

} // namespace planes
