#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The inner loops of the plane conversion (see PlaneConversion.h), one table of them for each
// instruction set, each in its own file: plain C++ (PlaneKernelsScalar.cpp), SSE2 (every x86-64
// processor; PlaneKernelsSse2.cpp) and AVX2 (PlaneKernelsAvx2.cpp). All of them give the library's
// results exactly. The conversion uses the table chosen once, when it is first asked for: the
// widest the processor has, or the one the environment variable GYROLOOK_SIMD names ("scalar",
// "sse2" or "avx2"), which forces a path for tests and for bug reports.
namespace planes {

struct Kernels {
    // `count` pixels 0xffRRGGBB from Y and full-width Cb and Cr samples (grey from Y alone when
    // `cb` is null).
    void (*colour)(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int count,
                   std::uint32_t* out);

    // sums[i] = 3 * near[i] + far[i] for i in [0, count): the vertical half of the 4:2:0 filter.
    void (*columnSums)(const std::uint8_t* near, const std::uint8_t* far, int count,
                       std::int16_t* sums);

    // The horizontal half of the filter: `sums` holds chroma columns c0 - 1 .. c0 + count, edges
    // repeated; each of the `count` columns c0 .. gives two samples in `out`. For 4:2:0 the sums
    // are column sums (weights of 16: biases 8 and 7, shift 4), for 4:2:2 the samples themselves
    // (weights of 4: biases 1 and 2, shift 2).
    void (*widenHalfHV)(const std::int16_t* sums, int count, std::uint8_t* out);
    void (*widenHalfH)(const std::int16_t* sums, int count, std::uint8_t* out);
};

// Narrowest first: a processor that has one has those before it too.
enum class InstructionSet { Scalar, Sse2, Avx2 };
inline constexpr InstructionSet kInstructionSets[] = {InstructionSet::Scalar, InstructionSet::Sse2,
                                                      InstructionSet::Avx2};

// The table of one instruction set; null when this build or this processor has no such path.
const Kernels* kernelsFor(InstructionSet set);

// The table the conversion uses, chosen on the first call and the same for the whole process.
const Kernels& kernels();
InstructionSet chosenInstructionSet();

// The name GYROLOOK_SIMD takes for a set, and the set a name stands for (empty when unknown).
std::string_view instructionSetName(InstructionSet set);
std::optional<InstructionSet> instructionSetNamed(std::string_view name);

// The set to use: the one named by `requested` (GYROLOOK_SIMD, null when unset) when the
// processor has it, else `widest`, the widest the processor has.
InstructionSet chooseInstructionSet(const char* requested, InstructionSet widest);

} // namespace planes
