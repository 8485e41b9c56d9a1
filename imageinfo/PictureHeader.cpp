#include "imageinfo/PictureHeader.h"

namespace {

quint64 bigEndian(const QByteArray& b, int at, int bytes) {
    quint64 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | quint8(b[at + i]);
    return value;
}

quint64 littleEndian(const QByteArray& b, int at, int bytes) {
    quint64 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | quint8(b[at + i]);
    return value;
}

bool isStartOfFrame(quint8 code) {
    return (code >= 0xC0 && code <= 0xC3) || (code >= 0xC5 && code <= 0xC7) ||
           (code >= 0xC9 && code <= 0xCB) || (code >= 0xCD && code <= 0xCF);
}

// Walks the JPEG markers from after start-of-image to the first frame header.
void readJpegSize(const QByteArray& b, PictureHeader& header) {
    qsizetype q = 2;
    while (q + 9 <= b.size()) {
        if (quint8(b[q]) != 0xFF || quint8(b[q + 1]) == 0xFF) {
            ++q;
            continue;
        }
        const quint8 code = quint8(b[q + 1]);
        if (isStartOfFrame(code)) {
            header.height = qint64(bigEndian(b, int(q + 5), 2));
            header.width = qint64(bigEndian(b, int(q + 7), 2));
            return;
        }
        if (code == 0xD8 || code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
            q += 2; // markers without a length
            continue;
        }
        q += 2 + qsizetype(bigEndian(b, int(q + 2), 2));
    }
}

} // namespace

PictureHeader PictureHeader::read(const QByteArray& b) {
    PictureHeader header;
    if (b.startsWith("\x89PNG\r\n\x1A\n")) {
        header.kind = Png;
        if (b.size() >= 24 && b.mid(12, 4) == "IHDR") {
            header.width = qint64(bigEndian(b, 16, 4));
            header.height = qint64(bigEndian(b, 20, 4));
        }
    } else if (b.startsWith("GIF8")) {
        header.kind = Gif;
        if (b.size() >= 10) {
            header.width = qint64(littleEndian(b, 6, 2));
            header.height = qint64(littleEndian(b, 8, 2));
        }
    } else if (b.startsWith("BM")) {
        header.kind = Bmp;
        if (b.size() >= 26 && littleEndian(b, 14, 4) >= 40) {
            header.width = qint32(littleEndian(b, 18, 4));
            header.height = qAbs(qint64(qint32(littleEndian(b, 22, 4))));
        } else if (b.size() >= 22) { // the old 12-byte header of 16-bit fields
            header.width = qint64(littleEndian(b, 18, 2));
            header.height = qint64(littleEndian(b, 20, 2));
        }
    } else if (b.size() >= 3 && b.startsWith("\xFF\xD8\xFF")) {
        header.kind = Jpeg;
        readJpegSize(b, header);
    }
    if (header.width <= 0 || header.height <= 0)
        header.width = header.height = 0;
    return header;
}

qint64 PictureHeader::mostFileBytes() const {
    if (width == 0 || height == 0)
        return 0;
    return width * height * 4 * 4 + (qint64(16) << 20);
}
