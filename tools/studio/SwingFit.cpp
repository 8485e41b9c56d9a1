#include "SwingFit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Rounds of the fit: a wrong measure found in one is replaced by the sinusoid for the next.
constexpr int kRounds = 8;

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

double angleOf(std::size_t i, std::size_t n) {
    return 2 * std::numbers::pi * double(i) / double(n);
}

struct Sinusoid {
    double centre = 0, cosine = 0, sine = 0;
    double at(double angle) const { return cosine * std::cos(angle) + sine * std::sin(angle); }
};

// Least squares over evenly spread angles: the mean and the first Fourier coefficients.
Sinusoid fitted(const std::vector<double>& values) {
    const double n = double(values.size());
    Sinusoid s;
    for (std::size_t i = 0; i < values.size(); ++i) {
        s.centre += values[i] / n;
        s.cosine += 2 * values[i] * std::cos(angleOf(i, values.size())) / n;
        s.sine += 2 * values[i] * std::sin(angleOf(i, values.size())) / n;
    }
    if (values.size() < 3) // too few photos for a sinusoid: all is jitter
        s.cosine = s.sine = 0;
    return s;
}

} // namespace

SwingFit::SwingFit(const std::vector<double>& positions, double outlier) {
    const std::size_t n = positions.size();
    if (n == 0)
        return;
    std::vector<double> values = positions, sizes(n);
    std::vector<bool> trusted(n, true);
    Sinusoid swing;
    for (int round = 0; round < kRounds; ++round) {
        swing = fitted(values);
        for (std::size_t i = 0; i < n; ++i)
            sizes[i] = std::abs(positions[i] - swing.centre - swing.at(angleOf(i, n)));
        const double limit = std::max(outlier, 4 * 1.4826 * median(sizes));
        for (std::size_t i = 0; i < n; ++i) {
            trusted[i] = sizes[i] <= limit;
            values[i] = trusted[i] ? positions[i] : swing.centre + swing.at(angleOf(i, n));
        }
    }
    m_centre = swing.centre;
    m_amplitude = std::hypot(swing.cosine, swing.sine);
    double kept = 0;
    std::size_t count = 0;
    m_shifts.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double residual = positions[i] - swing.centre - swing.at(angleOf(i, n));
        m_shifts[i] = -swing.at(angleOf(i, n)) - (trusted[i] ? residual : 0);
        if (trusted[i]) {
            kept += residual * residual;
            ++count;
        }
    }
    m_jitter = count ? std::sqrt(kept / double(count)) : 0;
}
