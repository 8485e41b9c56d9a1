#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QRgb>

// What one photo of a turntable shoot shows: the backdrop's colour and brightness, estimated
// from the photo's border (the median of each colour over a band along its four edges; the
// brightness to a fraction of a level, the mean of the band's pixels near its median), the
// sensor noise there (the median absolute deviation of the brightness), and the object: every
// pixel whose colour differs from the backdrop's by more than a threshold above that noise. Its
// box leaves out rows and columns with only a stray pixel or two; its centre is the centre of
// its mass (the mean position of its pixels). Positions are in the photo's full pixels, however
// small the picture measured.
struct FrameMeasure {
    QRgb backdrop = 0;
    double brightness = 0; // of the backdrop, 0 ... 255
    double noise = 0;      // standard deviation of the backdrop's brightness, at the scale measured
    int threshold = 0;     // the colour difference counted as object
    QRectF box;            // empty when no object stands out
    QPointF centre;
    qint64 objectPixels = 0;

    bool hasObject() const { return !box.isEmpty(); }

    // `picture` (RGB888) is the photo at `scale` of its full size (0.25: a quarter of each side).
    static FrameMeasure of(const QImage& picture, double scale);
    // The border band's width for a picture of `size`.
    static int borderWidth(QSize size);
};
