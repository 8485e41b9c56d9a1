#include "ViewsAhead.h"

#include "pictures/JpegPlanes.h"
#include "pictures/PictureFrame.h"
#include "pictures/PictureKeeper.h"

#include <QPainter>
#include <atomic>

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

bool ViewsAhead::same(const std::weak_ptr<const Picture>& a, const PicturePtr& b) {
    // Owner equality: a picture freed and another made at its address never match.
    return b && !a.expired() && !a.owner_before(b) && !b.owner_before(a);
}

ViewsAhead::Entry* ViewsAhead::find(const PicturePtr& picture, const ViewSpec& placement) {
    for (Entry& entry : m_entries)
        if (entry.placement == placement && same(entry.picture, picture))
            return &entry;
    return nullptr;
}

void ViewsAhead::prepare(const std::vector<PicturePtr>& next, const ViewSpec& placement) {
    m_pool.clear();
    std::vector<PicturePtr> waiting;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::deque<Entry> kept;
        qint64 bytes = 0;
        auto keep = [&](Entry entry) {
            if (kept.size() >= kViews || bytes + bytesOf(entry.placement) > kByteCap)
                return;
            bytes += bytesOf(entry.placement);
            kept.push_back(std::move(entry));
        };
        for (const PicturePtr& picture : next) {
            if (!picture)
                continue;
            if (Entry* entry = find(picture, placement)) {
                if (entry->view.isNull())
                    waiting.push_back(picture);
                keep(std::move(*entry));
                entry->picture.reset(); // moved: not kept twice
            } else if (kept.size() < kViews) {
                waiting.push_back(picture);
                keep(Entry{picture, placement, QImage()});
            }
        }
        // Then the views painted before (a reversal shows them again), most recent first.
        for (Entry& entry : m_entries)
            if (entry.placement == placement && !entry.picture.expired() && !entry.view.isNull())
                keep(std::move(entry));
        m_entries = std::move(kept);
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
