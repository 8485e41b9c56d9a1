#pragma once

#include "format/MemberNames.h"

#include <QString>
#include <cstdint>
#include <vector>

// One picture of a vertical ring: the horizontal position where its ring branches off, and its
// row (rows start at 2; row 1 is the horizontal picture at that position itself).
struct RingMember {
    std::uint8_t column = 0;
    int row = 0;

    bool operator==(const RingMember&) const = default;
};

// Where the vertical rings of one kind branch off the horizontal ring.
//
// From N horizontal pictures and C rings (the count of row-2 pictures of that kind): the step
// s = N / C and the last column L = N - N / C, each rounded to the nearest whole number with ties
// to even, both held as bytes. The ring columns are 0, s, 2s, ... up to and including L.
// Note that the number of columns follows from s and L and may differ from C (N = 36, C = 8 gives
// s = 4, L = 32 and nine columns); the loader then misses a member and refuses the package.
//
// The geometry is undefined when C is 0 (pictures of that kind but no row-2 picture) or when the
// step rounds to 0 (C at least 2N), and it cannot be held when s or L passes 255. compute() then
// returns an invalid geometry whose error() is a sentence for the user; the opening shows it and
// refuses the package. compute() is only meaningful for a kind the package has pictures of.
//
// The memory gate and the ring loader both walk members(), so they always enumerate the same
// pictures in the same order.
class RingGeometry {
public:
    static RingGeometry compute(RingKind kind, int horizontalCount, int ringCount);

    bool isValid() const { return m_error.isEmpty(); }
    // Empty for a valid geometry.
    const QString& error() const { return m_error; }

    std::uint8_t step() const { return m_step; }
    std::uint8_t lastColumn() const { return m_lastColumn; }
    // Ascending; empty for an invalid geometry.
    const std::vector<std::uint8_t>& columns() const { return m_columns; }

    // For each column ascending, rows 2 ... rows + 1 ascending: the order in which the ring
    // pictures fill their slots. Empty for an invalid geometry or when rows is 0 or less.
    std::vector<RingMember> members(int rows) const;

private:
    QString m_error;
    std::uint8_t m_step = 0;
    std::uint8_t m_lastColumn = 0;
    std::vector<std::uint8_t> m_columns;
};

// numerator / denominator rounded to the nearest whole number, ties to even, for a positive
// denominator and a non-negative numerator.
long long roundedQuotient(long long numerator, long long denominator);
