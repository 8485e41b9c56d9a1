#include "PhotoResizer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kShift = 14; // weights in 1/16384 of a pixel

// For each output pixel along one axis: the first input pixel it covers and the weights of the
// input pixels from there, summing to 1 << kShift.
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> weights; // count[i] entries for output i, one after the other
    std::vector<int> offset;
};

Taps taps(int in, int out) {
    Taps t;
    const double scale = double(in) / out;
    for (int o = 0; o < out; ++o) {
        const double start = o * scale;
        const double end = std::min<double>(in, (o + 1) * scale);
        const int first = int(std::floor(start));
        const int last = std::min(in - 1, int(std::ceil(end)) - 1);
        t.first.push_back(first);
        t.count.push_back(last - first + 1);
        t.offset.push_back(int(t.weights.size()));
        int sum = 0;
        for (int i = first; i <= last; ++i) {
            const double cover = std::min<double>(end, i + 1) - std::max<double>(start, i);
            const int w = int(std::lround(cover / scale * (1 << kShift)));
            t.weights.push_back(w);
            sum += w;
        }
        t.weights[std::size_t(t.offset.back())] += (1 << kShift) - sum; // exact unity
    }
    return t;
}

// One input row filtered along x: value * 256 per channel.
void filterRow(const uchar* src, const Taps& h, int width, int* dst) {
    for (int x = 0; x < width; ++x) {
        const int* w = h.weights.data() + h.offset[std::size_t(x)];
        const uchar* p = src + h.first[std::size_t(x)] * 3;
        int r = 0, g = 0, b = 0;
        for (int k = 0; k < h.count[std::size_t(x)]; ++k, p += 3) {
            r += p[0] * w[k];
            g += p[1] * w[k];
            b += p[2] * w[k];
        }
        constexpr int round = 1 << (kShift - 9);
        dst[3 * x] = (r + round) >> (kShift - 8);
        dst[3 * x + 1] = (g + round) >> (kShift - 8);
        dst[3 * x + 2] = (b + round) >> (kShift - 8);
    }
}

} // namespace

QImage PhotoResizer::scaled(const QImage& photo, QSize size) {
    const QImage in = photo.format() == QImage::Format_RGB888
                          ? photo
                          : photo.convertToFormat(QImage::Format_RGB888);
    if (in.size() == size)
        return in;
    const Taps h = taps(in.width(), size.width());
    const Taps v = taps(in.height(), size.height());
    // The rows filtered along x that the current output row needs, each kept for the next output
    // row that shares it: a window of a few rows, never the whole picture.
    const int window = *std::max_element(v.count.begin(), v.count.end()) + 1;
    const int rowInts = size.width() * 3;
    std::vector<int> cache(std::size_t(window) * rowInts);
    std::vector<int> cached(std::size_t(window), -1);
    std::vector<qint64> acc(static_cast<std::size_t>(rowInts));
    QImage out(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        std::fill(acc.begin(), acc.end(), 0);
        const int* w = v.weights.data() + v.offset[std::size_t(y)];
        for (int k = 0; k < v.count[std::size_t(y)]; ++k) {
            const int row = v.first[std::size_t(y)] + k;
            int* filtered = cache.data() + std::size_t(row % window) * rowInts;
            if (cached[std::size_t(row % window)] != row) {
                filterRow(in.constScanLine(row), h, size.width(), filtered);
                cached[std::size_t(row % window)] = row;
            }
            for (int i = 0; i < rowInts; ++i)
                acc[std::size_t(i)] += qint64(filtered[i]) * w[k];
        }
        uchar* dst = out.scanLine(y);
        constexpr qint64 half = qint64(1) << (kShift + 8 - 1);
        for (int i = 0; i < rowInts; ++i)
            dst[i] =
                uchar(std::clamp<qint64>((acc[std::size_t(i)] + half) >> (kShift + 8), 0, 255));
    }
    return out;
}

QSize PhotoResizer::fitted(QSize size, int longest) {
    const int side = std::max(size.width(), size.height());
    if (longest <= 0 || side <= longest)
        return size;
    const double f = double(longest) / side;
    return QSize(std::max(1, int(std::lround(size.width() * f))),
                 std::max(1, int(std::lround(size.height() * f))));
}
