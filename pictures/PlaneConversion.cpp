#include "PlaneConversion.h"

#include <algorithm>
#include <vector>

namespace planes {
namespace {

// Scratch rows of the calling thread, grown as needed.
struct Scratch {
    std::vector<std::int16_t> sums;
    std::vector<std::uint8_t> cb, cr;
};

Scratch& scratch() {
    thread_local Scratch rows;
    return rows;
}

// The full-width chroma samples of output columns [x0, x1) of `row` for one chroma plane; in
// `out` unless the plane is not subsampled.
const std::uint8_t* upsampledChroma(const Source& source, const Plane& plane, int row, int x0,
                                    int x1, std::vector<std::uint8_t>& out,
                                    const Kernels& kernels) {
    if (source.chroma == Chroma::Full)
        return plane.data + std::ptrdiff_t(row) * plane.stride + x0;
    const bool halfHeight = source.chroma == Chroma::HalfHV;
    const int nearRow = halfHeight ? row / 2 : row;
    const std::uint8_t* near = plane.data + std::ptrdiff_t(nearRow) * plane.stride;
    const int c0 = x0 / 2;
    const int c1 = (x1 - 1) / 2;
    const int count = c1 - c0 + 1;
    if (out.size() < std::size_t(2 * count))
        out.resize(std::size_t(2 * count));
    if (plane.width <= 2) {
        // Too narrow for the filter: every sample is repeated (rows too, for 4:2:0).
        for (int x = x0; x < x1; ++x)
            out[std::size_t(x - x0)] = near[x / 2];
        return out.data();
    }
    std::vector<std::int16_t>& sums = scratch().sums;
    if (sums.size() < std::size_t(count + 2))
        sums.resize(std::size_t(count + 2));
    const int before = std::max(c0 - 1, 0);
    const int after = std::min(c1 + 1, plane.width - 1);
    if (halfHeight) {
        // The further row is the one above for even rows, below for odd ones, repeated at the
        // plane's first and last row.
        const int farRow =
            std::clamp(row % 2 == 0 ? nearRow - 1 : nearRow + 1, 0, plane.height - 1);
        const std::uint8_t* far = plane.data + std::ptrdiff_t(farRow) * plane.stride;
        kernels.columnSums(near + c0, far + c0, count, sums.data() + 1);
        sums[0] = std::int16_t(near[before] * 3 + far[before]);
        sums[std::size_t(count + 1)] = std::int16_t(near[after] * 3 + far[after]);
        kernels.widenHalfHV(sums.data(), count, out.data());
    } else {
        for (int c = c0; c <= c1; ++c)
            sums[std::size_t(c - c0 + 1)] = near[c];
        sums[0] = near[before];
        sums[std::size_t(count + 1)] = near[after];
        kernels.widenHalfH(sums.data(), count, out.data());
    }
    return out.data() + (x0 - 2 * c0);
}

} // namespace

void convertRow(const Source& source, int row, int x0, int x1, std::uint32_t* out,
                const Kernels& kernels) {
    if (x1 <= x0)
        return;
    const std::uint8_t* y = source.y.data + std::ptrdiff_t(row) * source.y.stride + x0;
    if (source.chroma == Chroma::None) {
        kernels.colour(y, nullptr, nullptr, x1 - x0, out);
        return;
    }
    Scratch& rows = scratch();
    const std::uint8_t* cb = upsampledChroma(source, source.cb, row, x0, x1, rows.cb, kernels);
    const std::uint8_t* cr = upsampledChroma(source, source.cr, row, x0, x1, rows.cr, kernels);
    kernels.colour(y, cb, cr, x1 - x0, out);
}

} // namespace planes
