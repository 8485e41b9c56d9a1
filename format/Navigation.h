#pragma once

#include <cstdint>

// The numbers that tie the two navigation bars, the ring maps and the picture slots together.
//
// The vertical bar runs from kTopValue (its top) down to kBottomValue and stands at
// kHorizontalRingValue on the horizontal ring. A value v above it shows row v of the column's
// upper ring, a value below it row kFirstRingRow + |v| of the lower ring; a ring's first row sits
// in the slot its ring map names, the next rows in the slots after it:
//   upper ring  UpperRing[h] + v - kFirstRingRow
//   lower ring  LowerRing[h] + |v|
// A ring map entry of kNoRing means that no ring branches off at that horizontal position.
// Rings branch off every kRingStride-th horizontal position, so a turn on a vertical ring moves
// that many positions at once (the user's one step and kRingStride - 1 more). The rules built on
// these numbers are in format/RingTurns.h.
namespace navigation {

inline constexpr int kHorizontalRingValue = 1;
inline constexpr int kTopValue = 10;
inline constexpr int kBottomValue = -8;

// Row 1 of a column is its horizontal picture; the vertical rings start at row 2.
inline constexpr int kFirstRingRow = 2;

inline constexpr int kRingStride = 3;

// Ring maps hold bytes and this value is never a slot, so a package with rings can use the slots
// up to kLastRingSlot only.
inline constexpr std::uint8_t kNoRing = 255;
inline constexpr int kLastRingSlot = kNoRing - 1;

} // namespace navigation
