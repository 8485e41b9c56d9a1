#pragma once

// What every path of the plane kernels shares: the colour tables' constants and the plain loops
// that also finish the rows the vector loops leave over.
#include "pictures/PlaneKernels.h"

#include <cstdint>

namespace planes {

// The colour tables' constants, FIX(x) = round(x * 65536): Cr to R 1.402, Cb to B 1.772, Cr to G
// 0.71414 and Cb to G 0.34414 (16 fraction bits, half added before the shift).
constexpr int kCrToR = 91881;
constexpr int kCbToB = 116130;
constexpr int kCrToG = 46802;
constexpr int kCbToG = 22554;
constexpr int kHalf = 1 << 15;

const Kernels& scalarKernels();
// Null where the build or the processor has no such code.
const Kernels* sse2Kernels();
const Kernels* avx2Kernels();

// The triangle filter across one chroma row for columns [from, count) (see Kernels): each column
// k gives out[2k] and out[2k + 1] from sums[k], sums[k + 1] and sums[k + 2].
template <int Shift, int EvenBias, int OddBias>
void widenScalar(const std::int16_t* sums, int from, int count, std::uint8_t* out) {
    for (int k = from; k < count; ++k) {
        const int near = sums[k + 1] * 3;
        out[2 * k] = std::uint8_t((near + sums[k] + EvenBias) >> Shift);
        out[2 * k + 1] = std::uint8_t((near + sums[k + 2] + OddBias) >> Shift);
    }
}

} // namespace planes
