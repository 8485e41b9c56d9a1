#include "LineControl.h"

#include "Twips.h"

#include <QPainter>

LineControl::LineControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void LineControl::setEndsTwips(double x1, double y1, double x2, double y2) {
    m_from = QPoint(twipsToPixels(x1), twipsToPixels(y1));
    m_to = QPoint(twipsToPixels(x2), twipsToPixels(y2));
    place();
}

void LineControl::setColor(const QColor& color) {
    m_color = color;
    update();
}

void LineControl::setLineWidth(int pixels) {
    m_width = qMax(1, pixels);
    place();
}

void LineControl::place() {
    const QRect span = QRect(m_from, m_to).normalized();
    const bool horizontal = span.height() <= span.width();
    setGeometry(horizontal ? QRect(span.left(), span.top(), span.width(), m_width)
                           : QRect(span.left(), span.top(), m_width, span.height()));
    update();
}

void LineControl::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), m_color);
}
