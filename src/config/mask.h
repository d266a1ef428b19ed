#pragma once
// 64-bit masks of points and flags (and 32-bit masks of serial ports) held as hex text, most
// significant digit first: bit n (value 2^n) stands for point, flag or port n. Values are exact
// integers; nothing goes through floating point.
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrio::config {

inline constexpr char kEmptyMask[] = "0000000000000000";

// The value of a mask text as the hex routines read it: the last 64 bits of the big-endian number
// its digit pairs give. "" and any text without hex digits read as 0.
std::uint64_t MaskValue(std::string_view text);
bool MaskHasBit(std::string_view text, int bit);

// Sixteen upper-case digits.
std::string MaskText(std::uint64_t value);
// Eight upper-case digits, as the port masks are stored.
std::string PortMaskText(std::uint32_t value);
// A stored mask as the file writes it: "" stays "", anything else becomes its 16 digits.
std::string NormalizedMask(std::string_view text);

// The operator's form: the set bits ascending, each "[" n "] " ("[0] [5] [63] "); zero gives "".
std::string BitList(std::uint64_t value);
std::string MaskBitList(std::string_view text);

}  // namespace kestrio::config
