// The rule of what is decoded ahead of compressed turning, in which order, what is kept and what is
// dropped, and the threads that do the decoding.
#include "PictureKeeper.h"

#include "pictures/DecodedBytes.h"
#include "pictures/JpegPlanes.h"
#include "pictures/LowPriority.h"
#include "pictures/ScreenLevel.h"

#include <QThread>
#include <algorithm>
#include <iterator>

namespace {

bool same(const std::weak_ptr<const Picture>& a, const PicturePtr& b) {
    // Owner equality: a picture freed and another made at its address never match.
    return b && !a.expired() && !a.owner_before(b) && !b.owner_before(a);
}

// The scale asked for: 0 stands for the picture's screen level.
int scaleOf(const PicturePtr& picture, int scale) {
    return scale > 0 ? scale : picture->levelScale();
}

// A picture at `scale` is painted from what it holds (no decode to keep) when it holds that scale
// or has no bytes to decode.
bool paintsFromItself(const PicturePtr& picture, int scale) {
    return picture->holds(scale) || !picture->hasFileBytes();
}

qint64 bytesOf(const Picture::Pixels& pixels) {
    return pixels.planes ? pixels.planes->heldBytes() : pixels.image.sizeInBytes();
}

} // namespace

// --- What is kept -------------------------------------------------------------------------------

std::deque<KeptDecodes::Entry>::iterator KeptDecodes::locate(const PicturePtr& picture, int scale) {
    return std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return entry.scale == scale && same(entry.picture, picture);
    });
}

qint64 KeptDecodes::bytes() const {
    qint64 total = 0;
    for (const Entry& entry : m_entries)
        total += entry.bytes;
    return total;
}

std::vector<Picture::Pixels> KeptDecodes::keep(const PicturePtr& picture, Picture::Pixels pixels,
                                               qint64 bytes, bool shown, int scale) {
    std::vector<Picture::Pixels> dropped;
    const auto old = locate(picture, scale);
    if (old != m_entries.end()) {
        dropped.push_back(std::move(old->pixels));
        m_entries.erase(old);
    }
    m_entries.push_front({picture, scale, std::move(pixels), bytes});
    if (shown) {
        m_shown = picture;
        m_shownScale = scale;
    }
    std::vector<Picture::Pixels> trimmed = trim();
    dropped.insert(dropped.end(), trimmed.begin(), trimmed.end());
    return dropped;
}

bool KeptDecodes::askAgain(const PicturePtr& picture, int scale) {
    const auto it = locate(picture, scale);
    if (it == m_entries.end())
        return false;
    Entry entry = std::move(*it);
    m_entries.erase(it);
    m_entries.push_front(std::move(entry));
    return true;
}

Picture::Pixels KeptDecodes::find(const PicturePtr& picture, int scale) const {
    for (const Entry& entry : m_entries)
        if (entry.scale == scale && same(entry.picture, picture))
            return entry.pixels;
    return {};
}

std::vector<Picture::Pixels> KeptDecodes::setByteCap(qint64 byteCap) {
    m_byteCap = byteCap;
    return trim();
}

std::vector<Picture::Pixels> KeptDecodes::trim() {
    std::vector<Picture::Pixels> dropped;
    // Decodes of pictures gone go first, then the least recently used; the latest two and the
    // pinned picture stay whatever the cap.
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->picture.expired()) {
            dropped.push_back(std::move(it->pixels));
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
    qint64 total = bytes();
    while (m_entries.size() > 2 && (m_entries.size() > m_most || total > m_byteCap)) {
        auto last = std::prev(m_entries.end());
        if (!m_shown.expired() && last->scale == m_shownScale &&
            !last->picture.owner_before(m_shown) && !m_shown.owner_before(last->picture))
            --last;
        total -= last->bytes;
        dropped.push_back(std::move(last->pixels));
        m_entries.erase(last);
    }
    return dropped;
}

// --- What is decoded ahead, in which order ------------------------------------------------------

std::vector<int> PictureKeeper::slotsAhead(const TurnPosition& at, int ahead) {
    std::vector<int> slots;
    if (at.hCount <= 0 || at.h < 0 || at.h >= at.hCount || !at.slotFor)
        return slots;
    auto add = [&slots](std::optional<int> slot) {
        if (slot && std::find(slots.begin(), slots.end(), *slot) == slots.end())
            slots.push_back(*slot);
    };
    // On a vertical ring a step goes to the next column that has rings: three columns on.
    const int step = (at.v == 1 ? 1 : 3) * (at.forward ? 1 : -1);
    for (int k = 1; k <= ahead; ++k) {
        const int column = ((at.h + k * step) % at.hCount + at.hCount) % at.hCount;
        const std::optional<int> slot = at.slotFor(column, at.v);
        add(slot ? slot : at.slotFor(column, 1));
    }
    add(at.slotFor(at.h, at.v + 1));
    add(at.slotFor(at.h, at.v - 1));
    return slots;
}

