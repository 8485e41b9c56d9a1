#include "ImageControl.h"

#include "Twips.h"

#include "pictures/BandSplitter.h"
#include "pictures/JpegPlanes.h"

#include <QBackingStore>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

// Maps the target rectangle from logical to device pixels and draws there, so that on a screen
// whose device pixel ratio is above 1 the picture is sampled once, at the screen's resolution,
// instead of at logical size and then scaled up. The layout stays in logical pixels.
void drawAtDeviceResolution(QPainter& painter, qreal ratio, const QRectF& target,
                            const QImage& image, const QRectF& source) {
    if (ratio <= 1) {
        painter.drawImage(target, image, source);
        return;
    }
    painter.save();
    painter.scale(1 / ratio, 1 / ratio);
    painter.drawImage(QRectF(target.topLeft() * ratio, target.size() * ratio), image, source);
    painter.restore();
}

} // namespace

ImageControl::ImageControl(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    // The control paints every exposed pixel itself, so the window's background is not painted
    // underneath first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageControl::setPicture(PicturePtr picture) {
    if (picture && picture != m_picture && isVisible())
        BandSplitter::instance().standBy(); // the paint that follows shares its work
    m_picture = std::move(picture);
    if (!m_picture) {
        m_frame.clear();
        if (m_ahead)
            m_ahead->clear();
        m_spec.reset();
    }
    fitToPicture();
    update();
}

void ImageControl::setKeeper(PictureKeeper* keeper) {
    m_ahead.reset(); // its views took decodes from the keeper before
    m_keeper = keeper;
}

void ImageControl::setStretch(bool stretch) {
    if (m_stretch == stretch)
        return;
    m_stretch = stretch;
    fitToPicture();
    update();
}

int ImageControl::leftTwips() const {
    return pixelsToTwips(x());
}

int ImageControl::topTwips() const {
    return pixelsToTwips(y());
}

int ImageControl::widthTwips() const {
    return pixelsToTwips(width());
}

int ImageControl::heightTwips() const {
    return pixelsToTwips(height());
}

void ImageControl::moveTwips(double left, double top, double width, double height) {
    setGeometryTwips(this, left, top, width, height);
}

int ImageControl::buttonState(Qt::MouseButtons buttons) {
    return (buttons.testFlag(Qt::LeftButton) ? 1 : 0) |
           (buttons.testFlag(Qt::RightButton) ? 2 : 0) |
           (buttons.testFlag(Qt::MiddleButton) ? 4 : 0);
}

int ImageControl::shiftState(Qt::KeyboardModifiers modifiers) {
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

void ImageControl::fitToPicture() {
    if (!m_stretch && m_picture)
        resize(m_picture->size());
}

std::optional<ViewSpec> ImageControl::viewSpec(QPainter& painter, const QRect& exposed,
                                               bool scaled) {
    const std::optional<PictureFrame::Direct> direct = PictureFrame::directRect(painter, exposed);
    // Only the window's own painting: a grab paints elsewhere.
    QBackingStore* store = window()->backingStore();
    // At its natural size a picture is converted into the window about as fast as a view would be
    // copied there: views only stand for scaled paints.
    if (!scaled || !direct || !store || direct->target != store->paintDevice() ||
        direct->rect != exposed)
        return std::nullopt;
    return ViewSpec{size(),
                    m_stretch,
                    exposed,
                    direct->offset,
                    direct->target->format(),
                    direct->target->size()};
}

void ImageControl::paintAhead(const std::vector<PicturePtr>& next) {
    if (!m_spec)
        return;
    if (!m_ahead)
        m_ahead = std::make_unique<ViewsAhead>(m_keeper);
    m_ahead->prepare(next, *m_spec);
}

void ImageControl::waitForPaintAhead() {
    if (m_ahead)
        m_ahead->waitForDone();
}

void ImageControl::paintEvent(QPaintEvent* event) {
    if (width() <= 0 || height() <= 0)
        return;
    // Only the exposed part is converted and painted: within a window on its screen, that bounds
    // the work by the screen whatever the zoom.
    const QRect exposed = event->rect();
    const Picture::Pixels pixels = !m_picture ? Picture::Pixels{}
                                   : m_keeper ? m_keeper->shown(m_picture)
                                              : m_picture->pixels();
    const QSize natural = pixels.planes ? pixels.planes->size() : pixels.image.size();
    const bool opaque =
        pixels.planes || (!pixels.image.isNull() && !pixels.image.hasAlphaChannel());
    const bool scaled = m_stretch && natural != size();
    QPainter painter(this);
    // The background shows where the picture leaves the control uncovered or is transparent.
    if (!opaque || (!scaled && !QRect(QPoint(0, 0), natural).contains(exposed)))
        painter.fillRect(exposed, palette().window());
    if (pixels.isNull())
        return;
    m_spec = viewSpec(painter, exposed, scaled);
    if (m_spec && m_ahead) {
        const QImage view = m_ahead->view(m_picture, *m_spec);
        if (!view.isNull() && PictureFrame::drawView(painter, view, exposed)) {
            ViewsAhead::countShown();
            return;
        }
    }
    if (!scaled) {
        const QRect part = exposed & QRect(QPoint(0, 0), natural);
        if (!part.isEmpty())
            m_frame.drawNatural(painter, pixels, part);
        return;
    }
    const QImage image = m_frame.show(pixels, PictureFrame::readPart(exposed, size(), natural));
    if (image.isNull())
        return;
    const QRectF source = PictureFrame::scaledSource(exposed, size(), natural);
    if (devicePixelRatioF() > 1) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        drawAtDeviceResolution(painter, devicePixelRatioF(), QRectF(exposed), image, source);
        return;
    }
    PictureFrame::drawScaled(painter, image, exposed, source);
}

void ImageControl::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position() * kTwipsPerPixel;
    Q_EMIT mouseMoved(buttonState(event->buttons()), shiftState(event->modifiers()), float(at.x()),
                      float(at.y()));
    QWidget::mouseMoveEvent(event);
}
