#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Which picture slot shows column h at vertical value v (the numbers are in format/Navigation.h):
//   v = 1        the horizontal ring: slot h
//   v = 2 .. 10  the upper ring of column h: UpperRing[h] + v - 2
//   v = -8 .. 0  the lower ring of column h: LowerRing[h] + |v|
// The answer is empty where no picture is defined: a column outside the maps, a ring map entry
// of kNoRing, or a vertical value outside -8 .. 10. Whether the slot exists and holds a picture
// is for the caller to check.
std::optional<int> pictureSlotFor(int h, int v, const std::vector<std::uint8_t>& upperRing,
                                  const std::vector<std::uint8_t>& lowerRing);
