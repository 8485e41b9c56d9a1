#pragma once

#include "StudioPlan.h"

#include <QImage>
#include <QRect>
#include <QRgb>

// Makes one photo of the shoot as the studio planned it, in one pass over the pixels it keeps:
// cut to the crop, moved by the shift (what the move exposes takes the backdrop's colour as
// shot), colours times the gain; then, when asked, the backdrop (its colour after the gain)
// cleaned by BackdropCleaner.
class FrameEditor {
public:
    // crop in full pixels; clean: whether to clean the backdrop, to `colour` within `tolerance`.
    FrameEditor(QRect crop, bool clean, QRgb colour, int tolerance)
        : m_crop(crop), m_clean(clean), m_colour(colour), m_tolerance(tolerance) {}

    // The crop of `picture` (RGB888; the upright photo at `scale` of its full size, every side
    // scaled alike, or the part of it whose top left lies at `origin`), edited; its size is the
    // crop's at that scale, rounded outwards. cut() and then clean().
    QImage apply(const QImage& picture, double scale, const FrameEdit& edit,
                 QPoint origin = QPoint()) const;
    // The crop, moved and evened, without cleaning.
    QImage cut(const QImage& picture, double scale, const FrameEdit& edit,
               QPoint origin = QPoint()) const;
    // Cleans the backdrop of a picture cut (at any scale) when asked.
    void clean(QImage& picture, const FrameEdit& edit) const;
    // The crop's size at `scale`.
    QSize sizeAt(double scale) const;

private:
    QRect m_crop;
    bool m_clean;
    QRgb m_colour;
    int m_tolerance;
};
