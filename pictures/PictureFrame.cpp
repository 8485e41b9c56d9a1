#include "PictureFrame.h"

#include "pictures/JpegPlanes.h"

QImage PictureFrame::show(const PicturePtr& picture, const QRect& part) {
    if (!picture)
        return QImage();
    const Picture::Pixels pixels = picture->pixels();
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
