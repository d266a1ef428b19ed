#pragma once
// The samples of the live trend: the analog values the scans read, per point, with the time they
// were read. Bounded per point (the oldest go first), so a trend left running at the shortest scan
// time keeps its memory. The plot takes a thinned window of them; the export takes them all.
#include <array>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "points/rack.h"

namespace kestrio::points {

struct TrendSample {
  double t = 0;  // seconds on the caller's clock (the desktop program: since the epoch)
  float value = 0;
};

class TrendSamples {
 public:
  // At the default scan time this holds far more than ten minutes; at 1 ms about a minute.
  static constexpr std::size_t kDefaultPerPoint = 60000;

  explicit TrendSamples(std::size_t perPoint = kDefaultPerPoint) : perPoint_(perPoint ? perPoint : 1) {}

  // Ignored for a point outside the rack or a value that is not a finite number.
  void Add(int point, double t, float value);
  const std::deque<TrendSample>& Of(int point) const;
  // The points that have samples, ascending.
  std::vector<int> Points() const;
  bool Empty() const;
  void Clear();

  // The samples of `point` with from <= t <= to, in time order, thinned to at most `maxCount` by
  // keeping the lowest and the highest of each run of neighbours, so peaks survive the thinning.
  std::vector<TrendSample> Window(int point, double from, double to, std::size_t maxCount) const;

 private:
  std::size_t perPoint_;
  std::array<std::deque<TrendSample>, kPoints> samples_;
};

// The samples of `points` as CSV: a header "point,name,time,value", then one row per sample in time
// order (points in ascending order within one time). `name` gives a point's name ("" when unnamed),
// `time` formats a sample's time. Fields holding a comma, a quote or a line break are quoted.
std::string TrendCsv(const TrendSamples& samples, const std::vector<int>& points,
                     const std::function<std::string(int)>& name,
                     const std::function<std::string(double)>& time);

}  // namespace kestrio::points
