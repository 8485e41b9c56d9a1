#include "PicturePainter.h"

#include "pictures/JpegDecoder.h"
#include "pictures/JpegPlanes.h"
#include "pictures/PictureKeeper.h"

#include <QPainter>
#include <atomic>
#include <cmath>

namespace {

std::atomic<qint64> g_regions{0};

QSize sizeOf(const Picture::Pixels& pixels) {
    return pixels.planes ? pixels.planes->size() : pixels.image.size();
}

// Maps the target rectangle from logical to device pixels and draws there, so that on a screen
// whose device pixel ratio is above 1 the picture is sampled once, at the screen's resolution,
// instead of at logical size and then scaled up. The layout stays in logical pixels.
void drawAtDeviceResolution(QPainter& painter, qreal ratio, const QRectF& target,
                            const QImage& image, const QRectF& source) {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(1 / ratio, 1 / ratio);
    painter.drawImage(QRectF(target.topLeft() * ratio, target.size() * ratio), image, source);
    painter.restore();
}

// How a paint places pictures, when a view painted ahead can stand for it: only the window's own
// painting (a grab paints elsewhere), and only scaled paints (at its natural size a picture is
// converted into the window about as fast as a view would be copied there).
std::optional<ViewSpec> viewSpec(QPainter& painter, const PicturePainter::Placement& placement,
                                 bool scaled) {
    if (!scaled || !placement.windowImage)
        return std::nullopt;
    const std::optional<PictureFrame::Direct> direct =
        PictureFrame::directRect(painter, placement.exposed);
    if (!direct || direct->target != placement.windowImage || direct->rect != placement.exposed)
        return std::nullopt;
    return ViewSpec{placement.control, placement.stretch,        placement.exposed,
                    direct->offset,    direct->target->format(), direct->target->size()};
}

} // namespace

QSize PicturePainter::shownPixels(const Placement& placement, QSize natural) {
    if (!placement.stretch)
        return natural;
    return {int(std::ceil(placement.control.width() * placement.ratio)),
            int(std::ceil(placement.control.height() * placement.ratio))};
}

QRect PicturePainter::partRead(const Placement& placement, QSize natural) {
    if (placement.stretch && natural != placement.control)
        return PictureFrame::readPart(placement.exposed, placement.control, natural);
    return placement.exposed & QRect(QPoint(0, 0), natural);
}

PicturePainter::Plan PicturePainter::plan(QPainter& painter, const PicturePtr& picture,
                                          const Placement& placement) {
    Plan plan;
    plan.background = true;
    if (!picture) {
        m_spec.reset();
        return plan;
    }
    const int scale = picture->scaleShownAt(shownPixels(placement, picture->size()));
    const bool pastLevel = scale == 1 && picture->levelDenominator() > 1;
    if (!m_keeper)
        plan.pixels = picture->decodeAt(scale);
    else if (pastLevel)
        plan.pixels = m_keeper->kept(picture, 1);
    else
        plan.pixels = m_keeper->pixelsToPaint(picture, scale);
    plan.sourceSize = plan.pixels.isNull() ? picture->size() : sizeOf(plan.pixels);
    const bool scaled = placement.stretch && plan.sourceSize != placement.control;
    if (plan.pixels.isNull() && pastLevel) {
        // The whole picture's decode is not kept yet: only the part this paint reads (the
        // keeper's region of it).
        plan.part = partRead(placement, plan.sourceSize);
        if (m_keeper) {
            PictureKeeper::Region region = m_keeper->regionToPaint(picture, plan.part);
            plan.region = std::move(region.image);
            plan.part = region.part;
        } else {
            plan.region = JpegDecoder::decodeRegion(picture->encodedBytes(), plan.part).image;
        }
        if (!plan.region.isNull())
            ++g_regions;
        else if (m_keeper)
            plan.pixels = m_keeper->pixelsToPaint(picture, 1);
    }
    if (plan.pixels.isNull() && plan.region.isNull()) {
        m_spec.reset();
        return plan;
    }
    const bool opaque = !plan.region.isNull() || plan.pixels.planes ||
                        (!plan.pixels.image.isNull() && !plan.pixels.image.hasAlphaChannel());
    plan.background =
        !opaque || (!scaled && !QRect(QPoint(0, 0), plan.sourceSize).contains(placement.exposed));
    m_spec = viewSpec(painter, placement, scaled);
    if (m_spec && m_keeper && plan.region.isNull()) {
        plan.view = m_keeper->views().view(picture, *m_spec);
        if (!plan.view.isNull()) {
            plan.way = Way::View;
            return plan;
        }
    }
    plan.way = !scaled ? Way::Natural : placement.ratio > 1 ? Way::DeviceScaled : Way::Scaled;
    return plan;
}

void PicturePainter::paint(QPainter& painter, const Plan& plan, const Placement& placement) {
    const QRect& exposed = placement.exposed;
    if (plan.background)
        painter.fillRect(exposed, placement.background);
    Way way = plan.way;
    if (way == Way::View) {
        if (PictureFrame::drawView(painter, plan.view, exposed)) {
            ViewsAhead::countShown();
            return;
        }
        way = Way::Scaled;
    }
    if (way == Way::Nothing)
        return;
    if (way == Way::Natural) {
        if (!plan.region.isNull()) {
            painter.drawImage(plan.part.topLeft(), plan.region);
            return;
        }
        const QRect part = exposed & QRect(QPoint(0, 0), plan.sourceSize);
        if (!part.isEmpty())
            m_frame.drawNatural(painter, plan.pixels, part);
        return;
    }
    QRectF source = PictureFrame::scaledSource(exposed, placement.control, plan.sourceSize);
    QImage image = plan.region;
    if (!image.isNull())
        source.translate(-plan.part.topLeft());
    else
        image = m_frame.show(plan.pixels,
                             PictureFrame::readPart(exposed, placement.control, plan.sourceSize));
    if (image.isNull())
        return;
    if (way == Way::DeviceScaled)
        drawAtDeviceResolution(painter, placement.ratio, QRectF(exposed), image, source);
    else
        PictureFrame::drawScaled(painter, image, exposed, source);
}

void PicturePainter::clear() {
    m_frame.clear();
    m_spec.reset();
}

qint64 PicturePainter::regionCount() {
    return g_regions.load();
}
