#pragma once

#include "pictures/LeastRecentlyUsed.h"
#include "pictures/Picture.h"

class PictureKeeper;

#include <QImage>
#include <QRect>
#include <QThreadPool>
#include <mutex>
#include <vector>

// How a control paints pictures into its window's 32-bit image: its size and whether it
// stretches pictures to it, the part of it that is exposed (all of it that shows) and where that
// lies in the image.
struct ViewSpec {
    QSize control;
    bool stretch = false;
    QRect target;  // in the control's pixels
    QPoint offset; // of the control's pixels in the window's image
    QImage::Format format = QImage::Format_Invalid;
    QSize imageSize; // of the window's image

    bool operator==(const ViewSpec&) const = default;
};

// The views of the pictures a turn is about to reach, painted ahead on a core the window thread
// leaves idle, so that the turn itself is one copy into the window's image. A view is painted
// exactly as the control paints the picture there (the same conversion, the same smooth scaling
// with the same coordinates and clip), so what is shown does not change by one pixel.
//
// The views are kept by the caches' one rule (LeastRecentlyUsed) within cacheBounds::kViewsAhead
// (6 views and 64 MB; a view holds the exposed part of one window: 8 MB for a 1920 x 1080 screen):
// views of another placement, of pictures freed and those never painted are gone; the pictures
// asked for are used last, nearest first; so the views painted before and no longer asked for
// are pushed out first, the least recently asked for first. A compressed picture gets its view
// once it is decoded ahead (see PictureKeeper); views never decode. Pictures are held weakly: a
// view never keeps a package alive.
class ViewsAhead {
public:
    // The decodes of compressed pictures come from `keeper` (none: compressed pictures get no
    // view).
    explicit ViewsAhead(const PictureKeeper* keeper);
    ~ViewsAhead(); // clear()
    ViewsAhead(const ViewsAhead&) = delete;
    ViewsAhead& operator=(const ViewsAhead&) = delete;

    // Paints views of `next` (nearest first) for `placement`; pictures not started from the
    // previous call are forgotten.
    void prepare(const std::vector<PicturePtr>& next, const ViewSpec& placement);

    // The view of `picture` for `placement` when it is ready; null otherwise.
    QImage view(const PicturePtr& picture, const ViewSpec& placement);

    // Drops every view and waits for the one being painted.
    void clear();

    // Waits until every view asked for is painted (for tests and benches).
    void waitForDone();

    // How many turns were painted from a view in this process (for tests and benches).
    static qint64 shownCount();
    static void countShown();

    // Paints the view of `pixels` for `placement`; null when the picture has no such view (a 32-bit
    // picture at its natural size is painted by a plain copy already, a transparent one over the
    // background).
    static QImage render(const Picture::Pixels& pixels, const ViewSpec& placement);

private:
    struct Entry {
        std::weak_ptr<const Picture> picture;
        ViewSpec placement;
        QImage view; // null while it is waited for
    };

    Entry* find(const PicturePtr& picture, const ViewSpec& placement);
    // Keeps the views `next` asks for at `placement` and those painted before that the bounds
    // still hold; returns the pictures whose views are to be painted, nearest first, and what is
    // let go in `dropped`.
    std::vector<PicturePtr> keepFor(const std::vector<PicturePtr>& next, const ViewSpec& placement,
                                    std::vector<Entry>& dropped);
    void paint(const PicturePtr& picture, const ViewSpec& placement);

    const PictureKeeper* m_keeper;
    QThreadPool m_pool;
    // Lock order: taken alone (the keeper is asked for a decode outside it).
    std::mutex m_mutex; // guards m_entries
    LeastRecentlyUsed<Entry> m_entries{cacheBounds::kViewsAhead};
};
