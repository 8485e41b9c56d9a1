#pragma once

#include <QSize>

// Where a zoomed picture larger than its window is seen from: the rules of the scrolled picture
// area, in pixels.

// The size of the scrolled area that shows a picture of `picture` pixels within `room`: as large as
// the picture where it fits, plus a scroll bar `bar` pixels thick along each side that scrolls,
// never larger than the room.
QSize pannedAreaSize(QSize picture, QSize room, int bar);

// The point of a picture of `length` pixels at the middle of a view `view` pixels long scrolled to
// `value`, as a fraction of the picture's length. A picture no longer than the view is seen whole:
// its middle.
double middleFraction(int value, int view, int length);

// The scroll value that puts the point at `fraction` of a picture of `length` pixels in the middle
// of a view `view` pixels long, kept within the scroll range 0 ... length - view.
int valueForMiddle(double fraction, int view, int length);
