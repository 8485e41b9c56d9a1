#include "ViewsAhead.h"

#include "pictures/JpegPlanes.h"
#include "pictures/KeptDecodes.h"
#include "pictures/PictureFrame.h"
#include "pictures/PictureKeeper.h"

#include <QPainter>
#include <atomic>
#include <iterator>

namespace {

std::atomic<qint64> g_shown{0};

qint64 bytesOf(const ViewSpec& placement) {
    return qint64(placement.target.width()) * placement.target.height() * 4;
}

} // namespace

ViewsAhead::ViewsAhead(const PictureKeeper* keeper) : m_keeper(keeper) {
    m_pool.setMaxThreadCount(1);
    // Only on a core nothing else wants: never beside the paint or the decodes of a turn.
    m_pool.setThreadPriority(QThread::IdlePriority);
}

ViewsAhead::~ViewsAhead() {
    clear();
}

ViewsAhead::Entry* ViewsAhead::find(const PicturePtr& picture, const ViewSpec& placement) {
    return m_entries.find([&](const Entry& entry) {
        return entry.placement == placement && samePicture(entry.picture, picture);
    });
}

std::vector<PicturePtr> ViewsAhead::keepFor(const std::vector<PicturePtr>& next,
                                            const ViewSpec& placement,
                                            std::vector<Entry>& dropped) {
    const auto never = [](const Entry&) { return false; };
    // Gone: views of another placement or of pictures freed, and those not painted (the pool
    // was cleared: the ones still asked for are asked for again below).
    dropped = m_entries.trim(
        [&](const Entry& entry) {
            return entry.placement != placement || entry.picture.expired() || entry.view.isNull();
        },
        never);
    // The pictures asked for come first, nearest first; the views painted before follow (a
    // reversal shows them again), the most recent first, and go first.
    for (auto it = next.rbegin(); it != next.rend(); ++it) {
        if (*it && !m_entries.moveFirst(
                       [&](const Entry& entry) { return samePicture(entry.picture, *it); }))
            m_entries.putFirst(Entry{*it, placement, QImage()}, bytesOf(placement));
    }
    std::vector<Entry> pushedOut = m_entries.trim(never, never);
    std::move(pushedOut.begin(), pushedOut.end(), std::back_inserter(dropped));
    std::vector<PicturePtr> waiting;
    m_entries.forEach([&](const Entry& entry) {
        if (entry.view.isNull())
            if (PicturePtr picture = entry.picture.lock())
                waiting.push_back(std::move(picture));
    });
    return waiting;
}

void ViewsAhead::prepare(const std::vector<PicturePtr>& next, const ViewSpec& placement) {
    m_pool.clear();
    std::vector<Entry> dropped; // let go outside the lock
    std::vector<PicturePtr> waiting;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        waiting = keepFor(next, placement, dropped);
    }
    for (const PicturePtr& picture : waiting)
        m_pool.start([this, picture, placement] { paint(picture, placement); });
}

void ViewsAhead::paint(const PicturePtr& picture, const ViewSpec& placement) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const Entry* entry = find(picture, placement);
        if (!entry || !entry->view.isNull())
            return; // no longer asked for
    }
    // Painted from what the control paints from at this size. The decodes are the keeper's: a
    // view waits for them (and is asked for again after the next turn) rather than decoding
    // beside them.
    const int scale = picture->scaleShownAt(placement.control);
    const Picture::Pixels pixels = m_keeper                ? m_keeper->kept(picture, scale)
                                   : picture->holds(scale) ? picture->decodeAtLevel()
                                                           : Picture::Pixels{};
    if (pixels.isNull())
        return;
    QImage view = render(pixels, placement);
    if (view.isNull())
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Entry* entry = find(picture, placement))
        entry->view = std::move(view);
}

QImage ViewsAhead::view(const PicturePtr& picture, const ViewSpec& placement) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Entry* entry = find(picture, placement);
    return entry ? entry->view : QImage();
}

void ViewsAhead::clear() {
    m_pool.clear();
    m_pool.waitForDone();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
}

void ViewsAhead::waitForDone() {
    m_pool.waitForDone();
}

qint64 ViewsAhead::shownCount() {
    return g_shown.load();
}

void ViewsAhead::countShown() {
    ++g_shown;
}

QImage ViewsAhead::render(const Picture::Pixels& pixels, const ViewSpec& placement) {
    if (pixels.isNull())
        return QImage();
    const QSize natural = pixels.planes ? pixels.planes->size() : pixels.image.size();
    if (!placement.stretch || natural == placement.control) {
        if (!pixels.planes || !QRect(QPoint(0, 0), natural).contains(placement.target))
            return QImage();
        QImage view(placement.target.size(), placement.format);
        if (!view.isNull())
            pixels.planes->convertTo(placement.target, view.bits(), view.bytesPerLine());
        return view;
    }
    QImage image = pixels.image;
    if (pixels.planes) {
        image = QImage(pixels.planes->size(), QImage::Format_RGB32);
        if (image.isNull())
            return QImage();
        pixels.planes->convert(PictureFrame::readPart(placement.target, placement.control, natural),
                               image);
    } else if (image.hasAlphaChannel()) {
        return QImage();
    }
    // The same call as the window's paint, on an image where the window's coordinates are the
    // same: only the view's part of it is ever written (the rest is never touched, so the system
    // does not even hand it out).
    QImage canvas(placement.imageSize, placement.format);
    if (canvas.isNull())
        return QImage();
    {
        QPainter painter(&canvas);
        painter.setTransform(QTransform::fromTranslate(placement.offset.x(), placement.offset.y()));
        painter.setClipRect(placement.target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(placement.target), image,
                          PictureFrame::scaledSource(placement.target, placement.control, natural));
    }
    return canvas.copy(placement.target.translated(placement.offset));
}
