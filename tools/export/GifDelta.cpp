#include "GifDelta.h"

#include <algorithm>
#include <cstdlib>

void GifDelta::keepSimilar(std::vector<unsigned char>& frame,
                           const std::vector<unsigned char>& before, const unsigned char* rgba,
                           const std::vector<QRgb>& palette, int tolerance) {
    const auto near = [tolerance](int a, int b) { return std::abs(a - b) <= tolerance; };
    for (std::size_t p = 0; p < frame.size() && p < before.size(); ++p) {
        if (before[p] >= palette.size())
            continue;
        const QRgb shown = palette[before[p]];
        const unsigned char* pixel = rgba + 4 * p;
        if (near(pixel[0], qRed(shown)) && near(pixel[1], qGreen(shown)) &&
            near(pixel[2], qBlue(shown)))
            frame[p] = before[p];
    }
}

QRect GifDelta::changedPart(const std::vector<unsigned char>& before,
                            const std::vector<unsigned char>& frame, int width) {
    const int height = width > 0 ? int(frame.size()) / width : 0;
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const std::size_t row = std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            if (frame[row + std::size_t(x)] == before[row + std::size_t(x)])
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect(0, 0, 1, 1) : QRect(QPoint(left, top), QPoint(right, bottom));
}

std::vector<unsigned char> GifDelta::partPixels(const std::vector<unsigned char>& before,
                                                const std::vector<unsigned char>& frame, int width,
                                                QRect part) {
    std::vector<unsigned char> pixels;
    pixels.reserve(std::size_t(part.width()) * std::size_t(part.height()));
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x) {
            const std::size_t at = std::size_t(y) * std::size_t(width) + std::size_t(x);
            pixels.push_back(frame[at] == before[at] ? kKept : frame[at]);
        }
    return pixels;
}
