#pragma once

#include <QFuture>
#include <QImage>
#include <QThreadPool>
#include <deque>

class SpinSource;
struct RingFrames;

// The frames of an animation, made (decoded and scaled) ahead on a pool of threads of its own
// while the caller encodes the one before, and handed out strictly in order. Frame i of `total`
// is frame i mod n of the ring's n frames, so a video of several turns walks the ring again.
// At most `ahead` frames are made or waiting at once, so memory stays at a few frames.
// Not thread-safe itself: one caller takes the frames. The destructor waits for the frames still
// being made.
class FramePipeline {
public:
    FramePipeline(const SpinSource& source, const RingFrames& frames, int longestSide, int total,
                  int ahead = 0); // 0: as many as the machine has cores
    ~FramePipeline();
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    // The next frame in order (exactly the frames' size, 32-bit RGB); null when it did not decode
    // or every frame has been taken.
    QImage next();

private:
    void fill();

    const SpinSource& m_source;
    const RingFrames& m_frames;
    const int m_longestSide;
    const int m_total;
    int m_ahead;
    int m_started = 0;
    QThreadPool m_pool;
    std::deque<QFuture<QImage>> m_pending;
};
