#include "config/numbers.h"

#include <cmath>

#include "protocol/convert.h"

namespace kestrio::config {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<long long> LenientInteger(std::string_view text) {
  const std::optional<double> value = LeadingNumber(text);
  if (!value) {
    // No number at all reads as 0; digits that a double cannot hold are a number far too large.
    std::string_view rest = TrimBlanks(text);
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) rest.remove_prefix(1);
    if (!rest.empty() && rest.front() == '.') rest.remove_prefix(1);
    return !rest.empty() && IsDigit(rest.front()) ? std::nullopt : std::optional<long long>(0);
  }
  const double rounded = std::nearbyint(*value);
  if (!(rounded > -1e9 && rounded < 1e9)) return std::nullopt;
  return static_cast<long long>(rounded);
}

std::string ClampToMaximum(std::string_view text, std::uint64_t maximum) {
  const std::optional<double> value = LeadingNumber(text);
  if (value && *value > static_cast<double>(maximum)) return std::to_string(maximum);
  return std::string(text);
}

bool CheckNumericBox(std::string_view text, std::string_view what, std::uint64_t maximum,
                     std::string& message) {
  const std::string_view trimmed = TrimBlanks(text);
  bool plain = !trimmed.empty();
  bool digits = false;
  bool point = false;
  for (char c : trimmed) {
    if (IsDigit(c)) {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      plain = false;
    }
  }
  const std::optional<double> value = plain && digits ? LeadingNumber(trimmed) : std::nullopt;
  if (value && std::nearbyint(*value) <= static_cast<double>(maximum)) {
    message.clear();
    return true;
  }
  message = "'" + std::string(text) + "' is not a valid " + std::string(what) +
            ".  Must be a number from 0 to " + std::to_string(maximum) + ".";
  return false;
}

}  // namespace kestrio::config
