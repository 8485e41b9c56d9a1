#include "PictureFrame.h"

#include "pictures/BandSplitter.h"
#include "pictures/JpegPlanes.h"

#include <QPaintEngine>
#include <QPainter>
#include <cmath>
#include <cstring>

namespace {

// Rows converted and painted at a time: with a picture as wide as a screen, a band of 16 rows
// (about 120 kB) is still in the cache when the painter copies it.
constexpr int kBandRows = 16;

// Rows a thread converts or scales at a time straight into a window's image.
constexpr int kDirectBandRows = 32;
constexpr int kScaledBandRows = 64;

// The 32-bit image `painter` paints into and the whole-pixel offset of its coordinates there, when
// pixels converted straight into that image end up exactly as a plain copy would paint them: a
// raster image of a format that takes 0xffRRGGBB as it is, a mere translation, full opacity and
// no clipping of the painter's own. Null otherwise.
QImage* directTarget(QPainter& painter, QPoint& offset) {
    QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || painter.hasClipping() ||
        painter.opacity() < 1.0 ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        return nullptr;
    QPaintDevice* device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return nullptr;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxTranslate ||
        transform.dx() != std::round(transform.dx()) ||
        transform.dy() != std::round(transform.dy()))
        return nullptr;
    offset = QPoint(int(transform.dx()), int(transform.dy()));
    return image;
}

} // namespace

std::optional<PictureFrame::Direct> PictureFrame::directRect(QPainter& painter, const QRect& area) {
    QPoint offset;
    QImage* target = directTarget(painter, offset);
    if (!target)
        return std::nullopt;
    // Only where the painter may paint: the exposed part of the control within the image. The
    // controls of this program are never overlapped, so that is one rectangle.
    QRegion region = QRegion(area.translated(offset)) & target->rect();
    const QRegion clip = painter.paintEngine()->systemClip();
    if (!clip.isEmpty())
        region &= clip;
    if (region.rectCount() != 1)
        return std::nullopt;
    return Direct{target, offset, region.boundingRect().translated(-offset)};
}

bool PictureFrame::convertInto(QPainter& painter, const JpegPlanes& planes, const QRect& area) {
    const std::optional<Direct> direct = directRect(painter, area);
    if (!direct)
        return false;
    const QRect rect = direct->rect;
    // The image is only read here (no detach) and written row by row below.
    auto* origin = const_cast<uchar*>(direct->target->constBits());
    const qsizetype stride = direct->target->bytesPerLine();
    const int bands = (rect.height() + kDirectBandRows - 1) / kDirectBandRows;
    BandSplitter::instance().run(bands, [&](int band) {
        const int top = rect.top() + band * kDirectBandRows;
        const QRect rows(rect.left(), top, rect.width(),
                         std::min(kDirectBandRows, rect.bottom() + 1 - top));
        const QPoint at = rows.topLeft() + direct->offset;
        planes.convertTo(rows, origin + at.y() * stride + 4 * qsizetype(at.x()), stride);
    });
    return true;
}

QRectF PictureFrame::scaledSource(const QRect& target, QSize control, QSize natural) {
    const double sx = double(natural.width()) / control.width();
    const double sy = double(natural.height()) / control.height();
    return QRectF(target.x() * sx, target.y() * sy, target.width() * sx, target.height() * sy);
}

QRect PictureFrame::readPart(const QRect& target, QSize control, QSize natural) {
    return scaledSource(target, control, natural).toAlignedRect().adjusted(-1, -1, 1, 1) &
           QRect(QPoint(0, 0), natural);
}

bool PictureFrame::drawView(QPainter& painter, const QImage& view, const QRect& target) {
    const std::optional<Direct> direct = directRect(painter, target);
    if (!direct || direct->rect != target || view.size() != target.size() ||
        view.format() != direct->target->format())
        return false;
    auto* origin = const_cast<uchar*>(direct->target->constBits());
    const qsizetype stride = direct->target->bytesPerLine();
    const QPoint at = target.topLeft() + direct->offset;
    const int bands = (target.height() + kDirectBandRows - 1) / kDirectBandRows;
    BandSplitter::instance().run(bands, [&](int band) {
        const int top = band * kDirectBandRows;
        const int bottom = std::min(top + kDirectBandRows, target.height());
        for (int y = top; y < bottom; ++y)
            std::memcpy(origin + (at.y() + y) * stride + 4 * qsizetype(at.x()),
                        view.constScanLine(y), 4 * std::size_t(target.width()));
    });
    return true;
}

void PictureFrame::drawScaled(QPainter& painter, const QImage& image, const QRect& target,
                              const QRectF& source) {
    const std::optional<Direct> direct = directRect(painter, target);
    if (!direct || direct->rect != target) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(target), image, source);
        return;
    }
    // The same call, cut into bands of rows painted side by side: the scaling computes every row
    // from its own position, so each band comes out as in a paint of the whole.
    QImage* store = direct->target;
    auto* origin = const_cast<uchar*>(store->constBits());
    const int bands = (target.height() + kScaledBandRows - 1) / kScaledBandRows;
    BandSplitter::instance().run(bands, [&](int band) {
        QImage alias(origin, store->width(), store->height(), store->bytesPerLine(),
                     store->format());
        QPainter part(&alias);
        part.setTransform(QTransform::fromTranslate(direct->offset.x(), direct->offset.y()));
        const int top = target.top() + band * kScaledBandRows;
        part.setClipRect(QRect(target.left(), top, target.width(),
                               std::min(kScaledBandRows, target.bottom() + 1 - top)));
        part.setRenderHint(QPainter::SmoothPixmapTransform);
        part.drawImage(QRectF(target), image, source);
    });
}

void PictureFrame::drawNatural(QPainter& painter, const Picture::Pixels& pixels,
                               const QRect& part) {
    if (!pixels.planes) {
        if (!pixels.image.isNull())
            painter.drawImage(part.topLeft(), pixels.image, part);
        return;
    }
    const QRect area = part & QRect(QPoint(0, 0), pixels.planes->size());
    if (area.isEmpty() || convertInto(painter, *pixels.planes, area))
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