// --- The owner ----------------------------------------------------------------------------------

PictureKeeper::PictureKeeper(qint64 byteCap) : m_kept(kKeptDecodes, kMostKeptBytes), m_views(this) {
    setByteCap(byteCap);
    // The window thread keeps a core of its own.
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
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

bool PictureKeeper::underWay(const PicturePtr& picture, int scale) const {
    return std::any_of(m_busy.begin(), m_busy.end(), [&](const Busy& busy) {
        return busy.scale == scale && same(busy.picture, picture);
    });
}

bool PictureKeeper::decode(const PicturePtr& picture, int scale, bool shown) {
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (shown)
            m_done.wait(lock, [&] { return !underWay(picture, scale); });
        else if (underWay(picture, scale))
            return false;
        if (!m_kept.find(picture, scale).isNull())
            return false;
        m_busy.push_back({picture, scale});
    }
    Picture::Pixels pixels = picture->decodeAt(scale);
    std::vector<Picture::Pixels> dropped;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_busy.erase(std::find_if(m_busy.begin(), m_busy.end(), [&](const Busy& busy) {
        return busy.scale == scale && same(busy.picture, picture);
    }));
    m_done.notify_all();
    if (pixels.isNull())
        return true;
    m_decodeBytes = bytesOf(pixels);
    m_decodeScale = scale;
    dropped = m_kept.keep(picture, std::move(pixels), m_decodeBytes, shown, scale);
    if (shown)
        ++m_shownDecodes;
    return true;
}

Picture::Pixels PictureKeeper::shown(const PicturePtr& picture, int scale) {
    if (!picture)
        return {};
    scale = scaleOf(picture, scale);
    if (paintsFromItself(picture, scale))
        return picture->decodeAt(scale);
    // Kept already (a repaint, or decoded ahead), else decoded now: waited for when its decode
    // ahead is under way.
    Picture::Pixels pixels = pin(picture, scale);
    if (pixels.isNull()) {
        decode(picture, scale, true);
        pixels = pin(picture, scale);
    }
    return pixels;
}

Picture::Pixels PictureKeeper::pin(const PicturePtr& picture, int scale) {
    std::vector<Picture::Pixels> dropped;
    std::lock_guard<std::mutex> lock(m_mutex);
    Picture::Pixels pixels = m_kept.find(picture, scale);
    if (!pixels.isNull())
        dropped = m_kept.keep(picture, pixels, bytesOf(pixels), true, scale);
    return pixels;
}

Picture::Pixels PictureKeeper::kept(const PicturePtr& picture, int scale) const {
    if (!picture)
        return {};
    scale = scaleOf(picture, scale);
    if (paintsFromItself(picture, scale))
        return picture->decodeAt(scale);
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_kept.find(picture, scale);
}

void PictureKeeper::ahead(const std::vector<PicturePtr>& next, QSize shownSize) {
    m_pool.clear();
    struct Wanted {
        PicturePtr picture;
        int scale;
    };
    std::vector<Wanted> wanted;
    for (const PicturePtr& picture : next) {
        if (!picture)
            continue;
        const int scale = picture->scaleShownAt(shownSize); // empty: the level
        if (!paintsFromItself(picture, scale))
            wanted.push_back({picture, scale});
    }
    std::vector<Wanted> waiting;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // About what one decode holds: the latest's at that scale, else the most a picture of
        // that size holds.
        qint64 decodeBytes = 0;
        if (!wanted.empty() && m_decodeScale == wanted.front().scale)
            decodeBytes = m_decodeBytes;
        if (decodeBytes == 0 && !wanted.empty()) {
            const QSize size = reducedSize(wanted.front().picture->size(), wanted.front().scale);
            decodeBytes = decodedPictureBytes(size.width(), size.height());
        }
        decodeBytes = std::max<qint64>(1, decodeBytes);
        const std::size_t fit =
            std::size_t(std::max<qint64>(1, m_kept.byteCap() / 2 / decodeBytes));
        const std::size_t taken = std::min(wanted.size(), fit);
        // The furthest first, so that the nearest ends up the most recently asked for.
        for (std::size_t i = taken; i-- > 0;)
            if (!m_kept.askAgain(wanted[i].picture, wanted[i].scale))
                waiting.insert(waiting.begin(), wanted[i]);
    }
    for (const Wanted& one : waiting)
        m_pool.start([this, one] {
            lowerThisThread();
            decode(one.picture, one.scale, false);
        });
}

void PictureKeeper::wholeAhead(const PicturePtr& picture) {
    if (!picture || paintsFromItself(picture, 1))
        return;
    m_pool.start([this, picture] {
        lowerThisThread();
        decode(picture, 1, false);
    });
}

void PictureKeeper::clear() {
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
