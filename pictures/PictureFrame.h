#pragma once

#include "pictures/Picture.h"

#include <QImage>
#include <QRect>
#include <QRegion>

// The painting format pixels of the part of a picture that is shown. A picture held as planes is
// converted into one 32-bit frame of the picture's size, reused from turn to turn, and only where
// it is asked for: the first paint of a turn converts the visible part, later paints of the same
// picture convert only what they add. Pictures held as 32-bit pixels are handed out as they are.
// Used by one control on the window thread.
class PictureFrame {
public:
    // An image of the picture's size whose pixels are the picture's at least within `part`; null
    // when there is nothing to paint.
    QImage show(const PicturePtr& picture, const QRect& part);

    // Lets go of the frame and of the planes it was converted from.
    void clear();

private:
    std::shared_ptr<const JpegPlanes> m_planes; // what m_frame was converted from
    QImage m_frame;
    QRegion m_converted; // where m_frame holds m_planes' pixels
};
