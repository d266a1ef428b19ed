#include "protocol/convert.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

namespace kestrio {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One part of a dotted IP address: decimal digits only (blanks around them allowed), 0 to 255.
std::optional<std::uint8_t> IPPart(std::string_view part) {
  while (!part.empty() && IsBlank(part.front())) part.remove_prefix(1);
  while (!part.empty() && IsBlank(part.back())) part.remove_suffix(1);
  if (part.empty()) return std::nullopt;
  unsigned value = 0;
  for (char c : part) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > 255) return std::nullopt;
  }
  return static_cast<std::uint8_t>(value);
}

std::uint32_t QuadToLong(const Quad& b) {
  return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
         std::uint32_t{b[3]};
}

Quad LongToQuad(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

}  // namespace

std::string FormatIPAddress(const Quad& b) {
  return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
         std::to_string(b[3]);
}

std::string FormatDottedHex(const Quad& b) {
  return ToHex(b[0], 2) + "." + ToHex(b[1], 2) + "." + ToHex(b[2], 2) + "." + ToHex(b[3], 2);
}

std::string IPToHex(std::string_view text) {
  std::string out;
  for (int i = 0; i < 4; ++i) {
    std::string_view part = text;
    if (i < 3) {
      std::size_t dot = text.find('.');
      if (dot == std::string_view::npos) return "";
      part = text.substr(0, dot);
      text.remove_prefix(dot + 1);
    }
    std::optional<std::uint8_t> byte = IPPart(part);
    if (!byte) return "";
    out += ToHex(*byte, 2);
  }
  return out;
}

std::string MaskToHex64(std::uint64_t value) {
  // Each 16-bit group goes through the same byte split as any other long, most significant first.
  std::string out;
  for (int shift = 48; shift >= 0; shift -= 16) {
    Quad b = LongToByteArray(static_cast<std::int32_t>((value >> shift) & 0xFFFF));
    out += ToHex(b[2], 2) + ToHex(b[3], 2);
  }
  return out;
}

bool ByteArrayToFloat(const Quad& b, float& value) {
  value = std::bit_cast<float>(QuadToLong(b));
  return true;
}

Quad FloatToByteArray(float value) { return LongToQuad(std::bit_cast<std::uint32_t>(value)); }

Quad LongToByteArray(std::int32_t value) { return LongToQuad(static_cast<std::uint32_t>(value)); }

float HexToFloat(std::string_view hex8) {
  // Missing or non-hex digits count as 0, so a short or damaged reply still gives a number.
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    std::uint32_t d = 0;
    if (i < hex8.size() && IsHexDigit(hex8[i])) d = static_cast<std::uint32_t>(HexValue(hex8.substr(i, 1)));
    bits = (bits << 4) | d;
  }
  return std::bit_cast<float>(bits);
}

std::string FloatToHex(float value) { return ToHex(std::bit_cast<std::uint32_t>(value), 8); }

bool BinStringToBit(const Bytes& data, int bit) {
  if (bit < 0) return false;
  std::size_t byteFromEnd = static_cast<std::size_t>(bit) / 8;
  if (byteFromEnd >= data.size()) return false;
  return (data[data.size() - 1 - byteFromEnd] >> (bit % 8)) & 1;
}

bool MaskBit(std::string_view hex16, int bit) { return BinStringToBit(HexToBytes(hex16), bit); }

std::optional<double> LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;

  std::string number;  // sign, mantissa and exponent in the form from_chars reads
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Magnitude in decimal places of the integer part, to tell overflow from underflow below.
  long long intDigits = 0;
  bool anyDigit = false;
  bool seenNonZero = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (text[i] != '0') seenNonZero = true;
    if (seenNonZero) ++intDigits;
    number.push_back(text[i++]);
    anyDigit = true;
  }
  if (i < text.size() && text[i] == '.') {
    number.push_back('.');
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      number.push_back(text[i++]);
      anyDigit = true;
    }
  }
  if (!anyDigit) return std::nullopt;

  long long exponent = 0;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      expNegative = text[j] == '-';
      ++j;
    }
    if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
      while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
        if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
        ++j;
      }
      if (expNegative) exponent = -exponent;
      number += "e" + std::to_string(exponent);
    }
  }

  double value = 0.0;
  auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    if (intDigits + exponent > 0) return std::nullopt;  // too large for a double
    value = 0.0;
  } else if (ec != std::errc()) {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

std::optional<std::int64_t> ReadRoundedNumber(std::string_view text) {
  std::optional<double> value = LeadingNumber(text);
  if (!value) return std::nullopt;
  // nearbyint follows the default rounding mode: to nearest, ties to even.
  double rounded = std::nearbyint(*value);
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (!(rounded >= -kLimit && rounded < kLimit)) return std::nullopt;
  return static_cast<std::int64_t>(rounded);
}

std::string NumberText(std::int64_t value) {
  return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

}  // namespace kestrio
