// The value formats in both directions. Any raw digits display without harm, and a value shown
// from whole digits types back to the same digits (a float to the same value at 7 significant
// digits). Any typed text is either refused or gives upper-case hex digits that fit the field and
// display as what was typed.
//
// Input layout: byte 0 picks the format, byte 1 is the field length in bytes; the rest is used as
// raw digits, as typed text and as a mask.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "options/value_formats.h"
#include "protocol/convert.h"
#include "protocol/hex.h"

namespace {

using kestrio::fuzz::FuzzInput;
namespace opt = kestrio::options;

constexpr const char* kFormats[] = {"String", "Raw", "IP", "Int", "Float", "YesNo", "ATZ", "float", ""};

bool UpperHex(const std::string& digits) {
  for (char c : digits)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

std::string Upper(std::string_view digits) {
  std::string out(digits);
  for (char& c : out)
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool CloseFloats(const std::string& a, const std::string& b) {
  const float x = kestrio::HexToFloat(a), y = kestrio::HexToFloat(b);
  if (x == y) return true;
  return std::fabs(x - y) <= 1e-6f * std::fmax(std::fabs(x), std::fabs(y)) || std::fabs(x - y) < 1e-37f;
}

// Raw digits to display and back.
void CheckShown(std::string_view raw, std::string_view format, opt::ValueFormat kind) {
  const std::string shown = opt::PrettyData(raw, format);
  KESTRIO_FUZZ_CHECK(opt::FormatMemMapValue(raw, format) == shown);
  const bool hex = !raw.empty() && raw.size() % 2 == 0 && kestrio::StrippedHex(raw).size() == raw.size();
  if (!hex) return;
  kestrio::ScriptedPrompter ui;
  const long bytes = static_cast<long>(raw.size() / 2);
  const std::optional<std::string> back = opt::MemMapFormat(shown, format, bytes, ui);
  switch (kind) {
    case opt::ValueFormat::Raw:
      KESTRIO_FUZZ_CHECK(back == Upper(raw));
      break;
    case opt::ValueFormat::Int:
    case opt::ValueFormat::IP:
      if (bytes == 4) KESTRIO_FUZZ_CHECK(back == Upper(raw));
      break;
    case opt::ValueFormat::YesNo:
      KESTRIO_FUZZ_CHECK((shown == "No") == (raw.find_first_not_of('0') == std::string_view::npos));
      if (bytes >= 4) KESTRIO_FUZZ_CHECK(back == (shown == "No" ? "00000000" : "00000001"));
      break;
    case opt::ValueFormat::Float:
      if (bytes == 4 && std::isfinite(kestrio::HexToFloat(raw))) {
        KESTRIO_FUZZ_CHECK(back.has_value());
        KESTRIO_FUZZ_CHECK(CloseFloats(*back, Upper(raw)));
      }
      break;
    case opt::ValueFormat::String: {
      // The characters up to the first zero byte, and that zero byte, when they fit the field.
      const std::optional<std::string> again = opt::MemMapFormat(shown, format, 1 << 20, ui);
      KESTRIO_FUZZ_CHECK(again.has_value());
      std::size_t end = 0;
      while (end < raw.size() && raw.substr(end, 2) != "00") end += 2;
      KESTRIO_FUZZ_CHECK(*again == Upper(raw.substr(0, end)) + "00");
      break;
    }
    case opt::ValueFormat::Unknown:
      KESTRIO_FUZZ_CHECK(!back.has_value());
      break;
  }
}

// Typed text to digits and back to display.
void CheckTyped(std::string_view typed, std::string_view format, opt::ValueFormat kind, long maxBytes) {
  kestrio::ScriptedPrompter ui;
  const std::optional<std::string> digits = opt::MemMapFormat(typed, format, maxBytes, ui);
  KESTRIO_FUZZ_CHECK(ui.Messages().size() <= 1);
  if (!digits) return;
  KESTRIO_FUZZ_CHECK(ui.Messages().empty());
  KESTRIO_FUZZ_CHECK(!digits->empty() && digits->size() % 2 == 0 && UpperHex(*digits));
  KESTRIO_FUZZ_CHECK(static_cast<long>(digits->size() / 2) <= maxBytes);
  const std::string shown = opt::PrettyData(*digits, format);
  switch (kind) {
    case opt::ValueFormat::String:
      // What was typed, up to a zero character, in the field's 8-bit codes.
      KESTRIO_FUZZ_CHECK(shown == typed.substr(0, typed.find('\0')));
      break;
    case opt::ValueFormat::Int: {
      const std::optional<std::int64_t> n = kestrio::ReadRoundedNumber(typed);
      KESTRIO_FUZZ_CHECK(shown == std::to_string(n.value_or(0)));
      break;
    }
    case opt::ValueFormat::YesNo:
      KESTRIO_FUZZ_CHECK(shown == "Yes" || shown == "No");
      break;
    case opt::ValueFormat::Raw:
      KESTRIO_FUZZ_CHECK(shown == *digits);
      break;
    case opt::ValueFormat::IP:
      KESTRIO_FUZZ_CHECK(kestrio::IPToHex(shown) == *digits);
      break;
    case opt::ValueFormat::Float:
      KESTRIO_FUZZ_CHECK(std::isfinite(kestrio::HexToFloat(*digits)));
      break;
    case opt::ValueFormat::Unknown:
      KESTRIO_FUZZ_CHECK(false);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const char* format = kFormats[in.Byte() % (sizeof kFormats / sizeof kFormats[0])];
  const long maxBytes = in.Byte();
  const std::string_view text = in.Rest();
  const opt::ValueFormat kind = opt::FormatOf(format);

  CheckShown(text, format, kind);
  CheckTyped(text, format, kind, maxBytes);

  // A mask of hex digits lists exactly the bits of its number.
  const std::string bits = opt::FormatBitList(text);
  KESTRIO_FUZZ_CHECK(bits.size() <= 64 * 5);
  if (text.size() <= 16 && kestrio::StrippedHex(text).size() == text.size()) {
    const std::uint64_t mask = kestrio::HexValue(text);
    std::string expected;
    for (int bit = 0; bit < 64; ++bit)
      if ((mask >> bit) & 1) expected += "[" + std::to_string(bit) + "] ";
    KESTRIO_FUZZ_CHECK(bits == expected);
  }
  return 0;
}
