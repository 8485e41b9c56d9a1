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
};

// The one way from a picture file's bytes to what a picture holds: JPEG pictures as planes where
// they can be (JpegDecoder), everything else as 32-bit pixels in the painting format (Qt's image
// reader, within its allocation limit). A JPEG picture is bounded by what its format holds
// (65,500 pixels a side) and by `reserve`, which is asked for the pixel bytes once the header is
// read and before any pixel memory is taken (a refusal gives Declined); without `reserve`, by the
// image reader's allocation limit. Any thread.
DecodedPicture decodePicture(const QByteArray& bytes, const JpegDecoder::Reserve& reserve = {});

// The image converted to the painting format: 32-bit, premultiplied where it has alpha.
QImage toPaintFormat(QImage image);
