#include "ImageControl.h"

#include "Twips.h"

#include "pictures/BandSplitter.h"
#include "pictures/PictureKeeper.h"

#include <QBackingStore>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

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
    if (!m_picture)
        m_painter.clear();
    fitToPicture();
    update();
}

void ImageControl::setKeeper(PictureKeeper* keeper) {
    m_keeper = keeper;
    m_painter.setKeeper(keeper);
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

void ImageControl::paintAhead(const std::vector<PicturePtr>& next) {
    if (m_keeper && m_painter.lastSpec())
        m_keeper->views().prepare(next, *m_painter.lastSpec());
}

void ImageControl::waitForPaintAhead() {
    if (m_keeper)
        m_keeper->views().waitForDone();
}

QSize ImageControl::shownPixels() const {
    return PicturePainter::shownPixels({size(), m_stretch, rect(), devicePixelRatioF()},
                                       m_picture ? m_picture->size() : size());
}

QRect ImageControl::partShown(QSize natural) const {
    return PicturePainter::partRead(
        {size(), m_stretch, visibleRegion().boundingRect(), devicePixelRatioF()}, natural);
}

void ImageControl::paintEvent(QPaintEvent* event) {
    if (width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    QBackingStore* store = window()->backingStore();
    const PicturePainter::Placement placement{size(),
                                              m_stretch,
                                              event->rect(),
                                              devicePixelRatioF(),
                                              store ? store->paintDevice() : nullptr,
                                              palette().window()};
    m_painter.paint(painter, m_painter.plan(painter, m_picture, placement), placement);
}

void ImageControl::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position() * kTwipsPerPixel;
    Q_EMIT mouseMoved(buttonState(event->buttons()), shiftState(event->modifiers()), float(at.x()),
                      float(at.y()));
    QWidget::mouseMoveEvent(event);
}
