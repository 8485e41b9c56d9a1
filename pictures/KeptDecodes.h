#pragma once

#include "pictures/LeastRecentlyUsed.h"
#include "pictures/Picture.h"

#include <QRect>
#include <cstddef>
#include <memory>
#include <vector>

// What one decode of a picture is: the picture at a scale (1 the whole picture; 2, 4 or 8
// reduced), or a region of the whole picture (`part` not null: the pixels of the picture's own
// decode in that rectangle, as a paint past the screen level reads them).
struct DecodeKey {
    int scale = 1;
    QRect part;

    bool isRegion() const { return !part.isNull(); }
    bool operator==(const DecodeKey&) const = default;
};

// The decodes of pictures, kept by the caches' one rule (LeastRecentlyUsed) in order of their last
// use: the decode shown is pinned (a repaint never decodes); otherwise the most recently shown,
// decoded ahead or asked for again come first, and decodes of pictures freed go first. At most
// `most` of them, and at most a cap of bytes beyond the latest two (cacheBounds::kDecodes).
// Decodes of whole pictures and of regions alike. No threads and no decoding: the rule alone, for
// PictureKeeper.
class KeptDecodes {
public:
    KeptDecodes(std::size_t most, qint64 byteCap)
        : m_entries({most, byteCap, cacheBounds::kDecodesBeyondTheCap}) {}

    // Puts `picture`'s decode first (replacing one kept for it); `pin` pins it. Returns the
    // decodes it pushes out, for the caller to free outside its lock.
    std::vector<Picture::Pixels> keep(const PicturePtr& picture, Picture::Pixels pixels,
                                      qint64 bytes, bool pin, DecodeKey key = {});
    // Moves a kept decode first; false when none is kept for `picture` at `key`.
    bool askAgain(const PicturePtr& picture, DecodeKey key = {});
    // The kept decode of `picture` at `key`, or null pixels.
    Picture::Pixels find(const PicturePtr& picture, DecodeKey key = {}) const;
    // A kept region of `picture` that holds all of `part`: its pixels and where it lies; null
    // pixels when none does.
    std::pair<Picture::Pixels, QRect> findCovering(const PicturePtr& picture,
                                                   const QRect& part) const;
    // Changes the byte cap; returns the decodes it pushes out.
    std::vector<Picture::Pixels> setByteCap(qint64 byteCap);
    void clear() { m_entries.clear(); }

    std::size_t size() const { return m_entries.size(); }
    qint64 bytes() const { return m_entries.bytes(); }
    qint64 byteCap() const { return m_entries.bounds().byteCap; }

private:
    struct Entry {
        std::weak_ptr<const Picture> picture;
        DecodeKey key;
        Picture::Pixels pixels;
    };
    bool pinned(const Entry& entry) const;
    std::vector<Picture::Pixels> trim();

    LeastRecentlyUsed<Entry> m_entries;
    std::weak_ptr<const Picture> m_pin; // the pin, with its key
    DecodeKey m_pinKey;
};

// Owner equality: a picture freed and another made at its address never match.
bool samePicture(const std::weak_ptr<const Picture>& a, const PicturePtr& b);
