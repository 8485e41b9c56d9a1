#include "PictureFrame.h"

#include "pictures/JpegPlanes.h"

#include <QPainter>

namespace {

// Rows converted and painted at a time: with a picture as wide as a screen, a band of 16 rows
// (about 120 kB) is still in the cache when the painter copies it.
constexpr int kBandRows = 16;

} // namespace

void PictureFrame::drawNatural(QPainter& painter, const Picture::Pixels& pixels,
                               const QRect& part) {
    if (!pixels.planes) {
        if (!pixels.image.isNull())
            painter.drawImage(part.topLeft(), pixels.image, part);
        return;
    }
    const QRect area = part & QRect(QPoint(0, 0), pixels.planes->size());
    if (area.isEmpty())
        return;
    if (m_band.width() < area.width())
        m_band = QImage(area.width(), kBandRows, QImage::Format_RGB32);
    if (m_band.isNull()) // out of memory
        return;
    for (int top = area.top(); top <= area.bottom(); top += kBandRows) {
        const QRect rows(area.left(), top, area.width(),
                         std::min(kBandRows, area.bottom() + 1 - top));
        pixels.planes->convertTo(rows, m_band.bits(), m_band.bytesPerLine());
        painter.drawImage(rows.topLeft(), m_band, QRect(QPoint(0, 0), rows.size()));
    }
}

QImage PictureFrame::show(const Picture::Pixels& pixels, const QRect& part) {
    if (!pixels.planes) {
        clear();
        return pixels.image;
    }
    if (pixels.planes != m_planes) {
        m_planes = pixels.planes;
        m_converted = QRegion();
        if (m_frame.size() != m_planes->size())
            m_frame = QImage(m_planes->size(), QImage::Format_RGB32);
    }
    if (m_frame.isNull()) { // out of memory
        clear();
        return QImage();
    }
    const QRegion missing = QRegion(part & m_frame.rect()) - m_converted;
    for (const QRect& rect : missing)
        m_planes->convert(rect, m_frame);
    m_converted += missing;
    return m_frame;
}

void PictureFrame::clear() {
    m_planes.reset();
    m_frame = QImage();
    m_converted = QRegion();
}
