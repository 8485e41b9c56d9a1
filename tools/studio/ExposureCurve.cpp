#include "ExposureCurve.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr int kPasses = 3;

double spread(const std::vector<double>& values) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
    return mean > 0 ? 100 * (*high - *low) / mean : 0;
}

// A moving average of `width` (odd) values, wrapping round the ring.
std::vector<double> averaged(const std::vector<double>& values, int width) {
    const int n = int(values.size());
    std::vector<double> out(values.size());
    for (int i = 0; i < n; ++i) {
        double sum = 0;
        for (int k = -width / 2; k <= width / 2; ++k)
            sum += values[std::size_t(((i + k) % n + n) % n)];
        out[std::size_t(i)] = sum / width;
    }
    return out;
}

} // namespace

ExposureCurve::ExposureCurve(const std::vector<double>& brightness) {
    const int n = int(brightness.size());
    if (n == 0)
        return;
    // A third of the ring (five photos at least), odd so that it centres on the photo; no
    // wider than the ring.
    int width = std::max(5, n / 3) | 1;
    if (width > n)
        width = n % 2 ? n : n - 1;
    std::vector<double> smooth = brightness;
    for (int pass = 0; pass < kPasses; ++pass)
        smooth = averaged(smooth, width);
    m_gains.resize(brightness.size());
    for (std::size_t i = 0; i < brightness.size(); ++i)
        m_gains[i] = brightness[i] > 0 ? smooth[i] / brightness[i] : 1;
    m_before = spread(brightness);
    m_after = spread(smooth);
}
