#pragma once

#include <cstdint>

class JpegPlanes;

// The chroma of a 4:2:0 photo decoded reduced by the DCT scaling comes out of libjpeg-turbo with as
// many samples as luma (the library scales chroma up in its IDCT rather than upsampling it). A
// screen level holds it back at half width and height, 1.5 bytes a pixel as the file has it: each
// held sample is the mean of the 2 x 2 decoded samples it covers, rounded to nearest.
namespace planes {

// Writes the (width + 1) / 2 half-width samples of the decoded rows `top` and `bottom` (pass
// `top` twice for a last row without a partner) to `out`; `width` is how many samples of the rows
// belong to the picture: a last column without a partner is paired with itself.
void halveChromaRows(const std::uint8_t* top, const std::uint8_t* bottom, int width,
                     std::uint8_t* out);

// Where the decoded chroma rows of one iMCU row go before they are halved into the planes: `rows`
// rows of `stride` samples for Cb, then as many for Cr; `width` x `height` samples of each decoded
// plane belong to the picture. No samples: the chroma is not halved.
struct ChromaBand {
    std::uint8_t* samples = nullptr;
    int stride = 0;
    int rows = 0; // even
    int width = 0;
    int height = 0;
};

// Halves the chroma rows of iMCU row `index`, decoded into `band`, into the planes' Cb and Cr.
void halveBand(const ChromaBand& band, JpegPlanes& planes, int index);

} // namespace planes
