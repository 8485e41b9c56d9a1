// The rule of what is decoded ahead of compressed turning, in which order, what is kept and what is
// dropped, and the threads that do the decoding.
#include "PictureKeeper.h"

#include "format/RingTurns.h"
#include "pictures/DecodedBytes.h"
#include "pictures/JpegDecoder.h"
#include "pictures/JpegPlanes.h"
#include "pictures/LowPriority.h"
#include "pictures/ScreenLevel.h"

#include <QThread>
#include <algorithm>

namespace {

// The scale asked for, kAtLevel standing for the picture's screen level.
int scaleOf(const PicturePtr& picture, int scale) {
    return scale == PictureKeeper::kAtLevel ? picture->levelDenominator() : scale;
}

// A picture at `scale` is painted from what it holds (no decode to keep) when it holds that scale
// or has no bytes to decode.
bool paintsFromItself(const PicturePtr& picture, int scale) {
    return picture->holds(scale) || !picture->hasFileBytes();
}

qint64 bytesOf(const Picture::Pixels& pixels) {
    return pixels.planes ? pixels.planes->heldBytes() : pixels.image.sizeInBytes();
}

// The decode `key` asks of `picture`: a region of its whole picture, or the picture at a scale.
Picture::Pixels decodeOf(const PicturePtr& picture, const DecodeKey& key) {
    if (!key.isRegion())
        return picture->decodeAt(key.scale);
    return {JpegDecoder::decodeRegion(picture->encodedBytes(), key.part).image, nullptr};
}

} // namespace

// --- What is decoded ahead, in which order ------------------------------------------------------

std::vector<int> PictureKeeper::slotsAhead(const TurnPosition& at, int ahead) {
    std::vector<int> slots;
    if (at.hCount <= 0 || at.h < 0 || at.h >= at.hCount || !at.slotFor)
        return slots;
    auto add = [&slots](std::optional<int> slot) {
        if (slot && std::find(slots.begin(), slots.end(), *slot) == slots.end())
            slots.push_back(*slot);
    };
    // The views the user's next steps in the same direction turn to, as the viewer turns.
    const RingTurns::Holds holds = [&at](int h, int v) { return at.slotFor(h, v).has_value(); };
    RingView view{at.h, at.v, at.forward};
    for (int k = 1; k <= ahead; ++k) {
        view = RingTurns::turnFrom(view, at.forward, at.hCount, holds);
        add(at.slotFor(view.h, view.v));
    }
    add(at.slotFor(at.h, at.v + 1));
    add(at.slotFor(at.h, at.v - 1));
    return slots;
}

// --- The owner ----------------------------------------------------------------------------------

PictureKeeper::PictureKeeper(qint64 byteCap, int workers)
    : m_kept(kKeptDecodes, kMostKeptBytes), m_views(this) {
    setByteCap(byteCap);
    // The window thread keeps a core of its own.
    m_pool.setMaxThreadCount(workers > 0 ? workers : std::max(1, QThread::idealThreadCount() - 1));
    m_fixedWorkers = workers > 0;
    m_rest.setSingleShot(true);
    QObject::connect(&m_rest, &QTimer::timeout, &m_context, [this] {
        if (const PicturePtr followed = m_following.lock())
            wholeAhead(followed);
    });
}

PictureKeeper::~PictureKeeper() {
    clear();
}

qint64 PictureKeeper::capFor(qint64 leftBytes) {
    return std::clamp<qint64>(leftBytes / 2, 0, kMostKeptBytes);
}

void PictureKeeper::setByteCap(qint64 byteCap) {
    std::vector<Picture::Pixels> dropped;
    std::lock_guard<std::mutex> lock(m_mutex);
    dropped = m_kept.setByteCap(std::clamp<qint64>(byteCap, 0, kMostKeptBytes));
}

qint64 PictureKeeper::byteCap() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_kept.byteCap();
}

bool PictureKeeper::underWay(const PicturePtr& picture, const DecodeKey& key) const {
    return std::any_of(m_busy.begin(), m_busy.end(), [&](const Busy& busy) {
        return busy.key == key && samePicture(busy.picture, picture);
    });
}

