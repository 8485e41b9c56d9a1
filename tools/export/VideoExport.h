#pragma once

#include <QString>

class ProgressReporter;
class SpinSource;
struct RingFrames;

// Writes turns of a ring as a video through the FFmpeg libraries: MP4 with H.264 (libx264,
// 4:2:0, the index at the front so that it plays while it loads) or WebM with VP9.
class VideoExport {
public:
    enum class Format { Mp4, WebM };

    struct Options {
        Format format = Format::Mp4;
        int longestSide = 1280;
        int turns = 1;
        int ahead = 0; // frames made ahead at once; 0: one a core
    };

    VideoExport(const SpinSource& source, const RingFrames& frames, Options options);

    // False when a frame could not be made, the encoder refused, the file could not be written,
    // or the export was interrupted.
    bool write(const QString& path, ProgressReporter& progress);
    const QString& error() const { return m_error; }

private:
    const SpinSource& m_source;
    const RingFrames& m_frames;
    Options m_options;
    QString m_error;
};
