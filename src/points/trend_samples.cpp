#include "points/trend_samples.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <tuple>

namespace kestrio::points {

namespace {

const std::deque<TrendSample> kNone;

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string Shortest(float value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

}  // namespace

void TrendSamples::Add(int point, double t, float value) {
  if (!IsPoint(point) || !std::isfinite(value)) return;
  auto& list = samples_[static_cast<std::size_t>(point)];
  if (list.size() >= perPoint_) list.pop_front();
  list.push_back({t, value});
}

const std::deque<TrendSample>& TrendSamples::Of(int point) const {
  return IsPoint(point) ? samples_[static_cast<std::size_t>(point)] : kNone;
}

std::vector<int> TrendSamples::Points() const {
  std::vector<int> out;
  for (int p = 0; p < kPoints; ++p)
    if (!samples_[static_cast<std::size_t>(p)].empty()) out.push_back(p);
  return out;
}

bool TrendSamples::Empty() const { return Points().empty(); }

void TrendSamples::Clear() {
  for (auto& list : samples_) list.clear();
}

std::vector<TrendSample> TrendSamples::Window(int point, double from, double to, std::size_t maxCount) const {
  const std::deque<TrendSample>& list = Of(point);
  const auto byTime = [](const TrendSample& s, double t) { return s.t < t; };
  const auto first = std::lower_bound(list.begin(), list.end(), from, byTime);
  const auto last =
      std::upper_bound(list.begin(), list.end(), to, [](double t, const TrendSample& s) { return t < s.t; });
  const auto count = static_cast<std::size_t>(std::distance(first, last));
  std::vector<TrendSample> out;
  if (count == 0) return out;
  if (count <= maxCount || maxCount < 2) {
    out.assign(first, last);
    if (maxCount == 1) out.erase(out.begin(), out.end() - 1);
    return out;
  }
  // Buckets of neighbours; each gives its lowest and highest sample, in time order.
  const std::size_t buckets = maxCount / 2;
  out.reserve(buckets * 2);
  for (std::size_t b = 0; b < buckets; ++b) {
    const auto begin = first + static_cast<std::ptrdiff_t>(count * b / buckets);
    const auto end = first + static_cast<std::ptrdiff_t>(count * (b + 1) / buckets);
    if (begin == end) continue;
    const auto [low, high] = std::minmax_element(
        begin, end, [](const TrendSample& a, const TrendSample& b2) { return a.value < b2.value; });
    if (low == high) {
      out.push_back(*low);
    } else if (low->t <= high->t) {
      out.push_back(*low);
      out.push_back(*high);
    } else {
      out.push_back(*high);
      out.push_back(*low);
    }
  }
  return out;
}

std::string TrendCsv(const TrendSamples& samples, const std::vector<int>& points,
                     const std::function<std::string(int)>& name,
                     const std::function<std::string(double)>& time) {
  std::vector<std::tuple<double, int, float>> rows;
  for (int p : points)
    for (const TrendSample& s : samples.Of(p)) rows.emplace_back(s.t, p, s.value);
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
    return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
  });
  std::string out = "point,name,time,value\n";
  for (const auto& [t, p, v] : rows) {
    out += std::to_string(p) + "," + CsvField(name ? name(p) : std::string()) + "," + CsvField(time(t)) +
           "," + Shortest(v) + "\n";
  }
  return out;
}

}  // namespace kestrio::points
