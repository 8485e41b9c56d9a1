#pragma once

#include <QImage>
#include <QString>
#include <vector>

class SpinSource;

// The frames of one turn of a ring for an animated picture or a video: which slots, in turning
// order, at which size, and how long each frame stays.
struct RingFrames {
    std::vector<int> slots;
    QSize size;             // every frame's size
    double turnSeconds = 6; // one turn

    // Frame i's start within one turn, in whole units of `unitsPerSecond` (milliseconds: 1000;
    // GIF's hundredths: 100), spread so that one turn lasts exactly turnSeconds (rounded).
    long long startOf(int i, int unitsPerSecond) const;

    // The ring's frames (see ringSlots) fitted into longestSide; `evenSize` rounds the size down
    // to even numbers (as 4:2:0 video needs). error is set when the package has no such ring.
    static RingFrames plan(const SpinSource& source, int ring, int longestSide, double turnSeconds,
                           bool evenSize, QString& error);

    // Frame i from the source, exactly size() large, 32-bit RGB.
    QImage frame(const SpinSource& source, int i, int longestSide) const;
};
