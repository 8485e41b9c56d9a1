#include "SpinMoves.h"

#include "format/Navigation.h"

#include <cstdlib>
#include <deque>
#include <map>

namespace {

using navigation::kHorizontalRingValue;

// The vertical values the viewer's bar reaches in this package.
int topValue(const SpinLayout& layout) {
    return std::min(navigation::kTopValue, kHorizontalRingValue + layout.upperRows);
}

int bottomValue(const SpinLayout& layout) {
    return std::max(navigation::kBottomValue, kHorizontalRingValue - layout.lowerRows);
}

bool hasUpperRing(const SpinLayout& layout, int h) {
    const auto column = std::size_t(h);
    return column < layout.UpperRing.size() && layout.UpperRing[column] != navigation::kNoRing;
}

SpinView horizontalAt(const SpinLayout& layout, int h) {
    const int n = layout.horizontalCount;
    if (h >= n)
        h = 0;
    if (h < 0)
        h = n - 1;
    return {h, kHorizontalRingValue};
}

} // namespace

std::optional<int> spinSlot(const SpinLayout& layout, SpinView view) {
    const int n = layout.horizontalCount;
    if (view.h < 0 || view.h >= n || view.v > topValue(layout) || view.v < bottomValue(layout))
        return std::nullopt;
    if (view.v == kHorizontalRingValue)
        return layout.holds(view.h) ? std::optional<int>(view.h) : std::nullopt;
    const bool upper = view.v > kHorizontalRingValue;
    const auto& ring = upper ? layout.UpperRing : layout.LowerRing;
    const auto column = std::size_t(view.h);
    if (column >= ring.size() || ring[column] == navigation::kNoRing)
        return std::nullopt;
    const int slot =
        upper ? ring[column] + view.v - navigation::kFirstRingRow : ring[column] + std::abs(view.v);
    return layout.holds(slot) ? std::optional<int>(slot) : std::nullopt;
}

SpinView turned(const SpinLayout& layout, SpinView from, bool forward) {
    const int n = layout.horizontalCount;
    if (n <= 0)
        return from;
    if (from.v == kHorizontalRingValue)
        return horizontalAt(layout, from.h + (forward ? 1 : -1));
    // The bar's own step, wrapped, then the rest of the stride; the bar holds -1 .. N.
    constexpr int kRestOfStride = navigation::kRingStride - 1;
    int h = from.h + (forward ? 1 : -1);
    if (h == n)
        h = 0;
    if (h == -1)
        h = n - 1;
    if (forward) {
        h = std::min(h + kRestOfStride, n);
        if (h == n)
            h = 0;
    } else {
        h = std::max(h - kRestOfStride, -1);
    }
    const SpinView reached{h, from.v};
    if (spinSlot(layout, reached))
        return reached;
    return horizontalAt(layout, h);
}

SpinView raised(const SpinLayout& layout, SpinView from, bool up) {
    // On the horizontal ring the viewer enables its vertical bar only where an upper ring
    // branches off; a column with only a lower ring is not left that way.
    if (from.v == kHorizontalRingValue && !hasUpperRing(layout, from.h))
        return from;
    const SpinView next{from.h, from.v + (up ? 1 : -1)};
    return spinSlot(layout, next) ? next : from;
}

std::vector<SpinGraphNode> spinGraph(const SpinLayout& layout) {
    std::vector<SpinGraphNode> nodes;
    std::map<std::pair<int, int>, int> index;
    std::deque<SpinView> pending;
    const auto add = [&](SpinView view) {
        const auto key = std::make_pair(view.h, view.v);
        const auto found = index.find(key);
        if (found != index.end())
            return found->second;
        const std::optional<int> slot = spinSlot(layout, view);
        if (!slot)
            return -1;
        const int at = int(nodes.size());
        index.emplace(key, at);
        nodes.push_back({view, *slot, 0, 0, 0, 0});
        pending.push_back(view);
        return at;
    };
    for (int h = 0; h < layout.horizontalCount; ++h)
        add({h, kHorizontalRingValue});
    while (!pending.empty()) {
        const SpinView view = pending.front();
        pending.pop_front();
        const int at = index.at({view.h, view.v});
        const int left = add(turned(layout, view, false));
        const int right = add(turned(layout, view, true));
        const int up = add(raised(layout, view, true));
        const int down = add(raised(layout, view, false));
        SpinGraphNode& node = nodes[std::size_t(at)];
        node.left = left < 0 ? at : left;
        node.right = right < 0 ? at : right;
        node.up = up < 0 ? at : up;
        node.down = down < 0 ? at : down;
    }
    return nodes;
}

std::vector<int> ringSlots(const SpinLayout& layout, int ring) {
    std::vector<int> slots;
    for (int h = 0; h < layout.horizontalCount; ++h) {
        const SpinView view{h, kHorizontalRingValue + ring};
        if (const std::optional<int> slot = spinSlot(layout, view))
            slots.push_back(*slot);
    }
    return slots;
}
