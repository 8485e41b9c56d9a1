#pragma once

#include <QImage>
#include <QRgb>

// Turns a photo's backdrop into a clean colour. Colour distance alone would also take the parts
// of the object that come near the backdrop's colour, so the backdrop is what can be reached,
// pixel to neighbouring pixel, through pixels within the tolerance, from areas of its very colour
// (within a third of the tolerance) that touch the picture's edge or are large, not flecks of
// the object's own colours: those become the clean colour. The object's soft edge,
// pixels up to one and a half times the tolerance away, takes the clean colour in proportion
// where it borders that backdrop, two pixels deep, so the object blends into the new backdrop
// without a rim of the old one, and keeps its own pixels. The hole of a handle is backdrop too:
// a large area of the backdrop's very colour.
class BackdropCleaner {
public:
    BackdropCleaner(QRgb colour, int tolerance) : m_colour(colour), m_tolerance(tolerance) {}

    // Cleans `picture` (RGB888) whose backdrop is `backdrop`, in place.
    void clean(QImage& picture, QRgb backdrop) const;

private:
    QRgb m_colour;
    int m_tolerance;
};
