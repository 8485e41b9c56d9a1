#pragma once

#include "SpinLayout.h"

#include "format/Navigation.h"

#include <optional>
#include <vector>

// How a spin moves between the package's pictures, exactly as the viewer's two scroll bars move:
// a view is a column h (0 .. N-1) and a vertical value v (1 the horizontal ring, 2 .. 10 the rows
// of the upper rings, 0 .. -8 those of the lower rings).
//
// - On the horizontal ring a turn moves one column, wrapping at both ends.
// - On a vertical ring a turn moves a ring stride of columns (the rings branch off every third
//   position),
//   wrapping at both ends the way the viewer's bar does; a turn that lands on a column without
//   that ring goes back to the horizontal ring at the column reached.
// - Up and down move one row, but never past the package's top or bottom row and never onto a
//   column without the ring: the view then stays where it is. From the horizontal ring they move
//   only where an upper ring branches off, as the viewer enables its vertical bar only there.
struct SpinView {
    int h = 0;
    int v = navigation::kHorizontalRingValue;
    bool operator==(const SpinView&) const = default;
};

// The slot that shows the view, or nothing where the package holds no picture for it (rows past
// the package's last row included).
std::optional<int> spinSlot(const SpinLayout& layout, SpinView view);

// The view after one turn step (forward: towards higher columns).
SpinView turned(const SpinLayout& layout, SpinView from, bool forward);

// The view after one step up (towards the upper rings) or down.
SpinView raised(const SpinLayout& layout, SpinView from, bool up);

// Every view reachable from column 0 of the horizontal ring, in a fixed order (column by column
// on the horizontal ring first, then as they are reached), with the index of its neighbours.
struct SpinGraphNode {
    SpinView view;
    int slot = 0;
    int left = 0; // indices into the node list
    int right = 0;
    int up = 0;
    int down = 0;
};
std::vector<SpinGraphNode> spinGraph(const SpinLayout& layout);

// The slots of one turn of a ring, in turning order: ring 0 is the horizontal ring, ring k > 0
// the k-th row above it (at every column where an upper ring branches off), ring -k the k-th row
// below. Empty when the package has no such row the viewer reaches.
std::vector<int> ringSlots(const SpinLayout& layout, int ring);
