#include "ViewSelection.h"

#include "format/Navigation.h"

#include <cstdlib>

std::optional<int> pictureSlotFor(int h, int v, const std::vector<std::uint8_t>& upperRing,
                                  const std::vector<std::uint8_t>& lowerRing) {
    using namespace navigation;
    if (h < 0)
        return std::nullopt;
    if (v == kHorizontalRingValue)
        return h;
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
