#pragma once
// How point values are written as text: the points window's analog values, the scale values of an
// analog point, and the number the operator types for an analog output. Independent of the locale.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrio::points {

// The pattern "#######.####": at most four decimals (rounded half away from zero from the value's
// shortest decimal form), no leading or trailing zeros, the point always there: 0 -> ".",
// 3 -> "3.", -2 -> "-2.", 12.34567 -> "12.3457", 0.5 -> ".5". A value that rounds to zero shows
// "." without a sign. NaN and the infinities give "NAN", as a failed conversion does.
std::string FormatAnalogValue(float value);

// A value's decimal text: at most 7 significant digits, an exponent ("1.234568E+07") for large or
// tiny values, a leading blank when not negative: 10 -> " 10", -10 -> "-10", 0 -> " 0".
// NaN and the infinities give "NAN".
std::string ValueText(float value);

// The scale value held by a quadlet of the point record (IEEE-754 single, big-endian) as
// ValueText; nullopt when it is not a finite number.
std::optional<std::string> ScaleValueText(std::uint32_t quad);

// The number at the start of typed text as a single-precision float; nullopt when the text holds
// no number or one too large for a float, so nothing is written in place of what was meant.
std::optional<float> TypedFloat(std::string_view text);

}  // namespace kestrio::points
