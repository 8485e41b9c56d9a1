#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// How many rows each column's upper and lower ring holds, read from the ring maps: a ring runs
// from its first row's slot up to the next ring's first slot (of either map) or, for the last
// ring, up to slotEnd (one past the last slot). 0 where no ring branches off.
struct RingRows {
    std::vector<int> upper;
    std::vector<int> lower;

    static RingRows from(const std::vector<std::uint8_t>& upperRing,
                         const std::vector<std::uint8_t>& lowerRing, int slotEnd);
    int upperAt(int h) const;
    int lowerAt(int h) const;
};

// Which picture slot shows column h at vertical value v (RingTurns::slotOf, kept within `rows`):
//   v = 1        the horizontal ring: slot h
//   v = 2 .. 10  the upper ring of column h: UpperRing[h] + v - 2
//   v = -8 .. 0  the lower ring of column h: LowerRing[h] + |v|
// The ring maps hold kNoRing where no ring branches off. The answer is empty where no picture is
// defined: a column outside the maps, a ring map entry of kNoRing, or a vertical value outside -8
// .. 10; given `rows`, also a vertical value past the column's ring's last row (which would
// address the next ring in the slot layout). Whether the slot exists and holds a picture is for
// the caller to check.
std::optional<int> pictureSlotFor(int h, int v, const std::vector<std::uint8_t>& upperRing,
                                  const std::vector<std::uint8_t>& lowerRing,
                                  const RingRows* rows = nullptr);

// The vertical value nearest to v that stays on column h's rings: from 1 - its lower rows to
// 1 + its upper rows (1, the horizontal ring, where it has neither), within the bar's reach.
int verticalWithinRings(int h, int v, const RingRows& rows);
