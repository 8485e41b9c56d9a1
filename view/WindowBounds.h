#pragma once

#include <QRect>
#include <QSize>

// How far the main window may grow and shrink, whatever the sizing rules of the opening and the
// zoom ask for: never narrower than the strip of controls above the picture, never larger than
// the part of its screen that windows may use (the desktop without its panels).

// The client width the control strip needs, in twips: the read-out at its right end stops at
// 4815, and four pixels of margin follow. Kept below the width (4965 outer) past which the zoom
// widens the window, so that the zoom's thresholds stay visible with a thin frame.
constexpr double kControlStripWidthTwips = 4875;

// The outer size in pixels the window takes when `requested` (outer, pixels) is asked for: at
// least `minimumClientWidth` plus the frame across, at most the available size. The screen wins
// when the two cannot both hold.
QSize boundedOuterSize(QSize requested, QSize frame, int minimumClientWidth, QSize available);

// Where the window's frame goes so that it lies on the available area: moved up and left just
// enough, never past the area's top-left corner. A frame that fits stays where it is.
QPoint keptOnArea(const QRect& frame, const QRect& available);

// The largest outer size a window whose frame is `frame` may take without moving: from its
// top-left corner to the available area's right and bottom edges, never less than it has now (a
// window that must grow past the edges is moved by keptOnArea() instead) nor more than the area.
QSize roomFromCorner(const QRect& frame, const QRect& available);
