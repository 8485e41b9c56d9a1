#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class PhotoEdit;

// What `make` is asked to do to each photo on its way into the package. All off: every photo
// keeps its bytes.
struct PhotoOptions {
    int fit = 0;                    // longest side in pixels; 0 keeps the size
    int quality = 0;                // JPEG quality 1 ... 100; 0 keeps the photo's own compression
    bool autoRotate = false;        // stand photos upright as their EXIF orientation says
    bool strip = false;             // drop metadata other than the colour (ICC) profile
    bool ignoreOrientation = false; // EXIF orientations taken as 1 (the pixels stand upright)

    bool any() const { return fit > 0 || quality > 0 || autoRotate || strip; }
};

// Turns one JPEG photo into the picture a package holds: decoded at the DCT scale nearest above
// the size wanted (pictures/JpegDecoder), stood upright, brought to the fitted size with the area
// filter (PhotoResizer) and encoded 4:2:0 with optimised Huffman tables (JpegEncoder), EXIF
// orientation written as 1 (also when orientations are ignored), metadata other than the ICC
// profile dropped when stripping.
// With an edit, the photo is decoded at the scale its kept area needs, stood upright, edited and
// cut, then scaled. Thread-safe; the photo's memory is one decoded picture at the scale chosen
// and its result.
class PhotoProcessor {
public:
    explicit PhotoProcessor(const PhotoOptions& options, const PhotoEdit* edit = nullptr)
        : m_options(options), m_edit(edit) {}

    // The orientation a photo tagged `tagged` is packed by: 1 when orientations are ignored.
    int orientationOf(int tagged) const { return m_options.ignoreOrientation ? 1 : tagged; }
    // The size a photo stored at `stored` with EXIF `orientation` (as orientationOf() gives it)
    // has in the package.
    QSize outputSize(QSize stored, int orientation) const;
    // Whether that photo must be encoded anew (false: its bytes go in unchanged).
    bool changes(QSize stored, int orientation) const;

    // Writes the processed photo to `target`; empty on success, else what went wrong.
    QString process(const QString& source, const QString& target) const;

private:
    QImage edited(const QString& source, const QByteArray& bytes, QSize full, int turn,
                  QString& problem) const;

    PhotoOptions m_options;
    const PhotoEdit* m_edit;
};
