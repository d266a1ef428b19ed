#pragma once
// Numbers read from the file, the jump boxes and the editors' numeric boxes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrio::config {

// The lenient reading of an item or set number: leading blanks skipped, the leading numeric part
// rounded to the nearest integer (ties to even), no digits reading as 0. nullopt when the number is
// beyond +-1e9, so a huge number is refused rather than wrapped into range.
std::optional<long long> LenientInteger(std::string_view text);

// Leaving a numeric box: a value above `maximum` becomes the maximum's digits; anything else stays
// as typed.
std::string ClampToMaximum(std::string_view text, std::uint64_t maximum);

// OK of an editor: the box must hold a plain number (digits, at most one decimal point, blanks
// around) whose rounded value lies in 0..maximum. Otherwise false with
// "'<text>' is not a valid <what>.  Must be a number from 0 to <maximum>."
bool CheckNumericBox(std::string_view text, std::string_view what, std::uint64_t maximum,
                     std::string& message);

inline constexpr std::uint64_t kMaxQuadletValue = 4294967295u;

}  // namespace kestrio::config
