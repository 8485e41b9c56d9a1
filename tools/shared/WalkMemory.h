#pragma once

#include "opening/FreeMemorySource.h"

#include <algorithm>
#include <limits>

// The free memory a PackageWalk's opening plans with. The opening shares the free memory among
// every picture of a package, as the viewer holds them all at once; a walk holds one picture for
// each decode in flight. While the walk's opening probes the first picture (whose header the walk
// has weighed against the whole free memory itself), the figure is the free memory times the
// pictures, so that the opening's share for that one picture is the free memory; otherwise it is
// the free memory as it is.
class WalkMemory : public FreeMemorySource {
public:
    explicit WalkMemory(const FreeMemorySource& free) : m_free(free) {}

    void shareAmong(qint64 pictures) { m_pictures = std::max<qint64>(1, pictures); }

    qint64 availableBytes() const override {
        const qint64 free = m_free.availableBytes();
        return free > std::numeric_limits<qint64>::max() / m_pictures
                   ? std::numeric_limits<qint64>::max()
                   : free * m_pictures;
    }

private:
    const FreeMemorySource& m_free;
    qint64 m_pictures = 1;
};
