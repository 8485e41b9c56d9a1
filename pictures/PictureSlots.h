#pragma once

#include "format/Navigation.h"
#include "pictures/Picture.h"

#include <cstdint>
#include <vector>

// The pictures of the loaded package, by slot:
//   0 .. N-1        the horizontal ring, position by position
//   N               no picture (the wrap-around position of the horizontal scroll bar)
//   N+1 .. N+V      the upper rings, column by column ascending, rows 2, 3, ... within a column
//   N+V+1 .. N+V+M  the lower rings, in the same order
// and the two ring maps (indices 0 .. N): the slot of the row-2 picture of the ring that branches
// off at that horizontal position, or kNoRing.
struct PictureSlots {
    static constexpr std::uint8_t kNoRing = navigation::kNoRing;

    std::vector<PicturePtr> pictures; // a null pointer: the slot holds no picture
    std::vector<std::uint8_t> UpperRing;
    std::vector<std::uint8_t> LowerRing;

    // The picture held by a slot, or null when the slot is outside or empty.
    PicturePtr at(int slot) const {
        if (slot < 0 || static_cast<std::size_t>(slot) >= pictures.size())
            return nullptr;
        return pictures[static_cast<std::size_t>(slot)];
    }

    // How many slots hold a picture.
    int heldCount() const {
        int held = 0;
        for (const PicturePtr& picture : pictures)
            held += picture ? 1 : 0;
        return held;
    }

    void clear() { *this = PictureSlots{}; }
};