bool PictureKeeper::decode(const PicturePtr& picture, const DecodeKey& key, bool forScreen) {
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (forScreen)
            m_done.wait(lock, [&] { return !underWay(picture, key); });
        else if (underWay(picture, key))
            return false;
        if (!m_kept.find(picture, key).isNull())
            return false;
        m_busy.push_back({picture, key});
    }
    if (m_watch)
        m_watch(picture, key.scale, forScreen);
    Picture::Pixels pixels = decodeOf(picture, key);
    std::vector<Picture::Pixels> dropped;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_busy.erase(std::find_if(m_busy.begin(), m_busy.end(), [&](const Busy& busy) {
        return busy.key == key && samePicture(busy.picture, picture);
    }));
    m_done.notify_all();
    if (pixels.isNull())
        return true;
    const qint64 bytes = bytesOf(pixels);
    if (!key.isRegion()) {
        m_decodeBytes = bytes;
        m_decodeScale = key.scale;
    }
    dropped = m_kept.keep(picture, std::move(pixels), bytes, forScreen, key);
    if (forScreen)
        ++m_shownDecodes;
    return true;
}

Picture::Pixels PictureKeeper::pixelsToPaint(const PicturePtr& picture, int scale) {
    if (!picture)
        return {};
    const DecodeKey key{scaleOf(picture, scale), {}};
    if (paintsFromItself(picture, key.scale))
        return picture->decodeAt(key.scale);
    // Kept already (a repaint, or decoded ahead), else decoded now: waited for when its decode
    // ahead is under way.
    Picture::Pixels pixels = pin(picture, key);
    if (pixels.isNull()) {
        decode(picture, key, true);
        pixels = pin(picture, key);
    }
    return pixels;
}

PictureKeeper::Region PictureKeeper::regionToPaint(const PicturePtr& picture, const QRect& part) {
    if (!picture || !picture->hasFileBytes())
        return {};
    const QRect clipped = part & QRect(QPoint(0, 0), picture->size());
    auto covering = [&]() -> Region {
        std::vector<Picture::Pixels> dropped;
        std::unique_lock<std::mutex> lock(m_mutex);
        // A region ahead that holds the part is waited for rather than decoded beside it.
        m_done.wait(lock, [&] {
            return std::none_of(m_busy.begin(), m_busy.end(), [&](const Busy& busy) {
                return busy.key.isRegion() && busy.key.part.contains(clipped) &&
                       samePicture(busy.picture, picture);
            });
        });
        auto [pixels, where] = m_kept.findCovering(picture, clipped);
        if (pixels.isNull())
            return {};
        QImage image = pixels.image;
        dropped = m_kept.keep(picture, std::move(pixels), image.sizeInBytes(), true, {1, where});
        return {image, where};
    };
    Region region = covering();
    if (region.image.isNull() && !clipped.isEmpty()) {
        decode(picture, {1, clipped}, true);
        region = covering();
    }
    return region;
}

Picture::Pixels PictureKeeper::pin(const PicturePtr& picture, const DecodeKey& key) {
    std::vector<Picture::Pixels> dropped;
    std::lock_guard<std::mutex> lock(m_mutex);
    Picture::Pixels pixels = m_kept.find(picture, key);
    if (!pixels.isNull())
        dropped = m_kept.keep(picture, pixels, bytesOf(pixels), true, key);
    return pixels;
}

Picture::Pixels PictureKeeper::kept(const PicturePtr& picture, int scale) const {
    if (!picture)
        return {};
    scale = scaleOf(picture, scale);
    if (paintsFromItself(picture, scale))
        return picture->decodeAt(scale);
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_kept.find(picture, {scale, {}});
}

