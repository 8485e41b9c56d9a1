#include "JpegPlanes.h"

#include "pictures/PixelPool.h"

JpegPlanes::JpegPlanes(QSize size, planes::Chroma chroma, int lumaStride, int chromaStride,
                       QSize chromaSize)
    : m_size(size) {
    m_source.chroma = chroma;
    m_source.y = {nullptr, lumaStride, size.width(), size.height()};
    if (chroma != planes::Chroma::None) {
        m_sideBySide = 2 * chromaStride <= lumaStride;
        m_chromaRows = chromaSize.height() * (m_sideBySide ? 1 : 2);
        const std::ptrdiff_t stride = m_sideBySide ? lumaStride : chromaStride;
        m_source.cb = {nullptr, stride, chromaSize.width(), chromaSize.height()};
        m_source.cr = m_source.cb;
    }
}

qint64 JpegPlanes::bytesFor(QSize size, planes::Chroma chroma, int lumaStride, int chromaStride,
                            QSize chromaSize) {
    const JpegPlanes layout(size, chroma, lumaStride, chromaStride, chromaSize);
    return qint64(lumaStride) * (size.height() + layout.m_chromaRows);
}

bool JpegPlanes::allocate() {
    const int stride = int(m_source.y.stride);
    m_block = PixelPool::instance().allocate(stride, m_size.height() + m_chromaRows,
                                             QImage::Format_Grayscale8);
    if (m_block.isNull())
        return false;
    const uchar* base = m_block.constBits();
    m_source.y.data = base;
    if (m_source.chroma != planes::Chroma::None) {
        const std::ptrdiff_t chromaStart = std::ptrdiff_t(stride) * m_size.height();
        m_source.cb.data = base + chromaStart;
        m_source.cr.data = m_sideBySide
                               ? base + chromaStart + stride / 2
                               : base + chromaStart + m_source.cb.stride * m_source.cb.height;
    }
    return true;
}

uchar* JpegPlanes::row(int component, int row) {
    const planes::Plane& plane =
        component == 0 ? m_source.y : (component == 1 ? m_source.cb : m_source.cr);
    if (row < 0 || row >= plane.height || !plane.data)
        return nullptr;
    // The block is this object's own: its bits are written only while the decoder fills it.
    return const_cast<uchar*>(plane.data) + std::ptrdiff_t(row) * plane.stride;
}

void JpegPlanes::convert(const QRect& part, QImage& frame) const {
    const QRect area = part & QRect(QPoint(0, 0), m_size);
    if (area.isEmpty())
        return;
    convertTo(area, frame.scanLine(area.top()) + 4 * qsizetype(area.left()), frame.bytesPerLine());
}

void JpegPlanes::convertTo(const QRect& part, uchar* to, qsizetype stride) const {
    if (m_block.isNull())
        return;
    for (int y = part.top(); y <= part.bottom(); ++y, to += stride)
        planes::convertRow(m_source, y, part.left(), part.right() + 1,
                           reinterpret_cast<std::uint32_t*>(to));
}

QImage JpegPlanes::toImage() const {
    QImage image(m_size, QImage::Format_RGB32);
    if (!image.isNull())
        convert(image.rect(), image);
    return image;
}
