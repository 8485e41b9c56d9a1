// The plane kernels in AVX2, for the x86-64 processors that have it: the same arithmetic as the
// SSE2 kernels, sixteen pixels or chroma columns a step in 256-bit registers. Only these functions
// are compiled for AVX2, so nothing that may run on other processors uses its instructions.
#include "PlaneKernelsScalar.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define GYRO_HAVE_AVX2_PATH 1
#include <immintrin.h>
#endif

namespace planes {

#if GYRO_HAVE_AVX2_PATH

namespace {

#define GYRO_AVX2 __attribute__((target("avx2")))

// Widening the bytes first keeps the samples in order through the in-lane unpacks and packs.
GYRO_AVX2 inline __m256i widenBytes256(const std::uint8_t* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

GYRO_AVX2 inline __m256i load256(const std::int16_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

GYRO_AVX2 inline __m256i roundedHigh256(__m256i products) {
    return _mm256_srai_epi32(_mm256_add_epi32(products, _mm256_set1_epi32(kHalf)), 16);
}

// The rounded high halves of a * f0 + b * f1 for sixteen (a, b) pairs; the factors alternate in
// `factors` as the multiply-add takes them.
GYRO_AVX2 inline __m256i high256(__m256i a, __m256i b, __m256i factors) {
    return _mm256_packs_epi32(
        roundedHigh256(_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), factors)),
        roundedHigh256(_mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), factors)));
}

GYRO_AVX2 inline __m256i clamp256(__m256i v) {
    return _mm256_max_epi16(_mm256_min_epi16(v, _mm256_set1_epi16(255)), _mm256_setzero_si256());
}

// The colour constants split into 16-bit factors as in the SSE2 kernels.
GYRO_AVX2 void colour(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                      int count, std::uint32_t* out) {
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
    scalarKernels().colour(y + i, cb ? cb + i : nullptr, cr ? cr + i : nullptr, count - i, out + i);
}

// The columns left over go to the SSE2 kernel, eight at a time, then to the plain loop.
template <int Shift, int EvenBias, int OddBias>
GYRO_AVX2 int widen(const std::int16_t* sums, int count, std::uint8_t* out) {
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

GYRO_AVX2 void widenHalfHV(const std::int16_t* sums, int count, std::uint8_t* out) {
    const int k = widen<4, 8, 7>(sums, count, out);
    sse2Kernels()->widenHalfHV(sums + k, count - k, out + 2 * k);
}

GYRO_AVX2 void widenHalfH(const std::int16_t* sums, int count, std::uint8_t* out) {
    const int k = widen<2, 1, 2>(sums, count, out);
    sse2Kernels()->widenHalfH(sums + k, count - k, out + 2 * k);
}

GYRO_AVX2 void columnSums(const std::uint8_t* near, const std::uint8_t* far, int count,
                          std::int16_t* sums) {
    const __m256i three = _mm256_set1_epi16(3);
    int i = 0;
    for (; i + 16 <= count; i += 16)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + i),
                            _mm256_add_epi16(_mm256_mullo_epi16(widenBytes256(near + i), three),
                                             widenBytes256(far + i)));
    scalarKernels().columnSums(near + i, far + i, count - i, sums + i);
}

#undef GYRO_AVX2

} // namespace

const Kernels* avx2Kernels() {
    static constexpr Kernels kernels{colour, columnSums, widenHalfHV, widenHalfH};
    static const bool has = __builtin_cpu_supports("avx2") && sse2Kernels();
    return has ? &kernels : nullptr;
}

#else

const Kernels* avx2Kernels() {
    return nullptr;
}

#endif

} // namespace planes