std::vector<PictureKeeper::Wanted> PictureKeeper::wanted(const std::vector<PicturePtr>& next,
                                                         QSize shownSize, const QRect& part) const {
    std::vector<Wanted> wanted;
    for (const PicturePtr& picture : next) {
        if (!picture)
            continue;
        const int scale = picture->scaleShownAt(shownSize); // empty: the level
        if (paintsFromItself(picture, scale))
            continue;
        const QRect region = part & QRect(QPoint(0, 0), picture->size());
        if (picture->zoomedPastLevel(shownSize) && !region.isEmpty() &&
            m_kept.find(picture, {1, {}}).isNull()) {
            wanted.push_back({picture, {1, region}, qint64(region.width()) * region.height() * 4});
            continue;
        }
        // About what one decode holds: the latest's at that scale, else the most a picture of
        // that size holds.
        const QSize size = reducedSize(picture->size(), scale);
        const qint64 bytes = m_decodeScale == scale && m_decodeBytes > 0
                                 ? m_decodeBytes
                                 : decodedPictureBytes(size.width(), size.height());
        wanted.push_back({picture, {scale, {}}, bytes});
    }
    return wanted;
}

void PictureKeeper::ahead(const std::vector<PicturePtr>& next, QSize shownSize, QRect part) {
    m_pool.clear();
    std::vector<Wanted> waiting;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const std::vector<Wanted> all = wanted(next, shownSize, part);
        // The nearest, as many as half the byte cap holds (one at least).
        std::size_t taken = 0;
        for (qint64 bytes = 0; taken < all.size(); ++taken) {
            bytes += std::max<qint64>(1, all[taken].bytes);
            if (taken > 0 && bytes > m_kept.byteCap() / 2)
                break;
        }
        // The furthest first, so that the nearest ends up the most recently asked for.
        for (std::size_t i = taken; i-- > 0;)
            if (!m_kept.askAgain(all[i].picture, all[i].key))
                waiting.insert(waiting.begin(), all[i]);
    }
    // Regions ahead are asked for while a key is held at a zoom past the screen level, where the
    // window thread mostly waits for them: they take every core.
    if (!m_fixedWorkers) {
        const bool regions = !waiting.empty() && waiting.front().key.isRegion();
        const int cores = QThread::idealThreadCount();
        m_pool.setMaxThreadCount(regions ? cores : std::max(1, cores - 1));
    }
    for (const Wanted& one : waiting)
        m_pool.start([this, one] {
            lowerThisThread();
            decode(one.picture, one.key, false);
        });
}

void PictureKeeper::follow(const PicturePtr& onScreen, QSize shownPixels, bool turned,
                           std::vector<PicturePtr> next, QRect part) {
    m_following = onScreen;
    m_rest.stop(); // every turn or zoom starts the rest again
    if (!onScreen)
        return;
    // Past the screen level a zoom asks for the shown photo whole, its paints reading regions of
    // it until it is there; while turning, a whole decode of a camera photo takes longer than a
    // held key's step, so the pictures next are decoded as the part shown and the shown one
    // whole after the rest.
    const bool past = onScreen->zoomedPastLevel(shownPixels);
    const bool wholeFirst = past && !turned;
    if (wholeFirst)
        next.insert(next.begin(), onScreen);
    if (!past || wholeFirst)
        part = QRect();
    if (past || !onScreen->isDecoded())
        // Once the turn is painted, so the work ahead does not compete with the paint; dropped
        // when another picture is shown by then (a later turn, another package).
        QTimer::singleShot(0, &m_context, [this, next, onScreen, shownPixels, part] {
            if (samePicture(m_following, onScreen))
                ahead(next, shownPixels, part);
        });
    if (!wholeFirst && onScreen->levelDenominator() > 1)
        m_rest.start(kRestMs);
}

void PictureKeeper::wholeAhead(const PicturePtr& picture) {
    if (!picture || paintsFromItself(picture, 1))
        return;
    m_pool.start([this, picture] {
        lowerThisThread();
        decode(picture, {1, {}}, false);
    });
}

void PictureKeeper::clear() {
    m_rest.stop();
    m_following.reset();
    m_views.clear();
    m_pool.clear();
    m_pool.waitForDone();
    KeptDecodes dropped(0, 0);
    std::lock_guard<std::mutex> lock(m_mutex);
    std::swap(dropped, m_kept);
    m_kept = KeptDecodes(kKeptDecodes, dropped.byteCap());
}

void PictureKeeper::waitForDone() {
    m_pool.waitForDone();
}

qint64 PictureKeeper::shownDecodes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shownDecodes;
}

std::size_t PictureKeeper::keptCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_kept.size();
}
