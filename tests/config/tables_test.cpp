#include <gtest/gtest.h>

#include "config/mask.h"
#include "config/state_tables.h"
#include "config/utf8_text.h"

namespace kestrio::config {
namespace {

TEST(StateTables, ResetTouchesOnlyDigitalEventsAndTimers) {
  StateGlobals tables;
  EXPECT_FALSE(IsDefined(tables.digitalEvents[0]));
  tables.states[3].name = "Pump on";
  tables.digitalEvents[64] = {7, 3, 3};
  tables.timers[63] = {0, 3, 4, "10"};
  StateGlobals expected = tables;
  expected.digitalEvents[64] = {7, NO_STATE, NO_STATE};
  expected.timers[63] = {0, NO_STATE, NO_STATE, "10"};
  ResetDigitalEventsAndTimers(tables);
  EXPECT_EQ(tables, expected);
}

TEST(StateTables, FreeSetsAndSetReferencesStayInsideTheUsableSets) {
  StateGlobals tables;
  tables.states[0].name = "A";
  tables.states[1].digitalOn = "0000000000000001";  // unnamed, so free whatever its masks
  EXPECT_EQ(FirstFreeSet(tables), 1);
  tables.states[127].name = "Last";
  tables.states[NO_STATE].name = "never a set";
  const std::pair<int, std::string> cases[] = {{127, "Last"}, {NO_STATE, ""}, {-1, ""}, {32767, ""}, {1, ""}};
  for (const auto& [reference, name] : cases) {
    EXPECT_EQ(SetName(tables, reference), name) << reference;
    EXPECT_EQ(IsNamedSet(tables, reference), !name.empty()) << reference;
  }
  for (int i = 0; i < kUsableStates; ++i) tables.states[i].name = "S";
  EXPECT_EQ(FirstFreeSet(tables), std::nullopt);
}

TEST(Mask, ExactValuesTextsAndBitLists) {
  struct Case {
    std::string text;
    std::uint64_t value;
    std::string list;
  };
  const Case cases[] = {
      {"0000000000000000", 0, ""},
      {"8000000000000001", (1ull << 63) | 1ull, "[0] [63] "},
      {"8000000000000021", (1ull << 63) | (1ull << 5) | 1ull, "[0] [5] [63] "},
      {"00000000000000F0", 0xF0, "[4] [5] [6] [7] "},
      // Stored texts that are not 16 upper-case digits read as the hex routines read them.
      {"", 0, ""},
      {"00000000000000ff", 0xFF, "[0] [1] [2] [3] [4] [5] [6] [7] "},
      {"80000001", 0x80000001, "[0] [31] "},
      {"zz", 0, ""},
      {"AB8000000000000001", 0x8000000000000001, "[0] [63] "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MaskValue(c.text), c.value) << c.text;
    EXPECT_EQ(MaskBitList(c.text), c.list) << c.text;
    if (c.text.size() == 16 && c.text != "00000000000000ff") {
      EXPECT_EQ(MaskText(c.value), c.text);
    }
  }
  EXPECT_FALSE(MaskHasBit("80000001", 64));
  EXPECT_EQ(NormalizedMask(""), "");
  EXPECT_EQ(NormalizedMask("20"), "0000000000000020");
}

TEST(Utf8Text, ForeignBytesBecomeTheirWesternCharactersAndCutsCountCharacters) {
  const std::pair<std::string, std::string> cases[] = {
      {"Pumpe S\xFC"
       "d",
       "Pumpe Süd"},                                   // single-byte code page
      {"Pumpe Süd", "Pumpe Süd"},                      // already UTF-8
      {"\x80 \x9D", "€ \xC2\x9D"},                     // 0x80 is the euro sign; 0x9D unassigned
      {"\xC3", "Ã"},                                   // a cut sequence
      {"\xED\xA0\x80", "í\xC2\xA0\xE2\x82\xAC"},       // a surrogate is not UTF-8
      {"\xF0\x9F\x94\xA7 ok", "\xF0\x9F\x94\xA7 ok"},  // four-byte character kept
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(ToValidUtf8(in), out) << in;
  EXPECT_EQ(CharCount("Süd"), 3u);
  EXPECT_EQ(FirstChars("Süd-Ost", 3), "Süd");
  EXPECT_EQ(DropChars(".  1:  Süd", 7), "Süd");
  EXPECT_EQ(DropChars("abc", 7), "");
  EXPECT_TRUE(EqualIgnoringCase("Pump ON", "pump on"));
}

}  // namespace
}  // namespace kestrio::config
