#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// Decodes a JPEG with libjpeg-turbo, scaled down in the DCT itself when a smaller picture will
// do: of the factors M/8 (M = 1 ... 8) it takes the smallest whose result still covers `atLeast`
// on both sides, so a 6000 x 4000 photo asked for at least 2560 x 1 decodes at 4/8 (3000 x 2000)
// in about a quarter of the full decode's time and memory. The pixels come as RGB888 (three bytes
// a pixel, the JPEG's colours converted to RGB; greyscale too).
//
// A picture the decoder cannot read is a problem, as a truncated file is (the viewer refuses
// those too); other warnings of libjpeg are not. Thread-safe: every call has its own decoder.
class ScaledJpegDecoder {
public:
    // A marker segment kept from the file: its code (0xE0 + n for APPn, 0xFE for COM) and data.
    struct Marker {
        int code = 0;
        QByteArray data;
    };
    struct Result {
        QImage image;          // RGB888; null when problem is set
        QSize fullSize;        // the picture's size in the file, whatever the scale
        int numerator = 8;     // the DCT factor taken, numerator / 8
        QList<Marker> markers; // APP1 ... APP15 and COM, in file order, when asked for
        QPoint origin;         // where the image's top left lies in the whole picture at that scale
        QString problem;       // why the picture could not be decoded; empty otherwise
    };

    // atLeast: invalid or empty for the full size. keepMarkers: also return the APPn and COM
    // segments (not APP0, which every encoder writes anew).
    static Result decode(const QByteArray& jpeg, QSize atLeast, bool keepMarkers = false);
    // Only the part of the picture that covers `region` (full pixels) at the scale decode() would
    // take, widened to libjpeg's block boundaries: the rows above are skipped and those below
    // never decoded, the columns cut in the decoder. origin says where the part lies.
    static Result decodeRegion(const QByteArray& jpeg, QSize atLeast, QRect region);
    // Only the header: the full size and the marker segments, no pixels (image stays null).
    static Result header(const QByteArray& jpeg);
    // The same as decode() for a file; the problem says when it cannot be read.
    static Result decodeFile(const QString& path, QSize atLeast, bool keepMarkers = false);

    // The numerator M of the smallest factor M/8 that keeps a picture of `full` at least
    // `atLeast` on both sides (8 when none smaller does).
    static int numeratorFor(QSize full, QSize atLeast);

private:
    static Result read(const QByteArray& jpeg, QSize atLeast, bool keepMarkers, bool headerOnly,
                       QRect region = QRect());
};
