#pragma once

#include "pictures/JpegDecoder.h"

#include <QByteArray>
#include <QImage>
#include <QList>

// Encodes photos with libjpeg-turbo as cameras and the web expect them: baseline JPEG, colour
// subsampled 4:2:0, optimised Huffman tables, a JFIF header, then the marker segments given
// (EXIF, the ICC profile, comments) in their order. Thread-safe.
class JpegEncoder {
public:
    static constexpr int kDefaultQuality = 90;

    // `image` (any format; converted to RGB888) at `quality` 1 ... 100; empty on failure.
    static QByteArray encode(const QImage& image, int quality,
                             const QList<JpegDecoder::Marker>& markers = {});
};
