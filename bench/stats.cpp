#include "stats.h"

#include <algorithm>
#include <cmath>

namespace kestrio::bench {

double Percentile(std::vector<double> samples, double q) {
  if (samples.empty()) return 0;
  const double rank = std::ceil(std::clamp(q, 0.0, 1.0) * static_cast<double>(samples.size()));
  const std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
  std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(index), samples.end());
  return samples[index];
}

double Median(std::vector<double> samples) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

std::int64_t CountAtLeast(const std::vector<double>& samples, double limit) {
  return std::count_if(samples.begin(), samples.end(), [limit](double s) { return s >= limit; });
}

}  // namespace kestrio::bench
