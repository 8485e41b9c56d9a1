#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Decodes a JPEG picture for a thumbnail with libjpeg-turbo, at the smallest DCT scale (1/8,
// 1/4, 1/2 or whole) whose result still covers the thumbnail's size, so a large picture costs a
// fraction of its full decode.
//
// The work a picture declares is weighed from its header before any pixel is decoded: its pixel
// count, and for a progressive picture its pixels times its scans (every scan passes over all its
// coefficients, which the decoder holds whole). What passes the limits is decoded with the
// decoder's own memory bound (the process-wide bound of Qt's readers is left alone). Damaged data
// and data that ends before the picture does ("Premature end of JPEG file") are refused, as the
// viewer refuses them. Colour spaces the decoder cannot turn into 32-bit pixels itself (CMYK,
// YCCK) come back as NeedsReader, checked against the same limits, for Qt's reader to decode.
class ThumbnailJpeg {
public:
    struct Limits {
        qint64 pixels;   // most pixels of a picture
        qint64 work;     // most pixels times scans of a progressive picture
        int scans;       // most scans of any picture
        qint64 memoryMb; // most memory the decoder may take for one picture
    };
    enum class Status { Decoded, Refused, NeedsReader };
    struct Result {
        Status status = Status::Refused;
        QImage image;    // at least `target` in both sides, or the picture's own size if smaller
        QString problem; // why it was refused, as "... is ..." completing "The picture X "
    };

    // The scale denominator (8, 4, 2 or 1) at which a picture of `natural` size still covers
    // `target`.
    static int scaleFor(QSize natural, QSize target);

    static Result decode(const QByteArray& bytes, QSize target, const Limits& limits);
};
