#pragma once

#include "format/Navigation.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// Where a view is: a column h (0 .. N-1) of the horizontal ring and the vertical bar's value v
// (kHorizontalRingValue on the horizontal ring, above it the rows of the column's upper ring,
// below it those of its lower ring; see format/Navigation.h).
struct RingView {
    int h = 0;
    int v = navigation::kHorizontalRingValue;
    bool forward = true; // the direction of the turn that led here

    bool operator==(const RingView&) const = default;
};

// The turning rules of the viewer's two bars, for the viewer, the export's moves, the package
// tool's reach check and the pictures decoded ahead. Pure: what a package holds is asked of the
// caller.
//
// A turn is a step of the horizontal bar, which runs from -1 to N so that a step past either end
// can wrap:
// - on the horizontal ring it moves one column, wrapping at both ends;
// - on a vertical ring (rings branch off every kRingStride-th column) it moves the step and
//   kRingStride - 1 more columns: a step past either end first wraps (and sets the direction),
//   then the rest of the stride is added, clamped to the bar's range; forward, reaching N wraps to
//   0, backward the bar may stop at -1. Where the column reached holds no picture of that row
//   (-1 included) the view goes back to the horizontal ring at that column, -1 wrapping to N-1.
// Up and down move the vertical bar, which reaches kTopValue - kHorizontalRingValue rows above
// and kHorizontalRingValue - kBottomValue rows below; a column shows only the rows its rings have.
class RingTurns {
public:
    using Holds = std::function<bool(int h, int v)>;

    // The rows of a ring the vertical bar reaches, above and below the horizontal ring.
    static constexpr int kUpperRowsReached =
        navigation::kTopValue - navigation::kHorizontalRingValue;
    static constexpr int kLowerRowsReached =
        navigation::kHorizontalRingValue - navigation::kBottomValue;

    // The column the horizontal bar stands at after a turn, from `bar`, its value after the
    // user's one step (-1 .. n), and `forward`, that step's direction; the returned direction is
    // the one a wrap sets. The column is -1 .. n-1 (-1 only backward on a vertical ring).
    static RingView barTurn(int bar, bool forward, int v, int n);

    // Where the turn of barTurn() leads: on the horizontal ring the column reached; on a vertical
    // ring the same row at the column reached where `holds` says that view shows a picture, else
    // the horizontal ring at that column. A package without columns (n <= 0) is not turned.
    static RingView turn(int bar, bool forward, int v, int n, const Holds& holds);

    // One turn from `from` (a step of one column, then turn()).
    static RingView turnFrom(RingView from, bool forward, int n, const Holds& holds);

    // A column of the horizontal ring for a bar value past either end: n -> 0, -1 -> n-1.
    static int wrapped(int bar, int n);

    // The columns turns on a vertical ring land on, going forward from column 0 round a ring of
    // n columns that has that row everywhere, until they come back to 0: 0, kRingStride,
    // 2 kRingStride, ... below n when n is a multiple of kRingStride; otherwise the wrap at n
    // shifts the stops of the next round (n = 4: 0, 3, 2).
    static std::vector<int> ringStops(int n);

    // The vertical values the bar reaches on a column whose upper ring has upperRows rows and
    // lower ring lowerRows: topValue() down to bottomValue().
    static int topValue(int upperRows);
    static int bottomValue(int lowerRows);
    // The value nearest to v that the bar reaches on such a column.
    static int withinReach(int v, int upperRows, int lowerRows);

    // The slot that shows column h at vertical value v: h on the horizontal ring, else
    //   upper ring  upperRing[h] + v - kFirstRingRow
    //   lower ring  lowerRing[h] + |v|
    // Empty for a negative column, a column outside the map or marked kNoRing, or a value the bar
    // does not reach. Whether the slot holds a picture, or the ring that many rows, is for the
    // caller to check.
    static std::optional<int> slotOf(int h, int v, const std::vector<std::uint8_t>& upperRing,
                                     const std::vector<std::uint8_t>& lowerRing);
};
