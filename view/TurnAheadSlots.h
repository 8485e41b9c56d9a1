#pragma once

#include <cstdint>
#include <vector>

// The picture slots a turn is likely to reach next from column h at vertical value v, nearest
// first: the columns in the direction of the turn, up to `ahead` of them, then the rows above and
// below on the other rings (a turn that goes on in its direction needs the columns first; a move
// to another ring comes after a pause, which leaves time for its picture). On the horizontal ring a
// step is one column, on a vertical ring three (the rings branch off every third column); a column
// without the ring stands for the horizontal ring's column, where the turn returns. No slot twice,
// none outside the maps.
std::vector<int> slotsAhead(int h, int v, bool forward, int hCount, int ahead,
                            const std::vector<std::uint8_t>& upperRing,
                            const std::vector<std::uint8_t>& lowerRing);
