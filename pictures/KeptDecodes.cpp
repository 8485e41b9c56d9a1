// Which decodes are kept and which are pushed out, by the caches' one rule.
#include "KeptDecodes.h"

bool samePicture(const std::weak_ptr<const Picture>& a, const PicturePtr& b) {
    return b && !a.expired() && !a.owner_before(b) && !b.owner_before(a);
}

namespace {

auto sameDecode(const PicturePtr& picture, const DecodeKey& key) {
    return [&picture, &key](const auto& entry) {
        return entry.key == key && samePicture(entry.picture, picture);
    };
}

} // namespace

std::vector<Picture::Pixels> KeptDecodes::keep(const PicturePtr& picture, Picture::Pixels pixels,
                                               qint64 bytes, bool pin, DecodeKey key) {
    std::vector<Picture::Pixels> dropped;
    if (auto old = m_entries.take(sameDecode(picture, key)))
        dropped.push_back(std::move(old->pixels));
    m_entries.putFirst({picture, key, std::move(pixels)}, bytes);
    if (pin) {
        m_pin = picture;
        m_pinKey = key;
    }
    std::vector<Picture::Pixels> trimmed = trim();
    dropped.insert(dropped.end(), trimmed.begin(), trimmed.end());
    return dropped;
}

bool KeptDecodes::askAgain(const PicturePtr& picture, DecodeKey key) {
    return m_entries.moveFirst(sameDecode(picture, key));
}

Picture::Pixels KeptDecodes::find(const PicturePtr& picture, DecodeKey key) const {
    const Entry* entry = m_entries.find(sameDecode(picture, key));
    return entry ? entry->pixels : Picture::Pixels{};
}

std::pair<Picture::Pixels, QRect> KeptDecodes::findCovering(const PicturePtr& picture,
                                                            const QRect& part) const {
    const Entry* entry = m_entries.find([&](const Entry& e) {
        return e.key.isRegion() && e.key.part.contains(part) && samePicture(e.picture, picture);
    });
    return entry ? std::pair(entry->pixels, entry->key.part) : std::pair<Picture::Pixels, QRect>();
}

std::vector<Picture::Pixels> KeptDecodes::setByteCap(qint64 byteCap) {
    m_entries.setByteCap(byteCap);
    return trim();
}

bool KeptDecodes::pinned(const Entry& entry) const {
    return !m_pin.expired() && entry.key == m_pinKey && !entry.picture.owner_before(m_pin) &&
           !m_pin.owner_before(entry.picture);
}

std::vector<Picture::Pixels> KeptDecodes::trim() {
    // Decodes of pictures gone go first, then the least recently used; the latest two and the
    // pinned picture stay whatever the cap.
    std::vector<Entry> pushedOut =
        m_entries.trim([](const Entry& entry) { return entry.picture.expired(); },
                       [this](const Entry& entry) { return pinned(entry); });
    std::vector<Picture::Pixels> dropped;
    dropped.reserve(pushedOut.size());
    for (Entry& entry : pushedOut)
        dropped.push_back(std::move(entry.pixels));
    return dropped;
}
