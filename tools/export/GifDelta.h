#pragma once

#include <QRect>
#include <QRgb>
#include <QSize>
#include <vector>

// How each frame of an animated GIF is stored against the frame shown before it, which stays on
// the screen beneath it: only the rectangle where the two differ, with the pixels that do not
// change marked transparent (kKept), so the compressor sees long runs of one value. A pixel whose
// colour lies within a tolerance of the colour already shown there keeps that colour, so neither
// the noise of the photos nor the dither pattern flickers where the picture stands still.
// Frames are palette indices, `width` a row, rows one after the other. Pure functions.
class GifDelta {
public:
    // The palette entry the quantiser never gives (it makes at most 255 colours), marking kept
    // pixels.
    static constexpr unsigned char kKept = 255;

    // Sets each index of `frame` to the one of `before` where the pixel's colour (`rgba`, 4 bytes
    // a pixel, red first) is within `tolerance` of that entry's colour in `palette` in every
    // channel.
    static void keepSimilar(std::vector<unsigned char>& frame,
                            const std::vector<unsigned char>& before, const unsigned char* rgba,
                            const std::vector<QRgb>& palette, int tolerance);

    // The smallest rectangle holding every pixel where `frame` differs from `before`; a single
    // pixel at the corner when none does.
    static QRect changedPart(const std::vector<unsigned char>& before,
                             const std::vector<unsigned char>& frame, int width);

    // The pixels of `part`, row by row: the frame's index, or kKept where it equals `before`.
    static std::vector<unsigned char> partPixels(const std::vector<unsigned char>& before,
                                                 const std::vector<unsigned char>& frame, int width,
                                                 QRect part);
};
