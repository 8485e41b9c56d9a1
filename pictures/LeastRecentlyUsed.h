#pragma once

#include "pictures/CacheBounds.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

// The one eviction rule of the caches of decodes and of views: items in order of their last use,
// the most recent first. Trimming pushes out the items gone first (their picture freed, or made
// for another placement), then the least recently used while there are more than the bounds allow
// (CacheBounds), never a pinned one nor while no more than the latest `alwaysKept` remain. No lock
// and no freeing of its own: the caller holds its lock and lets the items pushed out go outside it.
template <typename Item> class LeastRecentlyUsed {
public:
    explicit LeastRecentlyUsed(CacheBounds bounds) : m_bounds(bounds) {}

    // The most recent item `match` accepts; null when none does.
    template <typename Match> Item* find(Match match) {
        const auto it = locate(match);
        return it == m_slots.end() ? nullptr : &it->item;
    }
    template <typename Match> const Item* find(Match match) const {
        return const_cast<LeastRecentlyUsed*>(this)->find(match);
    }

    // Takes out the most recent item `match` accepts.
    template <typename Match> std::optional<Item> take(Match match) {
        const auto it = locate(match);
        if (it == m_slots.end())
            return std::nullopt;
        Item item = std::move(it->item);
        m_slots.erase(it);
        return item;
    }

    // Puts `item`, holding `bytes`, first (as the most recently used).
    void putFirst(Item item, qint64 bytes) { m_slots.push_front({std::move(item), bytes}); }

    // Moves the most recent item `match` accepts first; false when none does.
    template <typename Match> bool moveFirst(Match match) {
        const auto it = locate(match);
        if (it == m_slots.end())
            return false;
        Slot slot = std::move(*it);
        m_slots.erase(it);
        m_slots.push_front(std::move(slot));
        return true;
    }

    // Pushes out the items `gone` accepts, then the least recently used that `pinned` does not
    // accept while past the bounds; returns them.
    template <typename Gone, typename Pinned> std::vector<Item> trim(Gone gone, Pinned pinned) {
        std::vector<Item> dropped;
        for (auto it = m_slots.begin(); it != m_slots.end();) {
            if (gone(std::as_const(it->item))) {
                dropped.push_back(std::move(it->item));
                it = m_slots.erase(it);
            } else {
                ++it;
            }
        }
        qint64 total = bytes();
        while (m_slots.size() > m_bounds.alwaysKept &&
               (m_slots.size() > m_bounds.most || total > m_bounds.byteCap)) {
            const auto last = std::find_if(m_slots.rbegin(), m_slots.rend(),
                                           [&](const Slot& s) { return !pinned(s.item); });
            if (last == m_slots.rend())
                break;
            total -= last->bytes;
            dropped.push_back(std::move(last->item));
            m_slots.erase(std::next(last).base());
        }
        return dropped;
    }

    // Every item, the most recent first.
    template <typename Visit> void forEach(Visit visit) const {
        for (const Slot& slot : m_slots)
            visit(slot.item);
    }

    void setByteCap(qint64 byteCap) { m_bounds.byteCap = byteCap; }
    const CacheBounds& bounds() const { return m_bounds; }
    std::size_t size() const { return m_slots.size(); }
    qint64 bytes() const {
        qint64 total = 0;
        for (const Slot& slot : m_slots)
            total += slot.bytes;
        return total;
    }
    void clear() { m_slots.clear(); }

private:
    struct Slot {
        Item item;
        qint64 bytes = 0;
    };
    template <typename Match> typename std::deque<Slot>::iterator locate(Match match) {
        return std::find_if(m_slots.begin(), m_slots.end(),
                            [&](const Slot& slot) { return match(slot.item); });
    }

    CacheBounds m_bounds;
    std::deque<Slot> m_slots;
};
