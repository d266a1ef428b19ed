#include "options/value_formats.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "options/option_texts.h"
#include "protocol/convert.h"
#include "protocol/hex.h"

namespace kestrio::options {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The characters of bytes up to the first zero byte, each code as its Latin-1 character in UTF-8.
std::string StringText(std::string_view raw) {
  const Bytes bytes = HexToBytes(raw.substr(0, raw.size() / 2 * 2));
  std::string out;
  for (std::uint8_t b : bytes) {
    if (b == 0) break;
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
    } else {
      out.push_back(static_cast<char>(0xC0 | (b >> 6)));
      out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return out;
}

// Typed UTF-8 as 8-bit character codes; nullopt when a character has no 8-bit code or the text is
// not UTF-8, since writing part of a character would store something else than was typed.
std::optional<Bytes> Latin1Codes(std::string_view text) {
  Bytes out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(text[i]);
    if (c < 0x80) {
      out.push_back(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size() &&
               (static_cast<std::uint8_t>(text[i + 1]) & 0xC0) == 0x80) {
      out.push_back(
          static_cast<std::uint8_t>(((c & 0x03) << 6) | (static_cast<std::uint8_t>(text[++i]) & 0x3F)));
    } else {
      return std::nullopt;
    }
  }
  return out;
}

// The number a typed text holds when the whole text (blanks around it aside) is one number.
std::optional<double> WholeNumber(std::string_view text) {
  text = Trimmed(text);
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t from = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - from;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return LeadingNumber(text);
}

// Up to 7 significant digits, in plain or exponent notation as the size calls for.
std::string FloatText(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
  // "%.7G": to_chars writes what printf's "%.7g" writes, several times faster (a download formats
  // hundreds of these); the exponent's letter is then made upper-case.
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                 std::chars_format::general, 7).ptr;
  std::string out(buffer, end);
  for (char& c : out)
    if (c == 'e') c = 'E';
  return out;
}

// Each pair read as HexToBytes reads it (its leading hex digits), without a byte vector per field.
Quad QuadOf(std::string_view raw) {
  Quad q{};
  for (std::size_t i = 0; i < q.size() && 2 * i < raw.size(); ++i)
    q[i] = static_cast<std::uint8_t>(HexValue(raw.substr(2 * i, 2)));
  return q;
}

std::optional<std::string> Encode(std::string_view typed, ValueFormat format, long maxBytes, Prompter& ui) {
  switch (format) {
    case ValueFormat::String: {
      const std::optional<Bytes> codes = Latin1Codes(typed);
      if (!codes) return std::nullopt;
      if (static_cast<long>(codes->size()) + 1 > maxBytes) {
        ui.Message(std::string(text::kStringTooLongPrefix).append(typed).append(text::kStringTooLongSuffix));
        return std::nullopt;
      }
      return BytesToHex(*codes) + "00";
    }
    case ValueFormat::YesNo: {
      const std::string_view answer = Trimmed(typed);
      if (SameLetters(answer, text::kYes)) return "00000001";
      if (SameLetters(answer, text::kNo)) return "00000000";
      ui.Message(std::string(text::kYesNoPrefix).append(typed).append(text::kYesNoSuffix));
      return std::nullopt;
    }
    case ValueFormat::Raw: {
      std::string digits;
      for (char c : typed) {
        if (IsBlank(c)) continue;
        if (!IsHexDigit(c)) return std::nullopt;
        digits.push_back(c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c);
      }
      if (digits.empty() || digits.size() % 2 != 0) return std::nullopt;
      return digits;
    }
    case ValueFormat::IP: {
      std::string digits = IPToHex(typed);
      if (digits.empty()) return std::nullopt;
      return digits;
    }
    case ValueFormat::Float: {
      if (maxBytes != 4) return std::nullopt;
      const std::optional<double> value = WholeNumber(typed);
      // A value beyond the float range would be stored as infinity, not as what was typed.
      if (!value || std::fabs(*value) > FLT_MAX) return std::nullopt;
      return FloatToHex(static_cast<float>(*value));
    }
    case ValueFormat::Int: {
      if (maxBytes != 4) return std::nullopt;
      double value = 0;
      if (!Trimmed(typed).empty()) {
        const std::optional<double> number = WholeNumber(typed);
        if (!number) return std::nullopt;
        value = std::nearbyint(*number);
      }
      // Outside 32 unsigned bits the field would hold another number than the one typed.
      if (!(value >= 0 && value <= 4294967295.0)) return std::nullopt;
      return ToHex(static_cast<std::uint64_t>(value), 8);
    }
    case ValueFormat::Unknown:
      break;
  }
  return std::nullopt;
}

}  // namespace

bool IsAtFormat(std::string_view format) { return format.find("AT") != std::string_view::npos; }

ValueFormat FormatOf(std::string_view format) {
  if (IsAtFormat(format) || format == kFormatString) return ValueFormat::String;
  if (format == kFormatRaw) return ValueFormat::Raw;
  if (format == kFormatIP) return ValueFormat::IP;
  if (format == kFormatInt) return ValueFormat::Int;
  if (format == kFormatFloat) return ValueFormat::Float;
  if (format == kFormatYesNo) return ValueFormat::YesNo;
  return ValueFormat::Unknown;
}

std::string PrettyData(std::string_view raw, std::string_view format) {
  const bool quad = raw.size() == 8;
  switch (FormatOf(format)) {
    case ValueFormat::String:
      return StringText(raw);
    case ValueFormat::Raw:
      return std::string(raw);
    case ValueFormat::IP:
      return FormatIPAddress(quad ? QuadOf(raw) : Quad{});
    case ValueFormat::Int: {
      if (!quad) return text::kIntNot4Bytes;
      const Quad b = QuadOf(raw);
      return std::to_string((std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
                            (std::uint32_t{b[2]} << 8) | std::uint32_t{b[3]});
    }
    case ValueFormat::Float: {
      if (!quad) return text::kFloatNot4Bytes;
      float value = 0;
      ByteArrayToFloat(QuadOf(raw), value);
      return FloatText(value);
    }
    case ValueFormat::YesNo:
      // Only a zero field is No: any set bit, in whichever digit, means Yes.
      return raw.find_first_not_of('0') == std::string_view::npos ? text::kNo : text::kYes;
    case ValueFormat::Unknown:
      break;
  }
  return text::kUnknownType;
}

std::string FormatMemMapValue(std::string_view raw, std::string_view format) {
  return PrettyData(raw, format);
}

std::optional<std::string> MemMapFormat(std::string_view typed, std::string_view format, long maxBytes,
                                        Prompter& ui) {
  std::optional<std::string> digits = Encode(typed, FormatOf(format), maxBytes, ui);
  if (digits && static_cast<long>(digits->size() / 2) > maxBytes) return std::nullopt;
  return digits;
}

std::string FormatBitList(std::string_view mask) {
  std::string padded(mask.size() < 16 ? 16 - mask.size() : 0, '0');
  padded.append(mask);
  const Bytes bytes = HexToBytes(padded);
  std::string out;
  for (int bit = 0; bit < 64; ++bit)
    if (BinStringToBit(bytes, bit)) out += "[" + std::to_string(bit) + "] ";
  return out;
}

}  // namespace kestrio::options
