#pragma once

#include "pictures/PlaneConversion.h"

#include <QImage>
#include <QRect>
#include <QSize>

// A JPEG picture held as the decoder's Y, Cb and Cr planes at their own subsampling, before any
// upsampling or colour conversion: 1.5 bytes a pixel for 4:2:0, 2 for 4:2:2, 3 for 4:4:4 and 1 for
// greyscale. convert() turns any part of it into the painting format exactly as the library's
// default decode to 32-bit pixels would (see PlaneConversion.h).
//
// The planes live in one block of the pixel pool: the luma plane's rows first, then the chroma
// rows, Cb and Cr side by side in one block row when they are subsampled across, one under the
// other otherwise. Rows are padded to whole blocks of the JPEG file. Immutable once made, so it may
// be shared and read by any thread.
class JpegPlanes {
public:
    // The layout of a picture of `size` with `chroma`; the block is allocated by the decoder.
    JpegPlanes(QSize size, planes::Chroma chroma, int lumaStride, int chromaStride,
               QSize chromaSize);

    // How many bytes the planes of such a picture take (what allocate() will take).
    static qint64 bytesFor(QSize size, planes::Chroma chroma, int lumaStride, int chromaStride,
                           QSize chromaSize);

    // Takes the block from the pixel pool; false when out of memory.
    bool allocate();

    QSize size() const { return m_size; }
    planes::Chroma chroma() const { return m_source.chroma; }
    // The planes as the conversion reads them (valid once allocated).
    const planes::Source& source() const { return m_source; }
    qint64 heldBytes() const { return m_block.sizeInBytes(); }

    // Where the decoder writes row `row` of component `component` (0 Y, 1 Cb, 2 Cr); null for a
    // row past the component's height.
    uchar* row(int component, int row);

    // Writes the pixels of `part` (clipped to the picture) into the same pixels of `frame`, a
    // 32-bit image at least as large as the picture.
    void convert(const QRect& part, QImage& frame) const;

    // Writes the pixels of `part`, which must lie inside the picture, to 32-bit rows starting at
    // `to` (its top-left pixel), `stride` bytes apart.
    void convertTo(const QRect& part, uchar* to, qsizetype stride) const;

    // The whole picture as a new 32-bit image (Format_RGB32).
    QImage toImage() const;

private:
    QSize m_size;
    int m_chromaRows = 0; // block rows the chroma takes
    bool m_sideBySide = false;
    QImage m_block;
    planes::Source m_source;
};
