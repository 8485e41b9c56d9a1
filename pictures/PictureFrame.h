#pragma once

#include "pictures/Picture.h"

#include <QImage>
#include <QRect>
#include <QRegion>

class QPainter;

// Paints the part of a picture that is shown. A picture held as planes is converted to the
// painting format only there:
// - at its natural size, band by band through a small buffer that stays in the processor's cache
//   (nothing of the picture is kept);
// - to be scaled, into one 32-bit frame of the picture's size, reused from turn to turn: the
//   first paint of a picture converts the part it reads, later paints of the same picture only
//   what they add.
// Pictures held as 32-bit pixels are painted from them as they are. Used by one control on the
// window thread.
class PictureFrame {
public:
    // Paints `part` of the picture (in its own pixels) at the same place of `painter`.
    void drawNatural(QPainter& painter, const Picture::Pixels& pixels, const QRect& part);

    // An image of the picture's size whose pixels are the picture's at least within `part`; null
    // when there is nothing to paint.
    QImage show(const Picture::Pixels& pixels, const QRect& part);

    // Lets go of the frame and of the planes it was converted from.
    void clear();

private:
    std::shared_ptr<const JpegPlanes> m_planes; // what m_frame was converted from
    QImage m_frame;
    QRegion m_converted; // where m_frame holds m_planes' pixels
    QImage m_band;       // natural-size painting: a few rows at a time
};
