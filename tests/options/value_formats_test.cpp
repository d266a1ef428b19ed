#include "options/value_formats.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "options/option_texts.h"

namespace kestrio::options {
namespace {

struct Shown {
  const char* raw;
  const char* format;
  std::string expected;
};

TEST(PrettyDataTest, RawDigitsToDisplay) {
  const Shown cases[] = {
      {"FFFFFFFF", "Int", "4294967295"},
      {"00011170", "Int", "70000"},
      {"0011170", "Int", text::kIntNot4Bytes},
      {"0000000000000001", "Int", text::kIntNot4Bytes},
      {"", "Int", text::kIntNot4Bytes},
      {"3F000000", "Float", "0.5"},
      {"C2C80000", "Float", "-100"},
      {"4B3C614E", "Float", "1.234568E+07"},
      {"7FC00000", "Float", "NaN"},
      {"3F00", "Float", text::kFloatNot4Bytes},
      {"C0A80132", "IP", "192.168.1.50"},
      {"C0A8", "IP", "0.0.0.0"},
      {"00000000", "YesNo", "No"},
      {"00000001", "YesNo", "Yes"},
      {"0000000A", "YesNo", "Yes"},  // any set bit, not a leading decimal number
      {"80000000", "YesNo", "Yes"},
      {"0000000000000100", "YesNo", "Yes"},
      {"00ab", "Raw", "00ab"},
      {"4B45535452494F", "String", "KESTRIO"},
      {"41420043", "String", "AB"},              // ends at the first zero byte
      {"0041", "String", ""},
      {"41E9FF00", "String", "A\xC3\xA9\xC3\xBF"},  // 8-bit codes as their characters
      {"414", "String", "A"},                    // a lone last digit is no character
      {"41424344", "ATZ", "ABCD"},               // capitals AT: a String
      {"3F000000", "Float", "0.5"},              // "Float" holds "at", not "AT"
      {"3F000000", "FLOAT", "?"},                // ...but "FLOAT" holds "AT"
      {"00000001", "float", text::kUnknownType},
      {"00000001", "", text::kUnknownType},
  };
  for (const Shown& c : cases) {
    EXPECT_EQ(PrettyData(c.raw, c.format), c.expected) << c.raw << " as " << c.format;
    EXPECT_EQ(FormatMemMapValue(c.raw, c.format), c.expected) << c.raw << " as " << c.format;
  }
}

TEST(PrettyDataTest, ZeroByteFoundOnlyAtByteBoundaries) {
  // "00" across two bytes (0x30 0x05 holds "3005") must not cut the string.
  const Shown cases[] = {
      {"41300541", "String", "A0\x05"
                             "A"},
      {"41420043", "String", "AB"},
      {"4100", "String", "A"},
      {"410", "String", "A"},
      {"00", "String", ""},
  };
  for (const Shown& c : cases) EXPECT_EQ(FormatMemMapValue(c.raw, c.format), c.expected) << c.raw;
}

struct Typed {
  std::string typed;
  const char* format;
  long maxBytes;
  std::optional<std::string> digits;
  std::vector<std::string> messages;  // what the operator is told by the format itself
};

class MemMapFormatTest : public ::testing::Test {
 protected:
  void Check(const Typed& c) {
    ui.Clear();
    EXPECT_EQ(MemMapFormat(c.typed, c.format, c.maxBytes, ui), c.digits)
        << "'" << c.typed << "' as " << c.format << " in " << c.maxBytes;
    EXPECT_EQ(ui.Messages(), c.messages) << "'" << c.typed << "' as " << c.format;
  }
  ScriptedPrompter ui;
};

TEST_F(MemMapFormatTest, Numbers) {
  const Typed cases[] = {
      {"4294967295", "Int", 4, "FFFFFFFF", {}},
      {"70000", "Int", 4, "00011170", {}},
      {" 0 ", "Int", 4, "00000000", {}},
      {"", "Int", 4, "00000000", {}},
      {"2.5", "Int", 4, "00000002", {}},  // ties to even
      {"1e3", "Int", 4, "000003E8", {}},
      {"4294967296", "Int", 4, std::nullopt, {}},  // would need 33 bits
      {"-1", "Int", 4, std::nullopt, {}},          // would store 4294967295
      {"12abc", "Int", 4, std::nullopt, {}},
      {"abc", "Int", 4, std::nullopt, {}},
      {"5", "Int", 8, std::nullopt, {}},
      {"5", "Int", 2, std::nullopt, {}},
      {"0.5", "Float", 4, "3F000000", {}},
      {"-100", "Float", 4, "C2C80000", {}},
      {"1.5", "Float", 8, std::nullopt, {}},
      {"", "Float", 4, std::nullopt, {}},
      {"1e39", "Float", 4, std::nullopt, {}},  // beyond a float: would store infinity
      {"nan", "Float", 4, std::nullopt, {}},
      {"3.4e38", "Float", 4, "7F7FC99E", {}},
  };
  for (const Typed& c : cases) Check(c);
}

TEST_F(MemMapFormatTest, TextsAndAddresses) {
  const std::string tooLong = std::string(text::kStringTooLongPrefix) + "abcdefgh" + text::kStringTooLongSuffix;
  const Typed cases[] = {
      {"abcdefg", "String", 8, "616263646566670" "0", {}},  // seven characters and the zero byte
      {"abcdefgh", "String", 8, std::nullopt, {tooLong}},
      {"", "String", 1, "00", {}},
      {"", "String", 0, std::nullopt, {std::string(text::kStringTooLongPrefix) + text::kStringTooLongSuffix}},
      {"A\xC3\xA9", "String", 4, "41E900", {}},        // Latin-1 character as its 8-bit code
      {"\xE2\x82\xAC", "String", 8, std::nullopt, {}},  // the euro sign has no 8-bit code
      {"\xC3", "String", 8, std::nullopt, {}},          // not UTF-8
      {"ATZ", "ATZ", 4, "41545A00", {}},
      {"yes", "YesNo", 4, "00000001", {}},
      {"NO", "YesNo", 4, "00000000", {}},
      {"1", "YesNo", 4, std::nullopt, {std::string(text::kYesNoPrefix) + "1" + text::kYesNoSuffix}},
      {"Yes", "YesNo", 2, std::nullopt, {}},
      {"192.168.1.5", "IP", 4, "C0A80105", {}},
      {"192.168.1", "IP", 4, std::nullopt, {}},
      {"1.2.3.4", "IP", 2, std::nullopt, {}},
      {"00ab 12cd", "Raw", 4, "00AB12CD", {}},
      {"0000000000000005", "Raw", 8, "0000000000000005", {}},
      {"123", "Raw", 4, std::nullopt, {}},         // half a byte
      {"1234567890", "Raw", 4, std::nullopt, {}},  // past the field
      {"12G4", "Raw", 4, std::nullopt, {}},
      {"", "Raw", 4, std::nullopt, {}},
      {"x", "Bytes", 4, std::nullopt, {}},
  };
  for (const Typed& c : cases) Check(c);
}

TEST(FormatBitListTest, SetBitsAscending) {
  const std::pair<const char*, const char*> cases[] = {
      {"5", "[0] [2] "},
      {"8000000000000021", "[0] [5] [63] "},
      {"0000000000000000", ""},
      {"", ""},
      {"FFFF", "[0] [1] [2] [3] [4] [5] [6] [7] [8] [9] [10] [11] [12] [13] [14] [15] "},
  };
  for (const auto& [mask, list] : cases) EXPECT_EQ(FormatBitList(mask), list) << mask;
}

}  // namespace
}  // namespace kestrio::options
