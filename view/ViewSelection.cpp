#include "ViewSelection.h"

#include "format/Navigation.h"
#include "format/RingTurns.h"

#include <algorithm>

namespace {

using navigation::kNoRing;

int rowsAt(const std::vector<int>& rows, int h) {
    return h >= 0 && std::size_t(h) < rows.size() ? rows[std::size_t(h)] : 0;
}

} // namespace

RingRows RingRows::from(const std::vector<std::uint8_t>& upperRing,
                        const std::vector<std::uint8_t>& lowerRing, int slotEnd) {
    std::vector<int> starts;
    for (const auto* map : {&upperRing, &lowerRing})
        for (const std::uint8_t start : *map)
            if (start != kNoRing)
                starts.push_back(start);
    std::sort(starts.begin(), starts.end());
    const auto rowsFrom = [&](const std::vector<std::uint8_t>& map) {
        std::vector<int> rows(map.size(), 0);
        for (std::size_t column = 0; column < map.size(); ++column) {
            if (map[column] == kNoRing)
                continue;
            const auto next = std::upper_bound(starts.begin(), starts.end(), int(map[column]));
            rows[column] = std::max(0, (next == starts.end() ? slotEnd : *next) - map[column]);
        }
        return rows;
    };
    return {rowsFrom(upperRing), rowsFrom(lowerRing)};
}

int RingRows::upperAt(int h) const {
    return rowsAt(upper, h);
}

int RingRows::lowerAt(int h) const {
    return rowsAt(lower, h);
}

std::optional<int> pictureSlotFor(int h, int v, const std::vector<std::uint8_t>& upperRing,
                                  const std::vector<std::uint8_t>& lowerRing,
                                  const RingRows* rows) {
    if (rows && RingTurns::withinReach(v, rows->upperAt(h), rows->lowerAt(h)) != v)
        return std::nullopt;
    return RingTurns::slotOf(h, v, upperRing, lowerRing);
}

int verticalWithinRings(int h, int v, const RingRows& rows) {
    return RingTurns::withinReach(v, rows.upperAt(h), rows.lowerAt(h));
}
