#pragma once

#include <QRgb>
#include <QString>

#include <vector>

class QFile;
struct GifFileType;

class ProgressReporter;
class SpinSource;
struct RingFrames;

// Writes one turn of a ring as an animated picture: WebP through libwebp's animation encoder, or
// GIF through giflib with one palette for all frames made by libimagequant from a few of them,
// each frame mapped to it with ordered dithering (GifPalette) and stored as what changed
// (GifDelta).
class AnimatedExport {
public:
    enum class Format { WebP, Gif };

    struct Options {
        Format format = Format::WebP;
        int longestSide = 640;
        int loop = 0; // how many times it plays; 0 for ever
        int quality = 80;
        int ahead = 0; // frames made ahead at once; 0: one a core
    };

    AnimatedExport(const SpinSource& source, const RingFrames& frames, Options options);

    // False when a frame could not be made or the file written, or the export was interrupted.
    bool write(const QString& path, ProgressReporter& progress);
    const QString& error() const { return m_error; }

private:
    bool writeWebP(const QString& path, ProgressReporter& progress);
    bool writeGif(const QString& path, ProgressReporter& progress);
    // One palette for the whole turn, so that the colours do not flicker from frame to frame.
    bool makePalette(std::vector<QRgb>& palette, ProgressReporter& progress);
    GifFileType* beginGif(QFile& file, const std::vector<QRgb>& palette) const;
    bool fail(const QString& error);

    const SpinSource& m_source;
    const RingFrames& m_frames;
    Options m_options;
    QString m_error;
};
