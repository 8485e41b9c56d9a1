#pragma once

#include "format/ScreenUnits.h"

#include <QRect>
#include <QSize>

class QWidget;

// Screen lengths in twips. The windows are laid out in twips and Qt places widgets in logical
// pixels (kTwipsPerPixel twips each). Conversions to pixels round to the nearest pixel.

int twipsToPixels(double twips);
int pixelsToTwips(int pixels);

// A rectangle given in twips (left, top, width, height), in pixels.
QRect twipsRect(double left, double top, double width, double height);

// Places a control inside its parent's client area at a position and size given in twips.
void setGeometryTwips(QWidget* control, double left, double top, double width, double height);

// A control's position and size inside its parent, in twips (whole pixels times 15).
QRect geometryTwips(const QWidget* control);

// Top-level windows. The client size is the widget's own size; the outer size adds the frame
// that the window system draws around it. The frame is known only once the window system has
// framed the window: before that, and on platforms without frames (offscreen, X11 without a
// window manager), it counts as 0, so the outer size equals the widget's size.
QSize clientSizeTwips(const QWidget* window);
void setClientSizeTwips(QWidget* window, double width, double height);
QSize outerSizeTwips(const QWidget* window);
void setOuterSizeTwips(QWidget* window, double width, double height);

// The pixels that the frame adds to the window's width and height now.
QSize frameExtent(const QWidget* window);
