#pragma once

#include "support/TempDir.h"

#include <QByteArray>
#include <QString>
#include <functional>

// Sends the audio output of this process to a file through SDL's disk driver, which writes the
// raw samples of the opened format (here 16-bit signed, interleaved) as fast as they are produced
// when its delay is 0. Must exist before the first media command of a test; restores the driver
// choice afterwards. Positions are byte offsets in the file; waits are bounded by a deadline and
// only fail the test when the output stops growing altogether.
class DiskAudio {
public:
    DiskAudio();
    ~DiskAudio();

    QString file() const { return m_file; }

    // Bytes of output written so far.
    qint64 size() const;

    // Bytes of output per second of sound (from the format the mixer opened).
    qint64 bytesPerSecond() const;

    // Waits until the output holds at least `bytes` bytes. False when it did not get there.
    bool waitForSize(qint64 bytes) const;

    // Root mean square of the samples in [from, from + length).
    double rms(qint64 from, qint64 length) const;

    // The sample track of the package tests, 7.3 s long.
    static QString sampleTrack();
    static constexpr double kSampleSeconds = 7.3;
    static constexpr double kAudible = 500.0; // the track's quarter-seconds lie well above this

private:
    TempDir m_dir;
    QString m_file;
    QByteArray m_savedDriver;
};

// Polls `done` until it holds or a generous deadline passes.
bool waitUntil(const std::function<bool()>& done);
