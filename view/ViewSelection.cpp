#include "ViewSelection.h"

#include <cstdlib>

std::optional<int> pictureSlotFor(int h, int v, const std::vector<std::uint8_t>& upperRing,
                                  const std::vector<std::uint8_t>& lowerRing) {
    constexpr std::uint8_t kNoRing = 255;
    if (h < 0)
        return std::nullopt;
    if (v == 1)
        return h;
    const auto column = static_cast<std::size_t>(h);
    if (v >= 2 && v <= 10) {
        if (column >= upperRing.size() || upperRing[column] == kNoRing)
            return std::nullopt;
        return upperRing[column] + v - 2;
    }
    if (v >= -8 && v <= 0) {
        if (column >= lowerRing.size() || lowerRing[column] == kNoRing)
            return std::nullopt;
        return lowerRing[column] + std::abs(v);
    }
    return std::nullopt;
}
