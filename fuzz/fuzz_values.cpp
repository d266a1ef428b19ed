// The value conversions in both directions: IP addresses, 64-bit masks, floats held as quadlets
// and numbers typed by the operator. Round trips must be exact and no text may crash a reader.
//
// Input layout: the first 8 bytes are a number used as mask, float bits and IP bytes; the rest
// is text handed to every text reader.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_input.h"
#include "protocol/convert.h"
#include "protocol/hex.h"

namespace {

using kestrio::fuzz::FuzzInput;

void CheckIP(std::uint64_t number, std::string_view text) {
  const kestrio::Quad quad = kestrio::LongToByteArray(static_cast<std::int32_t>(number));
  const std::string shown = kestrio::FormatIPAddress(quad);
  KESTRIO_FUZZ_CHECK(kestrio::IPToHex(shown) == kestrio::ToHex(number & 0xFFFFFFFF, 8));
  KESTRIO_FUZZ_CHECK(kestrio::FormatDottedHex(quad).size() == 11);

  // Whatever is typed: nothing, or eight digits that show back as an address reading the same.
  const std::string hex = kestrio::IPToHex(text);
  if (!hex.empty()) {
    KESTRIO_FUZZ_CHECK(hex.size() == 8);
    const kestrio::Bytes b = kestrio::HexToBytes(hex);
    KESTRIO_FUZZ_CHECK(b.size() == 4);
    KESTRIO_FUZZ_CHECK(kestrio::IPToHex(kestrio::FormatIPAddress({b[0], b[1], b[2], b[3]})) == hex);
  }
}

void CheckMask(std::uint64_t mask, std::string_view text) {
  const std::string hex = kestrio::MaskToHex64(mask);
  KESTRIO_FUZZ_CHECK(hex.size() == 16);
  KESTRIO_FUZZ_CHECK(kestrio::HexValue(hex) == mask);
  const kestrio::Bytes bytes = kestrio::HexToBytes(hex);
  for (int bit = 0; bit < 64; ++bit) {
    KESTRIO_FUZZ_CHECK(kestrio::BinStringToBit(bytes, bit) == (((mask >> bit) & 1) != 0));
  }
  const int some = static_cast<int>(mask >> 58);  // 0..63
  KESTRIO_FUZZ_CHECK(kestrio::MaskBit(hex, some) == (((mask >> some) & 1) != 0));
  KESTRIO_FUZZ_CHECK(!kestrio::BinStringToBit(bytes, 64) && !kestrio::BinStringToBit(bytes, -1));
  // Any text as a mask: bits outside its bytes read clear, and nothing reads past the text.
  const int bit = static_cast<int>(mask % 200) - 50;
  const bool set = kestrio::MaskBit(text, bit);
  if (bit < 0 || static_cast<std::size_t>(bit) >= 8 * ((text.size() + 1) / 2)) KESTRIO_FUZZ_CHECK(!set);
}

void CheckFloat(std::uint32_t bits, std::string_view text) {
  const float value = std::bit_cast<float>(bits);
  const std::string hex = kestrio::FloatToHex(value);
  KESTRIO_FUZZ_CHECK(hex.size() == 8);
  const float back = kestrio::HexToFloat(hex);
  if (!std::isnan(value)) KESTRIO_FUZZ_CHECK(std::bit_cast<std::uint32_t>(back) == bits);
  KESTRIO_FUZZ_CHECK(std::isnan(back) == std::isnan(value));

  const kestrio::Quad quad = kestrio::FloatToByteArray(value);
  float fromBytes = 0;
  KESTRIO_FUZZ_CHECK(kestrio::ByteArrayToFloat(quad, fromBytes));
  if (!std::isnan(value)) KESTRIO_FUZZ_CHECK(std::bit_cast<std::uint32_t>(fromBytes) == bits);

  // Any eight characters read as a float, and write back as the same digits when they were hex.
  const std::string_view eight = text.substr(0, std::min<std::size_t>(8, text.size()));
  const float typed = kestrio::HexToFloat(eight);
  if (!std::isnan(typed)) {
    const std::string again = kestrio::FloatToHex(typed);
    KESTRIO_FUZZ_CHECK(again.size() == 8);
    if (eight.size() == 8 && kestrio::StrippedHex(eight).size() == 8) {
      KESTRIO_FUZZ_CHECK(kestrio::HexValue(again) == kestrio::HexValue(eight));
    }
  }
}

void CheckNumbers(std::string_view text) {
  const std::optional<double> number = kestrio::LeadingNumber(text);
  if (number) KESTRIO_FUZZ_CHECK(std::isfinite(*number));
  const std::optional<std::int64_t> rounded = kestrio::ReadRoundedNumber(text);
  if (rounded) {
    KESTRIO_FUZZ_CHECK(number.has_value());
    KESTRIO_FUZZ_CHECK(std::fabs(static_cast<double>(*rounded) - *number) <= 0.5 ||
                       std::fabs(*number) >= 4503599627370496.0);  // 2^52: every double is whole
    if (*rounded > -(std::int64_t{1} << 53) && *rounded < (std::int64_t{1} << 53)) {
      const std::string shown = kestrio::NumberText(*rounded);
      KESTRIO_FUZZ_CHECK(kestrio::ReadRoundedNumber(shown) == rounded);
    }
  } else if (number) {
    KESTRIO_FUZZ_CHECK(std::fabs(*number) >= 9.2e18);  // refused only when it does not fit
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  std::uint64_t number = 0;
  for (int i = 0; i < 8; ++i) number = (number << 8) | in.Byte();
  const std::string_view text = in.Rest();
  CheckIP(number, text);
  CheckMask(number, text);
  CheckFloat(static_cast<std::uint32_t>(number), text);
  CheckFloat(static_cast<std::uint32_t>(number >> 32), text);
  CheckNumbers(text);
  return 0;
}
