#include "ImageHeaderBytes.h"

namespace {

void appendBe16(QByteArray& bytes, quint16 value) {
    bytes.append(char(value >> 8)).append(char(value & 0xFF));
}

void appendBe32(QByteArray& bytes, quint32 value) {
    appendBe16(bytes, quint16(value >> 16));
    appendBe16(bytes, quint16(value & 0xFFFF));
}

void appendLe16(QByteArray& bytes, quint16 value) {
    bytes.append(char(value & 0xFF)).append(char(value >> 8));
}

void appendLe32(QByteArray& bytes, quint32 value) {
    appendLe16(bytes, quint16(value & 0xFFFF));
    appendLe16(bytes, quint16(value >> 16));
}

} // namespace

QByteArray pngHeader(quint32 width, quint32 height, quint8 bitDepth, quint8 colourType) {
    QByteArray bytes("\x89PNG\r\n\x1A\n", 8);
    appendBe32(bytes, 13);
    bytes.append("IHDR");
    appendBe32(bytes, width);
    appendBe32(bytes, height);
    bytes.append(char(bitDepth)).append(char(colourType)).append(3, '\0');
    appendBe32(bytes, 0); // CRC, not checked by the probe
    return bytes;
}

QByteArray gifHeader(quint16 width, quint16 height, quint8 packed) {
    QByteArray bytes("GIF89a");
    appendLe16(bytes, width);
    appendLe16(bytes, height);
    bytes.append(char(packed)).append(2, '\0');
    return bytes;
}

QByteArray gifFile(quint16 width, quint16 height, int colourBits) {
    QByteArray bytes =
        gifHeader(width, height, quint8(0x80 | ((colourBits - 1) << 4) | (colourBits - 1)));
    for (int i = 0; i < (1 << colourBits); ++i)
        bytes.append(3, char(i * 255 / ((1 << colourBits) - 1)));
    bytes.append(',');
    appendLe16(bytes, 0);
    appendLe16(bytes, 0);
    appendLe16(bytes, width);
    appendLe16(bytes, height);
    bytes.append('\0');

    // LZW data made of literal codes only; a clear code before the table would grow keeps the
    // code size at minimum + 1 bits.
    const int minimumCodeSize = colourBits < 2 ? 2 : colourBits;
    const int clear = 1 << minimumCodeSize;
    const int codeSize = minimumCodeSize + 1;
    QByteArray packed;
    quint32 bitBuffer = 0;
    int bitCount = 0;
    auto put = [&](int code) {
        bitBuffer |= quint32(code) << bitCount;
        bitCount += codeSize;
        while (bitCount >= 8) {
            packed.append(char(bitBuffer & 0xFF));
            bitBuffer >>= 8;
            bitCount -= 8;
        }
    };
    const int pixels = width * height;
    for (int i = 0; i < pixels; ++i) {
        if (i % (clear - 2) == 0)
            put(clear);
        put(0);
    }
    put(clear + 1);
    if (bitCount > 0)
        packed.append(char(bitBuffer & 0xFF));

    bytes.append(char(minimumCodeSize));
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        bytes.append(char(block.size())).append(block);
    }
    bytes.append('\0').append(';');
    return bytes;
}

QByteArray bmpHeader(qint32 width, qint32 height, quint16 bitsPerPixel) {
    QByteArray bytes("BM");
    appendLe32(bytes, 54);
    appendLe32(bytes, 0);
    appendLe32(bytes, 54);
    appendLe32(bytes, 40);
    appendLe32(bytes, quint32(width));
    appendLe32(bytes, quint32(height));
    appendLe16(bytes, 1);
    appendLe16(bytes, bitsPerPixel);
    bytes.append(24, '\0');
    return bytes;
}

QByteArray jpegSoi() {
    return QByteArray("\xFF\xD8", 2);
}

QByteArray jpegSegment(quint8 code, const QByteArray& payload) {
    QByteArray bytes;
    bytes.append(char(0xFF)).append(char(code));
    appendBe16(bytes, quint16(payload.size() + 2));
    return bytes + payload;
}

QByteArray jpegFrame(quint8 code, quint16 width, quint16 height, quint8 components) {
    QByteArray payload(1, char(8));
    appendBe16(payload, height);
    appendBe16(payload, width);
    payload.append(char(components));
    for (int i = 0; i < components; ++i)
        payload.append(char(i + 1)).append(char(0x11)).append('\0');
    return jpegSegment(code, payload);
}

QByteArray jpegBaseline(quint16 width, quint16 height, quint8 components) {
    const QByteArray jfif("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14);
    return jpegSoi() + jpegSegment(0xE0, jfif) + jpegFrame(0xC0, width, height, components);
}
