#include "options/value_formats.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "options/option_texts.h"

namespace kestrio::options {
namespace {

TEST(PrettyDataTest, RawDigitsToDisplay) {
  struct Case {
    const char* raw;
    const char* format;
    std::string shown;
  };
  // clang-format off
  const Case cases[] = {
      {"FFFFFFFF", "Int", "4294967295"}, {"0011170", "Int", text::kIntNot4Bytes},
      {"C2C80000", "Float", "-100"}, {"4B3C614E", "Float", "1.234568E+07"},
      {"3F00", "Float", text::kFloatNot4Bytes}, {"C0A80132", "IP", "192.168.1.50"},
      {"00000000", "YesNo", "No"}, {"0000000A", "YesNo", "Yes"},  // any set bit, not leading decimals
      {"00ab", "Raw", "00ab"}, {"41E9FF00", "String", "A\xC3\xA9\xC3\xBF"},  // 8-bit codes as characters
      {"41420043", "String", "AB"}, {"41300541", "String", "A0\x05" "A"},  // "00" only at a byte
      {"414", "String", "A"}, {"41424344", "ATZ", "ABCD"},                 // capitals AT: a String
      {"3F000000", "Float", "0.5"}, {"3F000000", "FLOAT", "?"},            // "at" is not "AT"
      {"00000001", "float", text::kUnknownType},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(PrettyData(c.raw, c.format), c.shown) << c.raw << " as " << c.format;
}

TEST(MemMapFormatTest, TypedTextToDigits) {
  struct Case {
    std::string typed;
    const char* format;
    long maxBytes;
    std::optional<std::string> digits;
    std::string message;  // the format's own message, if any
  };
  const std::string tooLong =
      std::string(text::kStringTooLongPrefix) + "abcdefgh" + text::kStringTooLongSuffix;
  const std::string notYesNo = std::string(text::kYesNoPrefix) + "1" + text::kYesNoSuffix;
  // clang-format off
  const Case cases[] = {
      {"4294967295", "Int", 4, "FFFFFFFF", ""}, {"70000", "Int", 4, "00011170", ""},
      {"", "Int", 4, "00000000", ""}, {"2.5", "Int", 4, "00000002", ""},  // ties to even
      {"4294967296", "Int", 4, {}, ""}, {"-1", "Int", 4, {}, ""}, {"12abc", "Int", 4, {}, ""},
      {"5", "Int", 8, {}, ""}, {"-100", "Float", 4, "C2C80000", ""}, {"1.5", "Float", 8, {}, ""},
      {"", "Float", 4, {}, ""}, {"1e39", "Float", 4, {}, ""},  // would be stored as infinity
      {"abcdefg", "String", 8, "6162636465666700", ""}, {"abcdefgh", "String", 8, {}, tooLong},
      {"A\xC3\xA9", "String", 4, "41E900", ""}, {"\xE2\x82\xAC", "String", 8, {}, ""},  // no 8-bit code
      {"ATZ", "ATZ", 4, "41545A00", ""}, {"yes", "YesNo", 4, "00000001", ""},
      {"1", "YesNo", 4, {}, notYesNo}, {"Yes", "YesNo", 2, {}, ""}, {"192.168.1.5", "IP", 4, "C0A80105", ""},
      {"192.168.1", "IP", 4, {}, ""}, {"00ab 12cd", "Raw", 4, "00AB12CD", ""}, {"123", "Raw", 4, {}, ""},
      {"1234567890", "Raw", 4, {}, ""}, {"x", "Bytes", 4, {}, ""},
  };
  // clang-format on
  for (const Case& c : cases) {
    ScriptedPrompter ui;
    EXPECT_EQ(MemMapFormat(c.typed, c.format, c.maxBytes, ui), c.digits) << c.typed << " as " << c.format;
    EXPECT_EQ(ui.Messages(), c.message.empty() ? std::vector<std::string>{} : std::vector{c.message})
        << c.typed;
  }
}

TEST(FormatBitListTest, SetBitsAscending) {
  EXPECT_EQ(FormatBitList("5"), "[0] [2] ");
  EXPECT_EQ(FormatBitList("8000000000000021"), "[0] [5] [63] ");
  EXPECT_EQ(FormatBitList(""), "");
}

}  // namespace
}  // namespace kestrio::options
