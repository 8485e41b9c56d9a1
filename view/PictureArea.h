#pragma once

#include "pictures/ScreenLevel.h"

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QSize>

class ImageControl;
class QScrollArea;
class QWidget;

// Where the main window shows its picture control, and at which zoom a package opens.
//
// While the picture fits its window (see WholePicture.h) the control sits in the window's client
// area at its own place, as laid out. When it is larger, it moves into a scroll area at that same
// place, as large as the client area leaves room for, with scroll bars along the sides that
// scroll; the wheel over the picture and, once the area has the keyboard focus (Tab), the arrow and
// page keys scroll it. The control keeps its size and its own coordinates, so pointer positions
// over it stay positions on the picture. When the picture fits again, the control goes back.
//
// Changes of the control's size or visibility and of the client area's size (the window resized)
// are followed as they happen. The area is owned by the client.
class PictureArea : public QObject {
    Q_OBJECT

public:
    PictureArea(ImageControl* picture, QWidget* client);

    // The zoom value a package opens at (see openingZoom() in WholePicture.h) for pictures of
    // `natural` pixels on a screen whose available area is `available`; remembers a lowered value.
    int openingZoom(int current, QSize natural, QSize available);
    // For the opening that follows: the device pixels a picture of a given size is shown at (see
    // openingShownPixels() in WholePicture.h) on a screen with a device pixel ratio of `ratio`.
    OpeningShownSize openingShown(int current, QSize available, qreal ratio) const;

    // Places the control: in its place or scrolled, as its size asks.
    void follow();

    // The point of the picture at the middle of the view, as fractions of its width and height;
    // after a change of size, setMiddle() scrolls that point back to the middle.
    QPointF middle() const;
    void setMiddle(QPointF fraction);

    bool panning() const;
    QScrollArea* scrollArea() const { return m_area; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ImageControl* m_picture;
    QWidget* m_client;
    QScrollArea* m_area;
    QPoint m_home;     // the control's place in the client area
    int m_lowered = 0; // the zoom value the last opening lowered the bar to, or 0
    bool m_following = false;
};
