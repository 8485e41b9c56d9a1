#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

// A change `make` makes to upright photos before they are scaled to the package's size (the
// turntable studio's crop, centring, exposure and backdrop). Thread-safe.
class PhotoEdit {
public:
    virtual ~PhotoEdit() = default;
    // The part of an upright photo of `upright` full pixels that the package keeps.
    virtual QRect area(QSize upright) const = 0;
    // The part of the upright photo `source` that apply() reads, in full pixels.
    virtual QRect sourceArea(const QString& source, QSize upright) const = 0;
    // `picture` (RGB888): part of the photo `source`, upright, at `scale` of `upright`, its top
    // left at `origin` of the whole at that scale; returns area() at that scale (rounded
    // outwards), edited.
    virtual QImage apply(const QString& source, const QImage& picture, QPoint origin, double scale,
                         QSize upright) const = 0;
    // What is left to do once the picture has its packed size.
    virtual void finish(const QString& source, QImage& packed) const = 0;
};
