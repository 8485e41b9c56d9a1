#pragma once

#include <QSize>
#include <QString>

// What the package tool needs to know of a photo before packing it: its kind as the viewer's
// header probe reads it, its size and whether the picture decoder takes it, and the orientation
// a camera wrote into its EXIF data (the viewer shows pictures as stored, never rotated).
struct SourcePicture {
    QString path;
    int kind = 0; // CImageInfo::Kind; 0 when the probe does not recognise the file
    QSize size;   // from the decoder's reading of the header; invalid when it cannot read it
    int exifOrientation = 1; // 1 = as stored; 2 ... 8 the EXIF turns and mirrors
    QString problem;         // why the viewer would not take the file; empty when it would

    static SourcePicture inspect(const QString& path);

    // ".jpg", ".png", ".gif", ".bmp" for the kinds the viewer accepts; empty otherwise.
    static QString extensionFor(int kind);
    // "JPEG", "PNG", "GIF", "BMP", or "not a picture".
    static QString kindName(int kind);
    // "rotated 90° clockwise" and the like, for an EXIF orientation other than 1.
    static QString orientationText(int orientation);
};
