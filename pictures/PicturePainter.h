#pragma once

#include "pictures/Picture.h"
#include "pictures/PictureFrame.h"
#include "pictures/ViewsAhead.h"

#include <QBrush>
#include <QImage>
#include <QRect>
#include <optional>

class PictureKeeper;
class QPaintDevice;
class QPainter;

// Paints a picture control's exposed part: one plan chosen per paint (plan()), then carried out
// (paint()). The ways, in the order they are chosen:
// - View: a view painted ahead for exactly this placement (ViewsAhead) is copied;
// - Natural: at the size of the pixels painted from, their part is copied (planes converted
//   straight into the window's image);
// - Scaled / DeviceScaled: the part read is scaled smoothly (at the screen's resolution when its
//   device pixel ratio is above 1).
// What is painted from: the screen level when it is at least as large as the picture is shown,
// else the whole picture: held, kept by the keeper, or, for a picture with a screen level whose
// whole decode is not kept yet, a region of it holding the part this paint shows (kept by the
// keeper, decoded ahead or for this paint; the keeper decodes the whole picture meanwhile). Shown
// at the whole picture's size, the pixels are those of the library's decode of it. Used on the
// window thread.
class PicturePainter {
public:
    // Where and how the control shows its picture in this paint.
    struct Placement {
        QSize control;                       // the control's size in logical pixels
        bool stretch = false;                // the picture is scaled to the control
        QRect exposed;                       // in the control's pixels
        qreal ratio = 1;                     // the screen's device pixel ratio
        QPaintDevice* windowImage = nullptr; // the window's own backing store (null: a grab)
        QBrush background;                   // where no opaque picture covers the control
    };

    enum class Way { Nothing, View, Natural, Scaled, DeviceScaled };

    struct Plan {
        Way way = Way::Nothing;
        bool background = false; // the window's background is painted under the picture first
        Picture::Pixels pixels;  // what is painted from (also behind a view, should it not copy)
        QSize sourceSize;        // the size of the picture `pixels` (or the region) belong to
        QImage view;             // View
        QImage region;           // a region decoded for this paint, when not null
        QRect part;              // where `region` lies in the picture
    };

    // Decodes and kept decodes come from `keeper`; without one (a control the window does not
    // turn) compressed pictures are decoded at each paint and no views are painted ahead.
    void setKeeper(PictureKeeper* keeper) { m_keeper = keeper; }

    Plan plan(QPainter& painter, const PicturePtr& picture, const Placement& placement);
    // The device pixels a picture of `natural` size covers as `placement` shows it.
    static QSize shownPixels(const Placement& placement, QSize natural);
    void paint(QPainter& painter, const Plan& plan, const Placement& placement);
    // The part of a picture of `natural` size that a paint of `placement` reads.
    static QRect partRead(const Placement& placement, QSize natural);

    // The placement of the last paint that views painted ahead can stand for.
    const std::optional<ViewSpec>& lastSpec() const { return m_spec; }

    // Lets go of the frame, the views and the placement (no picture is shown).
    void clear();

    // How many paints painted from a region (for tests and benches).
    static qint64 regionCount();

private:
    PictureKeeper* m_keeper = nullptr;
    PictureFrame m_frame;
    std::optional<ViewSpec> m_spec; // of the last paint
};
