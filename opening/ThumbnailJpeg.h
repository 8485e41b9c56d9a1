#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Decodes a JPEG picture for a thumbnail at the smallest DCT scale (1/8, 1/4, 1/2 or whole) whose
// result still covers the thumbnail's size, so a camera photo costs a fraction of its full decode:
// the rule that picks a photo's screen level (levelScale), with the thumbnail as the size shown.
// The header's reading and the decode are JpegDecoder's, with its error texts; this class decides
// from the header whether the picture may be decoded at all.
//
// A picture is weighed by the work it declares, not by its size alone: the pixels the decoder
// writes at the scale used, the coefficients it reads (every pixel once, a progressive picture's
// once per scan, counted from its start-of-scan markers) and the coefficient memory a progressive
// picture holds whole. Damaged data and data that ends before the picture does ("Premature end of
// JPEG file") are refused, as the viewer refuses them. Colour spaces the decoder cannot turn into
// 32-bit pixels itself (CMYK, YCCK) come back as NeedsReader, weighed by the same limits, for
// Qt's reader to decode.
class ThumbnailJpeg {
public:
    struct Limits {
        qint64 scaledPixels;     // most pixels decoded at the scale used
        qint64 work;             // most pixels times passes (scans of a progressive picture)
        int scans;               // most scans of any picture
        qint64 coefficientBytes; // most coefficient memory a progressive picture holds
    };
    // What a picture's header declares.
    struct Header {
        QSize natural;
        bool progressive = false;
        int scans = 1;
        qint64 coefficientBytes = 0; // the coefficients of every component, 2 bytes each
    };
    enum class Status { Decoded, Refused, NeedsReader };
    struct Result {
        Status status = Status::Refused;
        QImage image;    // at least `target` in both sides, or the picture's own size if smaller
        QString problem; // why it was refused, as "... is ..." completing "The picture X "
    };

    // Why a picture of this header may not be decoded for `target` (completing "The picture X "),
    // or an empty text when it may.
    static QString refusal(const Header& header, QSize target, const Limits& limits);

    static Result decode(const QByteArray& bytes, QSize target, const Limits& limits);
};
