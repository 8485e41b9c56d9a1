#pragma once

#include <QByteArray>
#include <QImage>

// The orientation a camera writes into a photo's EXIF data (the Orientation tag of the first
// image directory): 1 as stored, 2 ... 8 the turns and mirrors to apply to stand it upright.
class ExifOrientation {
public:
    // From the data of an APP1 segment ("Exif\0\0" and a TIFF structure); 1 when it holds none.
    static int read(const QByteArray& app1);
    // The same APP1 data with its Orientation tag set to `orientation` (unchanged without one).
    static QByteArray withOrientation(QByteArray app1, int orientation);
    // `image` turned upright as `orientation` says.
    static QImage upright(const QImage& image, int orientation);
    // The upright size of a picture stored at `stored`.
    static QSize uprightSize(QSize stored, int orientation);
};
