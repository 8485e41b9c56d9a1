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
    // `picture` (RGB888): the photo `source`, upright, at some scale of `upright`; returns
    // area() at that scale (rounded outwards), edited.
    virtual QImage apply(const QString& source, const QImage& picture, QSize upright) const = 0;
};
