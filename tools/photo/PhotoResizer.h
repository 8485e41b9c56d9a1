#pragma once

#include <QImage>
#include <QSize>

// Scales photos down with an area (box) filter: every output pixel is the mean of the input area
// it covers, fractions of pixels at its edges weighted by how much of them it covers. Over
// libjpeg's DCT scaling (which leaves at most a factor of two to go) this keeps fine texture free
// of aliasing and moiré. Separable, in fixed point, rows then columns; RGB888 in and out.
class PhotoResizer {
public:
    // `photo` scaled to `size` (each side no larger than the photo's); RGB888. A photo of that
    // size already comes back as it is.
    static QImage scaled(const QImage& photo, QSize size);

    // The size of a picture of `size` whose longest side is brought down to `longest` (kept
    // when it is no longer), proportions kept, each side rounded to the nearest pixel.
    static QSize fitted(QSize size, int longest);
};
