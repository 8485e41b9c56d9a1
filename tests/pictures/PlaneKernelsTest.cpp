// The plane kernels: the colour conversion of every path against the YCbCr equations for every
// Y, Cb and Cr, and which path a process takes.
#include "pictures/PlaneKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>

namespace {

using planes::InstructionSet;

// R = Y + 1.402 (Cr - 128), G = Y - 0.34414 (Cb - 128) - 0.71414 (Cr - 128),
// B = Y + 1.772 (Cb - 128), in the library's fixed point: each factor rounded to 16 fraction
// bits, half a unit added before the arithmetic shift, the result clamped to 0 .. 255.
std::uint32_t expectedPixel(int y, int cb, int cr) {
    constexpr int kBits = 16;
    constexpr long kHalf = 1L << (kBits - 1);
    auto fix = [](double x) { return long(x * (1L << kBits) + 0.5); };
    auto clamp = [](long v) { return std::uint32_t(std::clamp(v, 0L, 255L)); };
    const long r = y + ((fix(1.40200) * (cr - 128) + kHalf) >> kBits);
    const long g = y + ((-fix(0.34414) * (cb - 128) + kHalf - fix(0.71414) * (cr - 128)) >> kBits);
    const long b = y + ((fix(1.77200) * (cb - 128) + kHalf) >> kBits);
    return 0xff000000u | clamp(r) << 16 | clamp(g) << 8 | clamp(b);
}

TEST(PlaneKernels, ColourEveryYCbCrAsTheEquations) {
    std::array<std::uint8_t, 256> y, cb, cr;
    std::array<std::uint32_t, 256> out;
    for (int i = 0; i < 256; ++i)
        y[std::size_t(i)] = std::uint8_t(i);
    for (const InstructionSet set : planes::kInstructionSets) {
        const planes::Kernels* kernels = planes::kernelsFor(set);
        if (!kernels)
            continue;
        int wrong = 0;
        std::ostringstream first;
        for (int b = 0; b < 256; ++b) {
            for (int r = 0; r < 256; ++r) {
                cb.fill(std::uint8_t(b));
                cr.fill(std::uint8_t(r));
                kernels->colour(y.data(), cb.data(), cr.data(), 256, out.data());
                for (int i = 0; i < 256; ++i) {
                    const std::uint32_t expected = expectedPixel(i, b, r);
                    if (out[std::size_t(i)] != expected && wrong++ == 0)
                        first << "Y " << i << " Cb " << b << " Cr " << r << ": " << std::hex
                              << out[std::size_t(i)] << " instead of " << expected;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << planes::instructionSetName(set) << ", first " << first.str();
    }
}

TEST(PlaneKernels, ThePathNamedIsTakenWhenTheProcessorHasIt) {
    struct Case {
        const char* requested;
        InstructionSet widest;
        InstructionSet chosen;
    };
    const Case cases[] = {
        {nullptr, InstructionSet::Avx2, InstructionSet::Avx2},
        {"", InstructionSet::Sse2, InstructionSet::Sse2},
        {"scalar", InstructionSet::Avx2, InstructionSet::Scalar},
        {"sse2", InstructionSet::Avx2, InstructionSet::Sse2},
        {"avx2", InstructionSet::Avx2, InstructionSet::Avx2},
        {"avx2", InstructionSet::Sse2, InstructionSet::Sse2},
        {"sse2", InstructionSet::Scalar, InstructionSet::Scalar},
        {"neon", InstructionSet::Avx2, InstructionSet::Avx2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(planes::chooseInstructionSet(c.requested, c.widest), c.chosen)
            << (c.requested ? c.requested : "(unset)") << " on "
            << planes::instructionSetName(c.widest);
    EXPECT_TRUE(planes::kernelsFor(InstructionSet::Scalar));
    EXPECT_EQ(&planes::kernels(), planes::kernelsFor(planes::chosenInstructionSet()));
}

} // namespace
