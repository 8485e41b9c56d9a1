#pragma once

#include <cstdint>

// The vector loops of the plane conversion (see PlaneConversion.h): SSE2 on every x86-64
// processor, AVX2 where the processor has it, plain loops elsewhere; each gives the library's
// results exactly.
namespace planes {

// `count` pixels 0xffRRGGBB from Y and full-width Cb and Cr samples (grey from Y alone when `cb`
// is null).
void colour(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int count,
            std::uint32_t* out);

// sums[i] = 3 * near[i] + far[i] for i in [0, count): the vertical half of the 4:2:0 filter.
void columnSums(const std::uint8_t* near, const std::uint8_t* far, int count, std::int16_t* sums);

// The horizontal half of the filter: `sums` holds chroma columns c0 - 1 .. c0 + count, edges
// repeated; each of the `count` columns c0 .. gives two samples in `out`. For 4:2:0 the sums are
// column sums (weights of 16: biases 8 and 7, shift 4), for 4:2:2 the samples themselves (weights
// of 4: biases 1 and 2, shift 2).
void widenHalfHV(const std::int16_t* sums, int count, std::uint8_t* out);
void widenHalfH(const std::int16_t* sums, int count, std::uint8_t* out);

} // namespace planes
