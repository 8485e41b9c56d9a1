#pragma once

#include "format/RingGeometry.h"
#include "opening/PictureLoader.h"

#include <QString>
#include <functional>
#include <utility>
#include <vector>

// The loader's list of an opening's pictures, in slot order (horizontal ring, upper rings, lower
// rings; see PictureSlots.h), each with its progress lines, and the slot of each ring's first row.
struct PictureJobs {
    // One side's rings: how many pictures, how many rows a column, and where the columns are.
    struct Rings {
        int count = 0;
        int rows = 0;
        const RingGeometry* geometry = nullptr;
    };

    std::vector<PictureLoader::Job> jobs;
    std::vector<std::pair<int, int>> upperStarts; // (column, slot of its first row)
    std::vector<std::pair<int, int>> lowerStarts;

    // `pathOf` gives the extracted file of a member name.
    static PictureJobs build(const QString& fileName, const QString& fileType, int horizontal,
                             Rings upper, Rings lower,
                             const std::function<QString(const QString&)>& pathOf);

    // The order a viewer loads the jobs in, as indices into `jobs`: the horizontal picture shown
    // first (position 0), then its neighbours on both sides, nearest first (1, N-1, 2, N-2 ...),
    // then the rings in slot order.
    static std::vector<int> viewingOrder(int horizontal, int total);
};
