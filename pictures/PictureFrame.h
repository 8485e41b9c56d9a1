#pragma once

#include "pictures/Picture.h"

#include <QImage>
#include <QRect>
#include <QRegion>
#include <optional>

class QPainter;

// Paints the part of a picture that is shown. A picture held as planes is converted to the
// painting format only there:
// - at its natural size, straight into the image the painter paints into when that is a plain
//   32-bit raster image (a window's backing store), else band by band through a small buffer
//   that stays in the processor's cache (nothing of the picture is kept);
// - to be scaled, into one 32-bit frame of the picture's size, reused from turn to turn: the
//   first paint of a picture converts the part it reads, later paints of the same picture only
//   what they add.
// Pictures held as 32-bit pixels are painted from them as they are. Used by one control on the
// window thread.
class PictureFrame {
public:
    // Paints `part` of the picture (in its own pixels) at the same place of `painter`.
    void drawNatural(QPainter& painter, const Picture::Pixels& pixels, const QRect& part);

    // Paints `source` of `image` (a picture's frame, see show()) smoothly scaled to `target` of
    // `painter`, exactly as QPainter::drawImage does; in bands on two cores when the painter
    // paints straight into a window's image.
    static void drawScaled(QPainter& painter, const QImage& image, const QRect& target,
                           const QRectF& source);

    // The image a painter paints into, the offset of its coordinates there and the part of
    // `area` (in the painter's coordinates) it may paint, when that can be written directly.
    struct Direct {
        QImage* target;
        QPoint offset;
        QRect rect;
    };
    static std::optional<Direct> directRect(QPainter& painter, const QRect& area);

    // Copies `view` (a view painted ahead, see ViewsAhead) to `target` of the painter straight
    // into its image, in bands on two cores; false when the painter does not allow it.
    static bool drawView(QPainter& painter, const QImage& view, const QRect& target);

    // For a picture of `natural` size scaled to a control of `control` size: the rectangle of
    // the picture scaled onto `target` of the control, and the picture's pixels that scaling
    // reads (the smooth scale reads one more on each side).
    static QRectF scaledSource(const QRect& target, QSize control, QSize natural);
    static QRect readPart(const QRect& target, QSize control, QSize natural);

    // An image of the picture's size whose pixels are the picture's at least within `part`; null
    // when there is nothing to paint.
    QImage show(const Picture::Pixels& pixels, const QRect& part);

    // Lets go of the frame and of the planes it was converted from.
    void clear();

private:
    // Converts `area` of the planes straight into the painter's image; false when the painter
    // does not allow it.
    static bool convertInto(QPainter& painter, const JpegPlanes& planes, const QRect& area);

    std::shared_ptr<const JpegPlanes> m_planes; // what m_frame was converted from
    QImage m_frame;
    QRegion m_converted; // where m_frame holds m_planes' pixels
    QImage m_band;       // natural-size painting: a few rows at a time
};
