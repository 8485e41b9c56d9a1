#include "BackdropCleaner.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// How deep into the soft edge the clean colour reaches, in pixels.
constexpr uchar kEdgeDepth = 2;
constexpr uchar kUnreached = 255;

// The backdrop's seeds: areas of pixels of its very colour (within a third of the tolerance),
// each of them one when it touches the picture's edge or is large (the hole of a handle), not
// when it is a fleck of the object's own colours. Marks them at depth 0.
std::vector<int> seedsOf(const std::vector<uchar>& distance, int w, int tolerance,
                         std::vector<uchar>& depth) {
    const int h = int(distance.size()) / w;
    const std::size_t large = std::max<std::size_t>(64, distance.size() / 1000);
    std::vector<uchar> seen(distance.size(), 0);
    std::vector<int> seeds, area;
    for (std::size_t start = 0; start < distance.size(); ++start) {
        if (seen[start] || distance[start] * 3 > tolerance)
            continue;
        area.assign(1, int(start));
        seen[start] = 1;
        bool edge = false;
        for (std::size_t next = 0; next < area.size(); ++next) {
            const int i = area[next], x = i % w, y = i / w;
            edge = edge || x == 0 || y == 0 || x == w - 1 || y == h - 1;
            for (int n : {x > 0 ? i - 1 : -1, x + 1 < w ? i + 1 : -1, y > 0 ? i - w : -1,
                          y + 1 < h ? i + w : -1})
                if (n >= 0 && !seen[std::size_t(n)] && distance[std::size_t(n)] * 3 <= tolerance) {
                    seen[std::size_t(n)] = 1;
                    area.push_back(n);
                }
        }
        if (!edge && area.size() < large)
            continue;
        for (int i : area)
            depth[std::size_t(i)] = 0;
        seeds.insert(seeds.end(), area.begin(), area.end());
    }
    return seeds;
}

} // namespace

void BackdropCleaner::clean(QImage& picture, QRgb backdrop) const {
    const int w = picture.width(), h = picture.height();
    const int bg[3] = {qRed(backdrop), qGreen(backdrop), qBlue(backdrop)};
    const int soft = std::max(1, m_tolerance / 2);
    // Each pixel's distance from the backdrop: the largest difference of a colour byte.
    std::vector<uchar> distance(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const uchar* p = picture.constScanLine(y);
        uchar* d = distance.data() + std::size_t(y) * std::size_t(w);
        for (int x = 0; x < w; ++x, p += 3)
            d[x] = uchar(
                std::max({std::abs(p[0] - bg[0]), std::abs(p[1] - bg[1]), std::abs(p[2] - bg[2])}));
    }
    // Depth into the soft edge of every pixel reached: 0 for the backdrop itself.
    std::vector<uchar> depth(distance.size(), kUnreached);
    std::vector<int> queue = seedsOf(distance, w, m_tolerance, depth);
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const int i = queue[next];
        const int x = i % w, y = i / w;
        const int neighbours[4] = {x > 0 ? i - 1 : -1, x + 1 < w ? i + 1 : -1, y > 0 ? i - w : -1,
                                   y + 1 < h ? i + w : -1};
        for (int n : neighbours) {
            if (n < 0 || depth[std::size_t(n)] != kUnreached)
                continue;
            const int d = distance[std::size_t(n)];
            const uchar step = d <= m_tolerance ? depth[std::size_t(i)] : depth[std::size_t(i)] + 1;
            if (d > m_tolerance + soft || step > kEdgeDepth)
                continue;
            depth[std::size_t(n)] = step;
            queue.push_back(n);
        }
    }
    const int clean[3] = {qRed(m_colour), qGreen(m_colour), qBlue(m_colour)};
    for (int y = 0; y < h; ++y) {
        uchar* p = picture.scanLine(y);
        const std::size_t row = std::size_t(y) * std::size_t(w);
        for (int x = 0; x < w; ++x, p += 3) {
            if (depth[row + std::size_t(x)] == kUnreached)
                continue;
            // All of the clean colour within the tolerance, none past 1.5 times it.
            const int a = std::clamp(
                (m_tolerance + soft - distance[row + std::size_t(x)]) * 256 / soft, 0, 256);
            for (int k = 0; k < 3; ++k)
                p[k] = uchar(p[k] + (((clean[k] - p[k]) * a) >> 8));
        }
    }
}
