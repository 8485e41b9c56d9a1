#include "ExifOrientation.h"

#include <QTransform>

namespace {

constexpr int kOrientationTag = 0x0112;

// The offset (in app1) of the Orientation entry's value, or -1.
qsizetype orientationValueAt(const QByteArray& app1, bool& bigEndian) {
    if (!app1.startsWith(QByteArray("Exif\0\0", 6)) || app1.size() < 14)
        return -1;
    const qsizetype tiff = 6;
    bigEndian = app1.at(tiff) == 'M';
    auto read16 = [&](qsizetype at) -> int {
        if (at < 0 || at + 2 > app1.size())
            return -1;
        const int a = quint8(app1.at(at)), b = quint8(app1.at(at + 1));
        return bigEndian ? (a << 8) | b : (b << 8) | a;
    };
    auto read32 = [&](qsizetype at) -> qint64 {
        const int high = read16(bigEndian ? at : at + 2), low = read16(bigEndian ? at + 2 : at);
        return high < 0 || low < 0 ? -1 : (qint64(high) << 16) | low;
    };
    const qint64 ifd = read32(tiff + 4);
    if (ifd < 8)
        return -1;
    const int entries = read16(tiff + ifd);
    for (int i = 0; i < entries; ++i) {
        const qsizetype entry = tiff + ifd + 2 + 12 * i;
        if (entry + 12 > app1.size())
            return -1;
        if (read16(entry) == kOrientationTag)
            return entry + 8;
    }
    return -1;
}

} // namespace

int ExifOrientation::read(const QByteArray& app1) {
    bool bigEndian = false;
    const qsizetype at = orientationValueAt(app1, bigEndian);
    if (at < 0 || at + 2 > app1.size())
        return 1;
    const int value = bigEndian ? quint8(app1.at(at + 1)) | (quint8(app1.at(at)) << 8)
                                : quint8(app1.at(at)) | (quint8(app1.at(at + 1)) << 8);
    return value >= 1 && value <= 8 ? value : 1;
}

QByteArray ExifOrientation::withOrientation(QByteArray app1, int orientation) {
    bool bigEndian = false;
    const qsizetype at = orientationValueAt(app1, bigEndian);
    if (at < 0 || at + 2 > app1.size())
        return app1;
    app1[at] = char(bigEndian ? 0 : orientation);
    app1[at + 1] = char(bigEndian ? orientation : 0);
    return app1;
}

QSize ExifOrientation::uprightSize(QSize stored, int orientation) {
    return orientation >= 5 ? stored.transposed() : stored;
}

QImage ExifOrientation::upright(const QImage& image, int orientation) {
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.transformed(QTransform().rotate(180));
    case 4:
        return image.mirrored(false, true);
    case 5: // mirrored along the main diagonal
        return image.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6:
        return image.transformed(QTransform().rotate(90));
    case 7:
        return image.transformed(QTransform().rotate(270)).mirrored(true, false);
    case 8:
        return image.transformed(QTransform().rotate(270));
    default:
        return image;
    }
}
