#include "ViewSelection.h"

#include "format/Navigation.h"

#include <algorithm>
#include <cstdlib>

namespace {

using navigation::kHorizontalRingValue;
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
    using namespace navigation;
    if (h < 0)
        return std::nullopt;
    if (v == kHorizontalRingValue)
        return h;
    if (rows && (v > kHorizontalRingValue + rows->upperAt(h) ||
                 v < kHorizontalRingValue - rows->lowerAt(h)))
        return std::nullopt;
    const auto column = static_cast<std::size_t>(h);
    if (v > kHorizontalRingValue && v <= kTopValue) {
        if (column >= upperRing.size() || upperRing[column] == kNoRing)
            return std::nullopt;
        return upperRing[column] + v - kFirstRingRow;
    }
    if (v < kHorizontalRingValue && v >= kBottomValue) {
        if (column >= lowerRing.size() || lowerRing[column] == kNoRing)
            return std::nullopt;
        return lowerRing[column] + std::abs(v);
    }
    return std::nullopt;
}

int verticalWithinRings(int h, int v, const RingRows& rows) {
    return std::clamp(v, kHorizontalRingValue - rows.lowerAt(h),
                      kHorizontalRingValue + rows.upperAt(h));
}
