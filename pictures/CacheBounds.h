#pragma once

#include <QtGlobal>
#include <cstddef>

// The bounds of a cache kept by LeastRecentlyUsed: at most `most` entries, and at most `byteCap`
// bytes of them beyond the latest `alwaysKept`, which stay whatever the cap.
struct CacheBounds {
    std::size_t most = 0;
    qint64 byteCap = 0;
    std::size_t alwaysKept = 0;
};

// Every bound of the caches of decodes and of views, in one place.
namespace cacheBounds {

// The decodes the keeper keeps (PictureKeeper, KeptDecodes): 12 decodes, and beyond the latest two
// a byte cap the opening's memory check sets (half the memory left once the pictures are held),
// never above kMostKeptBytes. The memory check counts the cap and the latest two.
inline constexpr std::size_t kKeptDecodes = 12;
inline constexpr qint64 kMostKeptBytes = qint64(256) << 20;
inline constexpr std::size_t kDecodesBeyondTheCap = 2;
inline constexpr CacheBounds kDecodes{kKeptDecodes, kMostKeptBytes, kDecodesBeyondTheCap};

// The views painted ahead of a turn (ViewsAhead): 6 views and 64 MB of them (a view holds the
// exposed part of one window: 8 MB for a 1920 x 1080 screen); none kept past the cap.
inline constexpr std::size_t kViews = 6;
inline constexpr qint64 kViewBytes = qint64(64) << 20;
inline constexpr CacheBounds kViewsAhead{kViews, kViewBytes, 0};

} // namespace cacheBounds
