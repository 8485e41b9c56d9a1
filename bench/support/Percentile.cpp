#include "Percentile.h"

#include <algorithm>
#include <cmath>

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p / 100.0 * double(values.size()));
    const auto index = std::size_t(std::clamp(rank, 1.0, double(values.size()))) - 1;
    return values[index];
}
