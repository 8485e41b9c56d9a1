#pragma once

#include "format/Navigation.h"
#include "format/RingTurns.h"

#include <algorithm>

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// How far the viewer's two scroll bars reach into a package's vertical rings. The viewer enables
// its vertical bar only at a horizontal position where an upper ring branches off, and once on a
// ring it turns three positions a click; its bar reaches rows 2 ... 10 above and 2 ... 10 below.
// So every picture of a package is reachable only when its rings branch off at every third
// position (0, 3, 6, ... of a ring whose count is a multiple of three), upper rings at every one
// of them, lower rings (if any) too, and each side has at most nine rows.
class RingReach {
public:
    // Rows a side can have: the vertical bar reaches rows 2 ... 10 on either side.
    static constexpr int kMaxRows =
        std::min(RingTurns::kUpperRowsReached, RingTurns::kLowerRowsReached);

    // Sentences naming each ring the viewer cannot reach in full; empty when it reaches every
    // picture. upper/lowerMap: per horizontal position the ring's first slot, kNoRing for none (as
    // the opening fills them); rows: the rows of each side.
    static QStringList problems(int horizontal, const std::vector<std::uint8_t>& upperMap,
                                int upperRows, const std::vector<std::uint8_t>& lowerMap,
                                int lowerRows);
};
