#pragma once
// Hex-digit text helpers. Inside the program packets, addresses and data travel as hex-digit
// text, two digits per byte, most significant first; bytes appear only at the socket.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrio {

using Bytes = std::vector<std::uint8_t>;

// Removes every character that is not 0-9, A-F or a-f (case kept); stores the result back
// into `text` and returns it.
std::string StripNonHex(std::string& text);
// The same, leaving the argument alone.
std::string StrippedHex(std::string_view text);

// One byte per pair of digits from the start; a final single digit is read on its own.
// A pair that is not all hex reads its leading hex digits (none gives 0), so any text converts.
Bytes HexToBytes(std::string_view hex);
// The same into `out`, reusing its capacity.
void HexToBytesInto(std::string_view hex, Bytes& out);

// Upper-case hex of the first `count` bytes (all of them when count exceeds the size).
std::string BytesToHex(const Bytes& bytes, std::size_t count);
std::string BytesToHex(const Bytes& bytes);
std::string BytesToHex(const std::uint8_t* data, std::size_t count);
// Appends the digits of `count` bytes to `out` (what BytesToHex gives), reusing its capacity.
void AppendHex(std::string& out, const std::uint8_t* data, std::size_t count);

// The value of `hex` read as a hexadecimal number by its leading hex digits (0 when none);
// saturates instead of overflowing.
std::uint64_t HexValue(std::string_view hex);

// `value` as upper-case hex, padded on the left with zeros to `width` digits.
std::string ToHex(std::uint64_t value, int width);

// Inline: every reader of device data tests each digit with it.
inline bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace kestrio
