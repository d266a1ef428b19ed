#include "protocol/hex.h"

#include <limits>

namespace kestrio {

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

constexpr char kDigits[] = "0123456789ABCDEF";

}  // namespace

bool IsHexDigit(char c) { return DigitValue(c) >= 0; }

std::string StrippedHex(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (IsHexDigit(c)) out.push_back(c);
  }
  return out;
}

std::string StripNonHex(std::string& text) {
  text = StrippedHex(text);
  return text;
}

std::uint64_t HexValue(std::string_view hex) {
  std::uint64_t value = 0;
  for (char c : hex) {
    int d = DigitValue(c);
    if (d < 0) break;
    if (value > (std::numeric_limits<std::uint64_t>::max() >> 4)) {
      return std::numeric_limits<std::uint64_t>::max();
    }
    value = (value << 4) | static_cast<std::uint64_t>(d);
  }
  return value;
}

Bytes HexToBytes(std::string_view hex) {
  Bytes out;
  out.reserve((hex.size() + 1) / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(HexValue(hex.substr(i, 2))));
  }
  return out;
}

std::string BytesToHex(const std::uint8_t* data, std::size_t count) {
  std::string out;
  if (data == nullptr) return out;
  out.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    out.push_back(kDigits[data[i] >> 4]);
    out.push_back(kDigits[data[i] & 0x0F]);
  }
  return out;
}

std::string BytesToHex(const Bytes& bytes, std::size_t count) {
  return BytesToHex(bytes.data(), count < bytes.size() ? count : bytes.size());
}

std::string BytesToHex(const Bytes& bytes) { return BytesToHex(bytes.data(), bytes.size()); }

std::string ToHex(std::uint64_t value, int width) {
  std::string out;
  do {
    out.insert(out.begin(), kDigits[value & 0x0F]);
    value >>= 4;
  } while (value != 0);
  if (width > 0 && out.size() < static_cast<std::size_t>(width)) {
    out.insert(0, static_cast<std::size_t>(width) - out.size(), '0');
  }
  return out;
}

}  // namespace kestrio
