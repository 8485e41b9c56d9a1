#pragma once

#include <QByteArray>
#include <QtGlobal>

// The kind and real pixel size of a GIF, JPEG, PNG or BMP picture, read from the first bytes of
// its file (CImageInfo::BufferSize of them are enough for any picture whose header fits there).
// Unlike CImageInfo, whose fields are 16 bits wide, the sizes are the full values the header
// states: a PNG's or BMP's 32-bit fields (a BMP stored top-down gives its row count), so that a
// header claiming more than any picture can be is seen as such before the picture is read whole.
//
// kind is None when the bytes start like none of the four kinds; width and height are 0 when the
// kind is known but its size is not in the bytes given (a JPEG whose frame header comes later).
struct PictureHeader {
    enum Kind { None, Gif, Jpeg, Png, Bmp };
    Kind kind = None;
    qint64 width = 0;
    qint64 height = 0;

    static PictureHeader read(const QByteArray& head);

    // The most bytes a file of this kind and size can hold: every pixel stored at 32 bits, four
    // times over, plus 16 MiB of metadata. 0 when the size is not known.
    qint64 mostFileBytes() const;
};
