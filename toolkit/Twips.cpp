#include "Twips.h"

#include <QWidget>
#include <QtMath>

int twipsToPixels(double twips) {
    return qRound(twips / kTwipsPerPixel);
}

int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

QRect twipsRect(double left, double top, double width, double height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

void setGeometryTwips(QWidget* control, double left, double top, double width, double height) {
    control->setGeometry(twipsRect(left, top, width, height));
}

QRect geometryTwips(const QWidget* control) {
    const QRect g = control->geometry();
    return QRect(pixelsToTwips(g.x()), pixelsToTwips(g.y()), pixelsToTwips(g.width()),
                 pixelsToTwips(g.height()));
}

QSize frameExtent(const QWidget* window) {
    const QSize extent = window->frameGeometry().size() - window->size();
    return extent.expandedTo(QSize(0, 0));
}

QSize clientSizeTwips(const QWidget* window) {
    return QSize(pixelsToTwips(window->width()), pixelsToTwips(window->height()));
}

void setClientSizeTwips(QWidget* window, double width, double height) {
    window->resize(twipsToPixels(width), twipsToPixels(height));
}

QSize outerSizeTwips(const QWidget* window) {
    const QSize outer = window->size() + frameExtent(window);
    return QSize(pixelsToTwips(outer.width()), pixelsToTwips(outer.height()));
}

void setOuterSizeTwips(QWidget* window, double width, double height) {
    const QSize frame = frameExtent(window);
    window->resize(qMax(1, twipsToPixels(width) - frame.width()),
                   qMax(1, twipsToPixels(height) - frame.height()));
}
