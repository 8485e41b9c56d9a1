#pragma once

#include "pictures/JpegDecoder.h"
#include "pictures/Picture.h"

#include <QByteArray>
#include <QString>

// What decoding a picture file's bytes gave.
struct DecodedPicture {
    enum class Status { Decoded, Failed, Declined };
    Status status = Status::Failed;
    Picture::Pixels pixels; // when Decoded
    QString error;          // why not, when Failed
    QSize natural;          // the picture's own size, when Decoded
    int scale = 1;          // what the pixels are reduced by (JPEG pictures only; see ScaleFor)
};

// The one way from a picture file's bytes to what a picture holds: JPEG pictures as planes where
// they can be (JpegDecoder), everything else as 32-bit pixels in the painting format (Qt's image
// reader, within its allocation limit). A JPEG picture is bounded by what its format holds
// (65,500 pixels a side) and by `reserve`, which is asked for the pixel bytes once the header is
// read and before any pixel memory is taken (a refusal gives Declined); without `reserve`, by the
// image reader's allocation limit. `scaleFor`, asked with the picture's size, reduces a JPEG
// picture by libjpeg-turbo's DCT scaling (other pictures are decoded whole). Any thread.
DecodedPicture decodePicture(const QByteArray& bytes, const JpegDecoder::Reserve& reserve = {},
                             const JpegDecoder::ScaleFor& scaleFor = {});

// The image converted to the painting format: 32-bit, premultiplied where it has alpha.
QImage toPaintFormat(QImage image);
