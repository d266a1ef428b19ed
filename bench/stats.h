#pragma once
// Order statistics of timing samples. Samples are nanoseconds unless a caller says otherwise.
#include <cstdint>
#include <vector>

namespace kestrio::bench {

// The value at fraction q (0..1) of the sorted samples (nearest rank); 0 for no samples.
double Percentile(std::vector<double> samples, double q);
double Median(std::vector<double> samples);
// How many samples are at or above `limit`.
std::int64_t CountAtLeast(const std::vector<double>& samples, double limit);

}  // namespace kestrio::bench
