#pragma once

#include <vector>

// The p-th percentile (0 < p <= 100) of the values by the nearest-rank method: the smallest value
// that at least p % of the values do not exceed. 0 for no values.
double percentile(std::vector<double> values, double p);
