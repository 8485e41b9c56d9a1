#include "RingTurns.h"

#include <algorithm>
#include <cstdlib>

using navigation::kHorizontalRingValue;

RingView RingTurns::barTurn(int bar, bool forward, int v, int n) {
    if (v == kHorizontalRingValue)
        return {wrapped(bar, n), v, forward};
    // The bar's own step, wrapped, then the rest of the stride, within the bar's range -1 .. n.
    constexpr int kRestOfStride = navigation::kRingStride - 1;
    if (bar == n) {
        bar = 0;
        forward = true;
    }
    if (bar == -1) {
        bar = n - 1;
        forward = false;
    }
    int h = 0;
    if (forward) {
        h = std::min(bar + kRestOfStride, n);
        if (h == n)
            h = 0;
    } else {
        h = std::max(bar - kRestOfStride, -1);
    }
    return {h, v, forward};
}

RingView RingTurns::turn(int bar, bool forward, int v, int n, const Holds& holds) {
    if (n <= 0)
        return {bar, v, forward};
    RingView reached = barTurn(bar, forward, v, n);
    if (reached.v != kHorizontalRingValue && (reached.h < 0 || !holds(reached.h, reached.v)))
        reached = {wrapped(reached.h, n), kHorizontalRingValue, reached.forward};
    return reached;
}

RingView RingTurns::turnFrom(RingView from, bool forward, int n, const Holds& holds) {
    if (n <= 0)
        return from;
    return turn(from.h + (forward ? 1 : -1), forward, from.v, n, holds);
}

int RingTurns::wrapped(int bar, int n) {
    if (bar >= n)
        return 0;
    if (bar < 0)
        return n - 1;
    return bar;
}

std::vector<int> RingTurns::ringStops(int n) {
    std::vector<int> stops;
    const int ringRow = navigation::kFirstRingRow;
    for (int h = 0; n > 0 && int(stops.size()) < n; h = barTurn(h + 1, true, ringRow, n).h) {
        if (!stops.empty() && h == stops.front())
            break;
        stops.push_back(h);
    }
    return stops;
}

int RingTurns::topValue(int upperRows) {
    return std::min(navigation::kTopValue, kHorizontalRingValue + std::max(0, upperRows));
}

int RingTurns::bottomValue(int lowerRows) {
    return std::max(navigation::kBottomValue, kHorizontalRingValue - std::max(0, lowerRows));
}

int RingTurns::withinReach(int v, int upperRows, int lowerRows) {
    return std::clamp(v, bottomValue(lowerRows), topValue(upperRows));
}

std::optional<int> RingTurns::slotOf(int h, int v, const std::vector<std::uint8_t>& upperRing,
                                     const std::vector<std::uint8_t>& lowerRing) {
    if (h < 0 || v > navigation::kTopValue || v < navigation::kBottomValue)
        return std::nullopt;
    if (v == kHorizontalRingValue)
        return h;
    const bool upper = v > kHorizontalRingValue;
    const std::vector<std::uint8_t>& ring = upper ? upperRing : lowerRing;
    const auto column = std::size_t(h);
    if (column >= ring.size() || ring[column] == navigation::kNoRing)
        return std::nullopt;
    return upper ? ring[column] + v - navigation::kFirstRingRow : ring[column] + std::abs(v);
}
