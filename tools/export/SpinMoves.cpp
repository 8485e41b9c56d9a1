#include "SpinMoves.h"

#include "format/Navigation.h"
#include "format/RingTurns.h"

#include <deque>
#include <map>

namespace {

using navigation::kHorizontalRingValue;

bool hasUpperRing(const SpinLayout& layout, int h) {
    const auto column = std::size_t(h);
    return column < layout.UpperRing.size() && layout.UpperRing[column] != navigation::kNoRing;
}

} // namespace

std::optional<int> spinSlot(const SpinLayout& layout, SpinView view) {
    if (view.h >= layout.horizontalCount ||
        RingTurns::withinReach(view.v, layout.upperRows, layout.lowerRows) != view.v)
        return std::nullopt;
    const std::optional<int> slot =
        RingTurns::slotOf(view.h, view.v, layout.UpperRing, layout.LowerRing);
    return slot && layout.holds(*slot) ? slot : std::nullopt;
}

SpinView turned(const SpinLayout& layout, SpinView from, bool forward) {
    const RingView to = RingTurns::turnFrom({from.h, from.v, forward}, forward,
                                            layout.horizontalCount, [&](int h, int v) {
                                                return spinSlot(layout, {h, v}).has_value();
                                            });
    return {to.h, to.v};
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
