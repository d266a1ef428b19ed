#pragma once
// Conversions between hex text, bytes, numbers and display forms: IP addresses, 64-bit masks,
// IEEE-754 floats kept as big-endian quadlets, and numbers typed by the operator.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/hex.h"

namespace kestrio {

using Quad = std::array<std::uint8_t, 4>;  // b0 is the most significant byte

std::string FormatIPAddress(const Quad& b);  // "192.168.1.5"
std::string FormatDottedHex(const Quad& b);  // "01.02.0A.FF"
// Eight hex digits of "a.b.c.d"; "" unless there are four parts each a number from 0 to 255.
std::string IPToHex(std::string_view text);
// Sixteen upper-case hex digits, most significant first, no bit lost.
std::string MaskToHex64(std::uint64_t value);

// Big-endian bytes to float (b0 most significant). Returns false only when a byte string is short.
bool ByteArrayToFloat(const Quad& b, float& value);
Quad FloatToByteArray(float value);
Quad LongToByteArray(std::int32_t value);
// The float held by eight hex digits (non-hex digits read as 0).
float HexToFloat(std::string_view hex8);
std::string FloatToHex(float value);  // eight upper-case digits

// True when bit n (value 2^n of the big-endian number held by `data`, bit 0 being the lowest bit
// of the last byte) is set. Bits beyond the data are clear.
bool BinStringToBit(const Bytes& data, int bit);
// The same for a 16-digit hex mask.
bool MaskBit(std::string_view hex16, int bit);

// A typed number read by its leading numeric part (blanks skipped, optional sign, digits,
// decimal point, exponent), as the operator's answers are read. nullopt when it has no digits.
std::optional<double> LeadingNumber(std::string_view text);
// The leading number rounded to the nearest integer, ties to even (2.5 -> 2, 3.5 -> 4).
// nullopt when there is no number or it does not fit in 64 bits.
std::optional<std::int64_t> ReadRoundedNumber(std::string_view text);

// A number as put into the program's texts: a leading blank when not negative (" 2", "-3").
std::string NumberText(std::int64_t value);

}  // namespace kestrio
