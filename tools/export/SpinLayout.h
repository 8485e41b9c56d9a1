#pragma once

#include <QRectF>
#include <QSize>
#include <QString>
#include <cstdint>
#include <vector>

// What an export needs to know of a package besides its pictures: how many positions the
// horizontal ring has, where the vertical rings branch off and how many rows they have, the
// member name of every picture slot and the hot spots. The slots are numbered as the viewer
// holds them (0 .. N-1 the horizontal ring, then the upper rings, then the lower rings).
struct SpinLayout {
    QString title;     // the package's name (its descriptor's, make's --name)
    QSize pictureSize; // every picture's natural size in pixels
    int horizontalCount = 0;
    std::vector<std::uint8_t> UpperRing; // indices 0 .. N, as the viewer holds them (or kNoRing)
    std::vector<std::uint8_t> LowerRing;
    int upperRows = 0; // rows per upper ring loaded (0 when there are none)
    int lowerRows = 0;
    std::vector<QString> memberNames; // by slot; empty where the slot holds no picture

    // Every hot spot's rectangle in picture pixels on each horizontal position that has one
    // (positions without a rectangle, or with an empty one, are left out); spot counts from 1 as
    // the descriptor does.
    struct HotSpot {
        int spot = 1;
        int position = 0;
        QRectF rect;
    };
    std::vector<HotSpot> hotSpots;

    // True when the slot holds a picture.
    bool holds(int slot) const {
        return slot >= 0 && std::size_t(slot) < memberNames.size() &&
               !memberNames[std::size_t(slot)].isEmpty();
    }
};
