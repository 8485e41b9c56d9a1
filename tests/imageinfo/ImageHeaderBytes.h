#pragma once

#include <QByteArray>

// Byte layouts of picture file headers, built field by field for the probe tests. Only the
// fields the probe reads are meaningful unless a function says it builds a whole file.

// PNG signature and IHDR chunk (33 bytes): width and height as 32-bit big-endian values.
QByteArray pngHeader(quint32 width, quint32 height, quint8 bitDepth, quint8 colourType);

// GIF89a header and logical screen descriptor (13 bytes); packed is the flags byte.
QByteArray gifHeader(quint16 width, quint16 height, quint8 packed);

// A whole GIF that decoders read: one frame of width x height pixels of palette index 0, with a
// global palette of 2^colourBits entries.
QByteArray gifFile(quint16 width, quint16 height, int colourBits);

// BMP file header and BITMAPINFOHEADER (54 bytes).
QByteArray bmpHeader(qint32 width, qint32 height, quint16 bitsPerPixel);

// JPEG pieces: the start-of-image marker, a marker segment (FF, code, length, payload) and a
// frame header segment (precision 8, height, width, components).
QByteArray jpegSoi();
QByteArray jpegSegment(quint8 code, const QByteArray& payload);
QByteArray jpegFrame(quint8 code, quint16 width, quint16 height, quint8 components);
// A start-of-image, a JFIF segment and a baseline frame header.
QByteArray jpegBaseline(quint16 width, quint16 height, quint8 components);
