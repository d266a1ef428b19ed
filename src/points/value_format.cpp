#include "points/value_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

#include "points/point_texts.h"
#include "protocol/convert.h"

namespace kestrio::points {

namespace {

// Adds one to the last digit of `digits`, carrying leftwards; true when a carry leaves the front.
bool IncrementDigits(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return false;
    }
    *it = '0';
  }
  return true;
}

}  // namespace

std::string FormatAnalogValue(float value) {
  if (!std::isfinite(value)) return text::kNan;
  // The shortest decimal that reads back as the same float, so 1.00005 rounds as typed, not as the
  // float's binary value 1.0000499...
  char buffer[96];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
  if (ec != std::errc()) return text::kNan;  // cannot happen: the longest float takes under 60 characters
  const std::string_view shortest(buffer, static_cast<std::size_t>(end - buffer));
  const std::size_t point = shortest.find('.');
  std::string whole(shortest.substr(0, point));
  std::string fraction(point == std::string_view::npos ? std::string_view() : shortest.substr(point + 1));

  if (fraction.size() > 4) {
    const bool up = fraction[4] >= '5';
    fraction.resize(4);
    if (up && IncrementDigits(fraction) && IncrementDigits(whole)) whole.insert(whole.begin(), '1');
  }
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  const std::size_t firstNonZero = whole.find_first_not_of('0');
  whole.erase(0, firstNonZero == std::string::npos ? whole.size() : firstNonZero);

  const bool negative = value < 0 && !(whole.empty() && fraction.empty());
  return (negative ? "-" : "") + whole + "." + fraction;
}

std::string ValueText(float value) {
  if (!std::isfinite(value)) return text::kNan;
  if (value == 0) return " 0";  // also for -0
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
  if (ec != std::errc()) return text::kNan;  // cannot happen: 7 digits and an exponent fit
  std::string out(buffer, end);
  for (char& c : out) {
    if (c == 'e') c = 'E';
  }
  return value < 0 ? out : " " + out;
}

std::optional<std::string> ScaleValueText(std::uint32_t quad) {
  const float value = std::bit_cast<float>(quad);
  if (!std::isfinite(value)) return std::nullopt;
  return ValueText(value);
}

std::optional<float> TypedFloat(std::string_view text) {
  const std::optional<double> number = LeadingNumber(text);
  if (!number || !(std::fabs(*number) <= std::numeric_limits<float>::max())) return std::nullopt;
  return static_cast<float>(*number);
}

}  // namespace kestrio::points
