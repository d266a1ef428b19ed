#include "transport/host_address.h"

#include <algorithm>

namespace kestrio {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<std::uint16_t> ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value < 1 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<HostAddress> ParseHostField(std::string_view field) {
  field = Trim(field);
  HostAddress result;
  if (!field.empty() && field.front() == '[') {
    const auto close = field.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    result.host = std::string(field.substr(1, close - 1));
    const std::string_view rest = field.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      const auto port = ParsePort(rest.substr(1));
      if (!port) return std::nullopt;
      result.port = *port;
    }
  } else if (std::count(field.begin(), field.end(), ':') == 1) {
    const auto colon = field.find(':');
    result.host = std::string(Trim(field.substr(0, colon)));
    const auto port = ParsePort(Trim(field.substr(colon + 1)));
    if (!port) return std::nullopt;
    result.port = *port;
  } else {
    result.host = std::string(field);  // a plain name, or a bare IPv6 address
  }
  if (result.host.empty()) return std::nullopt;
  return result;
}

}  // namespace kestrio
