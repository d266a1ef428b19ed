#include "protocol/hex.h"

#include <array>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrio {

namespace {

// Every received byte passes through these conversions twice, so they go by table.
constexpr std::array<std::int8_t, 256> MakeDigitTable() {
  std::array<std::int8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[static_cast<std::size_t>(c)] = c >= '0' && c <= '9'   ? static_cast<std::int8_t>(c - '0')
                                         : c >= 'A' && c <= 'F' ? static_cast<std::int8_t>(c - 'A' + 10)
                                         : c >= 'a' && c <= 'f' ? static_cast<std::int8_t>(c - 'a' + 10)
                                                                : std::int8_t{-1};
  }
  return table;
}
constexpr std::array<std::int8_t, 256> kDigitTable = MakeDigitTable();

int DigitValue(char c) { return kDigitTable[static_cast<unsigned char>(c)]; }

constexpr char kDigits[] = "0123456789ABCDEF";

// The two digits of every byte value, so a byte costs one lookup.
constexpr std::array<char, 512> MakePairTable() {
  std::array<char, 512> table{};
  for (std::size_t b = 0; b < 256; ++b) {
    table[2 * b] = kDigits[b >> 4];
    table[2 * b + 1] = kDigits[b & 0x0F];
  }
  return table;
}
constexpr std::array<char, 512> kPairTable = MakePairTable();

}  // namespace


std::string StrippedHex(std::string_view text) {
  // Text that is hex digits already (every packet the program builds) is copied in one go.
  const auto firstOther = std::find_if(text.begin(), text.end(), [](char c) { return DigitValue(c) < 0; });
  std::string out(text.begin(), firstOther);
  for (auto it = firstOther; it != text.end(); ++it) {
    if (DigitValue(*it) >= 0) out.push_back(*it);
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

void HexToBytesInto(std::string_view hex, Bytes& out) {
  // Each pair reads as HexValue reads it: up to its first non-hex character.
  out.assign((hex.size() + 1) / 2, 0);
  for (std::size_t i = 0, o = 0; i < hex.size(); i += 2, ++o) {
    const int high = DigitValue(hex[i]);
    if (high < 0) continue;  // already 0
    const int low = i + 1 < hex.size() ? DigitValue(hex[i + 1]) : -1;
    out[o] = static_cast<std::uint8_t>(low < 0 ? high : (high << 4) | low);
  }
}

Bytes HexToBytes(std::string_view hex) {
  Bytes out;
  HexToBytesInto(hex, out);
  return out;
}

std::string BytesToHex(const std::uint8_t* data, std::size_t count) {
  std::string out;
  AppendHex(out, data, count);
  return out;
}

void AppendHex(std::string& out, const std::uint8_t* data, std::size_t count) {
  if (data == nullptr || count == 0) return;
  const std::size_t from = out.size();
  out.resize(from + count * 2);
  char* digit = out.data() + from;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: split into nibbles, interleave high and low, and turn each into its
  // digit ('0' + n, plus the gap up to 'A' for n above 9).
  const __m128i low4 = _mm_set1_epi8(0x0F), nine = _mm_set1_epi8(9), zero = _mm_set1_epi8('0'),
                gap = _mm_set1_epi8('A' - '0' - 10);
  const auto digits = [&](__m128i n) {
    return _mm_add_epi8(_mm_add_epi8(n, zero), _mm_and_si128(_mm_cmpgt_epi8(n, nine), gap));
  };
  for (; i + 16 <= count; i += 16, digit += 32) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), low4), low = _mm_and_si128(v, low4);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(digit), digits(_mm_unpacklo_epi8(high, low)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(digit + 16), digits(_mm_unpackhi_epi8(high, low)));
  }
#endif
  for (; i < count; ++i, digit += 2) std::memcpy(digit, &kPairTable[2 * data[i]], 2);
}

std::string BytesToHex(const Bytes& bytes, std::size_t count) {
  return BytesToHex(bytes.data(), count < bytes.size() ? count : bytes.size());
}

std::string BytesToHex(const Bytes& bytes) { return BytesToHex(bytes.data(), bytes.size()); }

std::string ToHex(std::uint64_t value, int width) {
  char digits[16];
  char* first = digits + sizeof digits;
  do {
    *--first = kDigits[value & 0x0F];
    value >>= 4;
  } while (value != 0);
  const auto count = static_cast<std::size_t>(digits + sizeof digits - first);
  const std::size_t pad = width > 0 && count < static_cast<std::size_t>(width) ? width - count : 0;
  std::string out(pad, '0');
  out.append(first, count);
  return out;
}

}  // namespace kestrio
