#pragma once
// Value formats of memory-map fields: raw hex digits (two per byte, most significant first, as
// read) to display text and typed text back to the digits to write. Strings are 8-bit character
// codes in the map (Latin-1) and UTF-8 in the program. A format text holding the capitals "AT"
// is a String.
#include <optional>
#include <string>
#include <string_view>

#include "protocol/prompter.h"

namespace kestrio::options {

inline constexpr std::string_view kFormatString = "String";
inline constexpr std::string_view kFormatRaw = "Raw";
inline constexpr std::string_view kFormatIP = "IP";
inline constexpr std::string_view kFormatInt = "Int";
inline constexpr std::string_view kFormatFloat = "Float";
inline constexpr std::string_view kFormatYesNo = "YesNo";

enum class ValueFormat { String, Raw, IP, Int, Float, YesNo, Unknown };

// The format a format text names (names are case-sensitive), after the "AT" rule.
ValueFormat FormatOf(std::string_view format);
// True when the format text holds the capitals "AT" (and so stands for a String).
bool IsAtFormat(std::string_view format);

// Display text of raw digits. Int, Float and IP take exactly 8 digits (Int and Float say so
// otherwise; IP shows 0.0.0.0); a String ends at its first zero byte; YesNo is "No" only when
// every digit is 0; Raw is the digits unchanged.
std::string PrettyData(std::string_view raw, std::string_view format);

// The display conversion used outside the option pages (names, configuration download); the same
// as PrettyData, a String ending at its first zero byte ("00" found only at a byte boundary).
std::string FormatMemMapValue(std::string_view raw, std::string_view format);

// The upper-case hex digits to write for typed text in a field of `maxBytes` bytes, or nullopt
// when the text is refused; never digits for more than maxBytes bytes. A String too long for its
// terminating zero byte and a YesNo other than Yes or No are reported through `ui`; other
// refusals are left to the caller to report. Int and Float need maxBytes 4; Int takes whole
// numbers 0..4294967295 (rounded, ties to even; an empty text is 0); Raw takes an even number of
// hex digits (blanks ignored).
std::optional<std::string> MemMapFormat(std::string_view typed, std::string_view format, long maxBytes,
                                        Prompter& ui);

// The set bits of a 64-bit mask given as up to 16 hex digits (padded on the left with zeros), in
// ascending order, each as "[n] "; an empty text for no bits.
std::string FormatBitList(std::string_view mask);

}  // namespace kestrio::options
