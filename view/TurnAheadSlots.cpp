#include "TurnAheadSlots.h"

#include "view/ViewSelection.h"

#include <algorithm>

std::vector<int> slotsAhead(int h, int v, bool forward, int hCount, int ahead,
                            const std::vector<std::uint8_t>& upperRing,
                            const std::vector<std::uint8_t>& lowerRing) {
    std::vector<int> slots;
    if (hCount <= 0 || h < 0 || h >= hCount)
        return slots;
    auto add = [&slots](std::optional<int> slot) {
        if (slot && std::find(slots.begin(), slots.end(), *slot) == slots.end())
            slots.push_back(*slot);
    };
    const int step = (v == 1 ? 1 : 3) * (forward ? 1 : -1);
    auto column = [&](int k) {
        const int c = ((h + k * step) % hCount + hCount) % hCount;
        const std::optional<int> slot = pictureSlotFor(c, v, upperRing, lowerRing);
        return slot ? slot : std::optional<int>(c);
    };
    for (int k = 1; k <= ahead; ++k)
        add(column(k));
    add(pictureSlotFor(h, v + 1, upperRing, lowerRing));
    add(pictureSlotFor(h, v - 1, upperRing, lowerRing));
    return slots;
}
