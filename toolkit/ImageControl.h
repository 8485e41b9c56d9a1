#pragma once

#include "pictures/Picture.h"
#include "pictures/PicturePainter.h"

#include <QWidget>
#include <vector>

class PictureKeeper;

// An image control: shows a shared picture, either at its natural size or stretched to the
// control's size, and reports pointer moves.
//
// - setPicture() takes the same picture object another control holds; nothing is copied or
//   decoded again. With stretch off, the control takes the picture's natural size; with stretch
//   on, it keeps its size and the picture is scaled smoothly to it. A null picture shows nothing
//   and leaves the size alone.
// - Turning stretch off while a picture is held resizes the control to the picture.
// - Painting touches only the exposed area (see PicturePainter for the plan of each paint). The
//   control paints every exposed pixel itself (the window background where no opaque picture
//   covers it), so nothing is painted underneath.
// - paintAhead() has the keeper paint, on an idle core, the views of the pictures a turn is about
//   to show as the last paint of the window placed its picture; a paint that finds its view ready
//   copies it.
// - mouseMoved() is raised for every pointer move over the control, with or without a button
//   held, carrying the button state (1 left, 2 right, 4 middle), the shift state (1 Shift, 2 Ctrl,
//   4 Alt) and the position in twips relative to the control's top-left corner.
// The control takes no focus. Position and size may be read and set in twips.
class ImageControl : public QWidget {
    Q_OBJECT

public:
    explicit ImageControl(QWidget* parent = nullptr);

    const PicturePtr& picture() const { return m_picture; }
    // The decodes of compressed pictures come from `keeper` (kept there, decoded ahead there);
    // without one a compressed picture is decoded at each paint.
    void setKeeper(PictureKeeper* keeper);
    void setPicture(PicturePtr picture);

    bool stretch() const { return m_stretch; }
    void setStretch(bool stretch);

    int leftTwips() const;
    int topTwips() const;
    int widthTwips() const;
    int heightTwips() const;
    // Places the control inside its parent, all four values in twips.
    void moveTwips(double left, double top, double width, double height);

    // Paints ahead, on an idle core, this control's views of the pictures a turn is about to
    // show (nearest first), as the last paint placed them; a turn to one of them is then a copy.
    // Needs a keeper.
    void paintAhead(const std::vector<PicturePtr>& next);
    // How many device pixels the picture covers as the control shows it now.
    QSize shownPixels() const;
    // The part of a picture of `natural` size that a paint of the control's visible part reads.
    QRect partShown(QSize natural) const;
    // Waits until the views asked for are painted (for tests and benches).
    void waitForPaintAhead();

    // The button and shift states in the classic bit layout.
    static int buttonState(Qt::MouseButtons buttons);
    static int shiftState(Qt::KeyboardModifiers modifiers);

Q_SIGNALS:
    void mouseMoved(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void fitToPicture();

    PicturePtr m_picture;
    PictureKeeper* m_keeper = nullptr;
    PicturePainter m_painter;
    bool m_stretch = false;
};
