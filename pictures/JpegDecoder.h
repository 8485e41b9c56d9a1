#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class JpegPlanes;

// Decodes JPEG file bytes straight into the painting format (QImage::Format_RGB32, opaque),
// without the intermediate 24-bit image and row conversion of the generic image reader.
//
// Colour (YCbCr, RGB) and grey JPEGs, baseline or progressive, are decoded here at full quality
// (the library's default DCT and upsampling). Anything this path does not handle (CMYK and YCCK
// pictures) is reported as Unsupported so the caller can hand the bytes to QImageReader. Damaged or
// truncated data give Failed with a message, and so do pictures whose pixels would pass
// QImageReader's allocation limit when the caller bounds the memory by no Reserve of its own; bad
// input never ends the process and nothing is written to the terminal.
//
// Asked for planes, YCbCr pictures subsampled 4:2:0, 4:2:2 or not at all, and grey ones, are held
// as the decoder's planes (JpegPlanes) instead, converted when shown; other JPEGs still give
// pixels.
//
// Safe to call from several threads at once. The pixel memory of a decoded image belongs to the
// returned QImage (released when its last copy goes).
class JpegDecoder {
public:
    enum class Status { Decoded, Unsupported, Failed, Declined };

    struct Result {
        Status status = Status::Failed;
        QImage image;  // Format_RGB32 when Decoded as pixels, null otherwise
        QString error; // what went wrong when Failed
        std::shared_ptr<const JpegPlanes> planes; // when Decoded as planes
        QSize natural;                            // the picture's own size, once its header is read
        int scale = 1; // what the decode reduced the picture by (1, 2, 4 or 8)
    };

    // True when the bytes start like a JPEG file (FF D8 FF), whatever the file's name.
    static bool looksLikeJpeg(const QByteArray& bytes);

    // Asked with the picture's pixel byte count once its header is read, before any pixel memory
    // is taken; a false answer ends the decode with Declined.
    using Reserve = std::function<bool(qint64 bytes)>;

    enum class Output { Pixels, Planes };

    // Asked with the picture's own size once its header is read: the reduction to decode it at,
    // 1, 2, 4 or 8 (libjpeg-turbo's DCT scaling; anything else counts as 1).
    using ScaleFor = std::function<int(QSize natural)>;

    static Result decode(const QByteArray& bytes, const Reserve& reserve = {},
                         Output output = Output::Pixels, const ScaleFor& scaleFor = {});

    // Decodes only `part` of the picture (clipped to it) into 32-bit pixels, the same pixels the
    // decode of the whole picture has there: the library skips the rows above the part and does
    // the IDCT and colour conversion only for the columns around it.
    static Result decodeRegion(const QByteArray& bytes, const QRect& part);

    // Decodes scaled by M/8 into 24-bit RGB, for the package tool's photos (JpegDecoderScaled.cpp).
    // Of the factors M/8 (M = 1 ... 8) the smallest whose result still covers `atLeast` on both
    // sides is taken, so a 6000 x 4000 photo asked for at least 2560 x 1 decodes at 4/8 (3000 x
    // 2000) in about a quarter of the whole decode's time and memory. Greyscale comes as RGB too.
    // A picture the library cannot read is a problem, as a truncated file is; the library's other
    // warnings are not (as above).

    // A marker segment kept from the file: its code (0xE0 + n for APPn, 0xFE for COM) and data.
    struct Marker {
        int code = 0;
        QByteArray data;
    };
    struct Scaled {
        QImage image;          // RGB888; null when problem is set
        QSize fullSize;        // the picture's size in the file, whatever the scale
        int eighths = 8;       // the DCT factor taken, eighths / 8
        QList<Marker> markers; // APP1 ... APP15 and COM, in file order, when asked for
        QPoint origin;         // where the image's top left lies in the whole picture at that scale
        bool progressive = false;    // as the header declares
        qint64 coefficientBytes = 0; // the coefficients of every component, 2 bytes each
        QString problem;             // why the picture could not be decoded; empty otherwise
    };

    // The smallest factor M/8, as its M eighths, that keeps a picture of `full` at least
    // `atLeast` on both sides (8 when none smaller does, or `atLeast` is invalid or empty).
    static int eighthsFor(QSize full, QSize atLeast);

    // keepMarkers: also return the APPn and COM segments (not APP0, which every encoder writes
    // anew).
    static Scaled decodeScaled(const QByteArray& jpeg, QSize atLeast, bool keepMarkers = false);
    // Only the part of the picture that covers `region` (whole-picture pixels) at the scale
    // decodeScaled() would take, widened to the library's block boundaries: the rows above are
    // skipped and those below never decoded, the columns cut in the decoder. origin says where.
    static Scaled decodeScaledRegion(const QByteArray& jpeg, QSize atLeast, QRect region);
    // Only the header: the full size, whether progressive, the coefficient memory (a progressive
    // decode holds it whole) and the marker segments when asked; no pixels (image stays null).
    static Scaled header(const QByteArray& jpeg, bool keepMarkers = true);
    // decodeScaled() of a file; the problem says when it cannot be read.
    static Scaled decodeScaledFile(const QString& path, QSize atLeast, bool keepMarkers = false);
};
