#pragma once

#include "pictures/PlaneKernels.h"

#include <cstddef>
#include <cstdint>

// Converts rows of a JPEG picture's Y/Cb/Cr planes, at their own subsampling, into 32-bit pixels
// 0xffRRGGBB, exactly as libjpeg-turbo's default decode does:
//   - chroma stored at half width (4:2:2) or half width and height (4:2:0) is upsampled with the
//     triangle filter ("fancy" upsampling): 3/4 of the nearer sample and 1/4 of the further one in
//     each halved direction, with its alternating rounding bias (+1/+2 across, +8/+7 for 4:2:0);
//     the edges repeat the first and last sample, rows and columns alike. A chroma plane only one
//     or two samples wide is replicated instead (the library does not filter so narrow a plane);
//   - Y/Cb/Cr become R/G/B through the library's fixed-point tables (16 fraction bits, rounding
//     added before the shift, the result clamped to 0..255); grey pictures copy Y to R, G and B.
// Only the columns and rows asked for are computed; the inner loops are the kernels of one
// instruction set (PlaneKernels.h), the process's own choice unless another table is passed.
namespace planes {

enum class Chroma {
    None,   // greyscale: Y only
    Full,   // 4:4:4
    HalfH,  // 4:2:2: chroma at half width
    HalfHV, // 4:2:0: chroma at half width and half height
};

struct Plane {
    const std::uint8_t* data = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0; // samples that belong to the picture
    int height = 0;
};

struct Source {
    Chroma chroma = Chroma::None;
    Plane y, cb, cr;
};

// Writes the pixels of columns [x0, x1) of row `row` to out[0 .. x1 - x0). The range must lie
// inside the picture (the luma plane's width and height).
void convertRow(const Source& source, int row, int x0, int x1, std::uint32_t* out,
                const Kernels& kernels = planes::kernels());

} // namespace planes
