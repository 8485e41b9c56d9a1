// The rule of which decodes are kept and which are pushed out.
#include "KeptDecodes.h"

#include <algorithm>
#include <iterator>

bool samePicture(const std::weak_ptr<const Picture>& a, const PicturePtr& b) {
    return b && !a.expired() && !a.owner_before(b) && !b.owner_before(a);
}

std::deque<KeptDecodes::Entry>::iterator KeptDecodes::locate(const PicturePtr& picture,
                                                             const DecodeKey& key) {
    return std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return entry.key == key && samePicture(entry.picture, picture);
    });
}

qint64 KeptDecodes::bytes() const {
    qint64 total = 0;
    for (const Entry& entry : m_entries)
        total += entry.bytes;
    return total;
}

std::vector<Picture::Pixels> KeptDecodes::keep(const PicturePtr& picture, Picture::Pixels pixels,
                                               qint64 bytes, bool shown, DecodeKey key) {
    std::vector<Picture::Pixels> dropped;
    const auto old = locate(picture, key);
    if (old != m_entries.end()) {
        dropped.push_back(std::move(old->pixels));
        m_entries.erase(old);
    }
    m_entries.push_front({picture, key, std::move(pixels), bytes});
    if (shown) {
        m_shown = picture;
        m_shownKey = key;
    }
    std::vector<Picture::Pixels> trimmed = trim();
    dropped.insert(dropped.end(), trimmed.begin(), trimmed.end());
    return dropped;
}

bool KeptDecodes::askAgain(const PicturePtr& picture, DecodeKey key) {
    const auto it = locate(picture, key);
    if (it == m_entries.end())
        return false;
    Entry entry = std::move(*it);
    m_entries.erase(it);
    m_entries.push_front(std::move(entry));
    return true;
}

Picture::Pixels KeptDecodes::find(const PicturePtr& picture, DecodeKey key) const {
    for (const Entry& entry : m_entries)
        if (entry.key == key && samePicture(entry.picture, picture))
            return entry.pixels;
    return {};
}

std::pair<Picture::Pixels, QRect> KeptDecodes::findCovering(const PicturePtr& picture,
                                                            const QRect& part) const {
    for (const Entry& entry : m_entries)
        if (entry.key.isRegion() && entry.key.part.contains(part) &&
            samePicture(entry.picture, picture))
            return {entry.pixels, entry.key.part};
    return {};
}

std::vector<Picture::Pixels> KeptDecodes::setByteCap(qint64 byteCap) {
    m_byteCap = byteCap;
    return trim();
}

bool KeptDecodes::pinned(const Entry& entry) const {
    return !m_shown.expired() && entry.key == m_shownKey && !entry.picture.owner_before(m_shown) &&
           !m_shown.owner_before(entry.picture);
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
        if (pinned(*last))
            --last;
        total -= last->bytes;
        dropped.push_back(std::move(last->pixels));
        m_entries.erase(last);
    }
    return dropped;
}
