#pragma once

#include <QSize>

// Whether the picture fits its window, and the zoom a package opens at so that its pictures are
// seen whole.
//
// The sizing rules give the window its picture plus 1500 twips down (the frame, the menu bar and
// the strip of controls above the picture) and, across, 300 twips on opening and 220 when zoomed.
// A picture fits when the window those rules ask for is no larger than the window it has (or may
// have: the screen's available area).

// The outer window's least excess over its picture, in whole pixels: 220 x 1500 twips.
inline constexpr QSize kWindowAroundPicture(14, 100);

// True when a picture of `picture` pixels fits a window whose outer size is `outer`.
bool pictureFits(QSize picture, QSize outer);

// The picture's size in pixels at zoom value z (factor z x 0.05), rounded as the view rounds it.
QSize zoomedPixels(int zoom, QSize natural);

// The largest zoom value from 1 to 20 (5 % to 100 %) at which a picture of `natural` pixels fits
// a window of at most `available` pixels: 20 when it fits at 100 %, 1 when it fits at no step.
int wholePictureZoom(QSize natural, QSize available);

// The zoom value a package opens at, from the bar's value now and `whole`, the package's
// wholePictureZoom(). A package whose pictures fit at 100 % keeps the bar's value; a larger one
// opens at `whole`, or at the bar's value when the user has zoomed out further. `lowered` is the
// value an earlier opening lowered the bar to (0 when it did not): a bar still at that value counts
// as 100 %, so that a small package opened after a large one opens at 100 %.
int openingZoom(int current, int whole, int lowered);

// The pixels a picture of `natural` pixels is shown at when its package opens (zoom as in
// openingZoom()), for a picture that does not fit at 100 %; an empty size for one that does (it is
// shown at its natural size or smaller, and held whole).
QSize openingShownPixels(QSize natural, QSize available, int current, int lowered);
