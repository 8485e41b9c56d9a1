// The caches' one eviction rule, on plain numbers: what stays, in order, after items are put
// first one after another (each `bytes`) and the cache is trimmed.
#include "pictures/LeastRecentlyUsed.h"

#include <gtest/gtest.h>

namespace {

TEST(LeastRecentlyUsed, PushesOutTheGoneThenTheLeastRecentlyUsed) {
    const struct {
        const char* what;
        CacheBounds bounds;
        std::vector<int> put; // in order: the last is the most recent
        qint64 bytes;
        int gone;              // -1: none
        int pinned;            // -1: none
        std::vector<int> kept; // most recent first
    } cases[] = {
        {"past the count, the least recent go",
         {3, 1000, 0},
         {1, 2, 3, 4, 5},
         10,
         -1,
         -1,
         {5, 4, 3}},
        {"past the byte cap, the least recent go", {9, 25, 0}, {1, 2, 3, 4}, 10, -1, -1, {4, 3}},
        {"the pinned one stays", {3, 1000, 0}, {1, 2, 3, 4}, 10, -1, 1, {4, 3, 1}},
        {"the gone go first, however recent", {3, 1000, 0}, {1, 2, 3}, 10, 3, -1, {2, 1}},
        {"the latest stay whatever the cap", {9, 0, 2}, {1, 2, 3}, 10, -1, -1, {3, 2}},
        {"none stays past the cap (views)", {6, 5, 0}, {1}, 10, -1, -1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LeastRecentlyUsed<int> cache(c.bounds);
        for (const int item : c.put)
            cache.putFirst(item, c.bytes);
        const std::vector<int> dropped = cache.trim([&](int item) { return item == c.gone; },
                                                    [&](int item) { return item == c.pinned; });
        std::vector<int> kept;
        cache.forEach([&](int item) { kept.push_back(item); });
        EXPECT_EQ(kept, c.kept);
        EXPECT_EQ(kept.size() + dropped.size(), c.put.size());
    }
}

} // namespace
