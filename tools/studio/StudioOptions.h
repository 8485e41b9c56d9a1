#pragma once

#include <QRgb>
#include <QString>

// The turntable studio's options of `make`, each off unless asked: one crop to the object for the
// whole package, the object turned in place, even exposure through each ring, a clean backdrop,
// and a before/after sheet instead of the package.
struct StudioOptions {
    bool crop = false;
    double cropMargin = 5.0; // per cent of the object's box, on every side
    bool centre = false;
    bool evenExposure = false;
    bool backdrop = false;
    QRgb backdropColour = qRgb(255, 255, 255);
    int backdropTolerance = 40; // largest difference of a colour byte still counted as backdrop
    QString preview;            // OUT.png for the before/after sheet; empty for none

    // Whether the photos are changed at all (the preview alone changes nothing).
    bool any() const { return crop || centre || evenExposure || backdrop; }

    // Takes `arg` when it is one of the studio's options without a value.
    bool takeFlag(const QString& arg);
    // Takes `arg` with `value` when it is one of the studio's options with a value; sets
    // `error` when the value is not one it takes.
    bool takeValued(const QString& arg, const QString& value, QString& error);
};
