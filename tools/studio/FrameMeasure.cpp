#include "FrameMeasure.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// The least difference counted as object, whatever the noise: JPEG's own ringing stays below.
constexpr int kLeastThreshold = 20;
// Noise standard deviations a backdrop pixel stays within.
constexpr double kNoiseFactor = 6.0;

int luminance(const uchar* p) {
    return (p[0] * 77 + p[1] * 150 + p[2] * 29) >> 8;
}

using Histogram = std::array<qint64, 256>;

int median(const Histogram& histogram) {
    qint64 total = 0;
    for (qint64 n : histogram)
        total += n;
    qint64 seen = 0;
    for (int v = 0; v < 256; ++v) {
        seen += histogram[v];
        if (2 * seen >= total)
            return v;
    }
    return 255;
}

// Medians of red, green, blue and brightness over the border band, and the brightness's MAD.
void measureBorder(const QImage& picture, FrameMeasure& m) {
    std::array<Histogram, 4> histograms{};
    const int band = FrameMeasure::borderWidth(picture.size());
    const int w = picture.width(), h = picture.height();
    auto visit = [&](auto&& take) {
        for (int y = 0; y < h; ++y) {
            const uchar* row = picture.constScanLine(y);
            const bool full = y < band || y >= h - band;
            for (int x = 0; x < w; x = full || x + 1 != band ? x + 1 : w - band)
                take(row + 3 * x);
        }
    };
    visit([&](const uchar* p) {
        for (int c = 0; c < 3; ++c)
            ++histograms[c][p[c]];
        ++histograms[3][luminance(p)];
    });
    m.backdrop = qRgb(median(histograms[0]), median(histograms[1]), median(histograms[2]));
    const int level = median(histograms[3]);
    Histogram deviations{};
    visit([&](const uchar* p) { ++deviations[std::abs(luminance(p) - level)]; });
    m.noise = 1.4826 * median(deviations);
    // The brightness finer than the median's whole levels: the mean of the border's pixels
    // within three standard deviations of it (the object's, if it reaches the border, left out).
    const int reach = std::max(2, int(std::ceil(3 * m.noise)));
    double sum = 0, count = 0;
    for (int v = std::max(0, level - reach); v <= std::min(255, level + reach); ++v) {
        sum += double(v) * double(histograms[3][std::size_t(v)]);
        count += double(histograms[3][std::size_t(v)]);
    }
    m.brightness = count > 0 ? sum / count : level;
}

} // namespace

int FrameMeasure::borderWidth(QSize size) {
    return std::max(2, std::min(size.width(), size.height()) / 40);
}

FrameMeasure FrameMeasure::of(const QImage& picture, double scale) {
    FrameMeasure m;
    measureBorder(picture, m);
    m.threshold = std::max(kLeastThreshold, int(std::ceil(kNoiseFactor * m.noise)));
    const int w = picture.width(), h = picture.height();
    const int bg[3] = {qRed(m.backdrop), qGreen(m.backdrop), qBlue(m.backdrop)};
    std::vector<int> rows(h, 0), columns(w, 0);
    double sumX = 0, sumY = 0;
    for (int y = 0; y < h; ++y) {
        const uchar* p = picture.constScanLine(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const int d =
                std::max({std::abs(p[0] - bg[0]), std::abs(p[1] - bg[1]), std::abs(p[2] - bg[2])});
            if (d <= m.threshold)
                continue;
            ++rows[y];
            ++columns[x];
            sumX += x;
            sumY += y;
            ++m.objectPixels;
        }
    }
    // A row or column of the object holds more than a stray pixel or two.
    const int least = std::max(3, std::min(w, h) / 200);
    auto span = [least](const std::vector<int>& counts, int& first, int& last) {
        first = 0;
        last = int(counts.size()) - 1;
        while (first <= last && counts[first] < least)
            ++first;
        while (last >= first && counts[last] < least)
            --last;
        return first <= last;
    };
    int top = 0, bottom = 0, left = 0, right = 0;
    if (m.objectPixels == 0 || !span(rows, top, bottom) || !span(columns, left, right))
        return m;
    m.box =
        QRectF(left / scale, top / scale, (right - left + 1) / scale, (bottom - top + 1) / scale);
    // Pixel centres: pixel x covers x ... x + 1 of the picture.
    m.centre =
        QPointF((sumX / m.objectPixels + 0.5) / scale, (sumY / m.objectPixels + 0.5) / scale);
    return m;
}
