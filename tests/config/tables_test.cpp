#include <gtest/gtest.h>

#include "config/mask.h"
#include "config/state_tables.h"
#include "config/utf8_text.h"

namespace kestrio::config {
namespace {

TEST(StateTables, StartEmptyWithEveryEventAndTimerOnNoState) {
  const StateGlobals tables;
  for (const auto& event : tables.digitalEvents) EXPECT_FALSE(IsDefined(event));
  for (const auto& timer : tables.timers) EXPECT_EQ(timer.outputState, NO_STATE);
  EXPECT_EQ(FirstFreeSet(tables), 0);
}

TEST(StateTables, ResetTouchesOnlyDigitalEventsAndTimers) {
  StateGlobals tables;
  tables.states[3].name = "Pump on";
  tables.pointNames[5].name = "Lift";
  tables.digitalEvents[64] = {7, 3, 3};
  tables.timers[63] = {0, 3, 4, "10"};
  StateGlobals expected = tables;
  expected.digitalEvents[64].eventState = expected.digitalEvents[64].reactionState = NO_STATE;
  expected.timers[63].inputState = expected.timers[63].outputState = NO_STATE;
  ResetDigitalEventsAndTimers(tables);
  EXPECT_EQ(tables, expected);
}

TEST(StateTables, DefinedMarkersLookAtOneFieldOnly) {
  AlarmRecord alarm;
  alarm.highStatus = "Enabled";
  EXPECT_FALSE(IsDefined(alarm));
  alarm.deviationStatus = "Disabled";
  EXPECT_TRUE(IsDefined(alarm));
  EXPECT_FALSE(IsDefined(DigitalEventRecord{0, NO_STATE, 3}));
  EXPECT_TRUE(IsDefined(DigitalEventRecord{0, 0, NO_STATE}));
  EventMessageRecord message;
  message.messageText = "text without a name";
  EXPECT_FALSE(IsDefined(message));
  SerialEventRecord serial;
  serial.resultingString = "x";
  EXPECT_FALSE(IsDefined(serial));
}

TEST(StateTables, FreeSetIsTheLowestUnnamedWhateverItsMasks) {
  StateGlobals tables;
  tables.states[0].name = "A";
  tables.states[1].digitalOn = "0000000000000001";
  EXPECT_EQ(FirstFreeSet(tables), 1);
  for (int i = 0; i < kUsableStates; ++i) tables.states[i].name = "S";
  EXPECT_EQ(FirstFreeSet(tables), std::nullopt);
}

TEST(StateTables, SetReferencesOutsideTheUsableSetsNameNothing) {
  StateGlobals tables;
  tables.states[127].name = "Last";
  tables.states[NO_STATE].name = "never a set";
  const std::pair<int, std::string> cases[] = {{127, "Last"}, {NO_STATE, ""}, {-1, ""}, {32767, ""}, {0, ""}};
  for (const auto& [reference, name] : cases) {
    EXPECT_EQ(SetName(tables, reference), name) << reference;
    EXPECT_EQ(IsNamedSet(tables, reference), !name.empty()) << reference;
  }
}

TEST(Mask, TextValueAndBitList) {
  struct Case {
    std::uint64_t value;
    std::string text;
    std::string list;
  };
  const Case cases[] = {
      {0, "0000000000000000", ""},
      {(1ull << 63) | 1ull, "8000000000000001", "[0] [63] "},
      {(1ull << 5) | 1ull | (1ull << 63), "8000000000000021", "[0] [5] [63] "},
      {0xF0, "00000000000000F0", "[4] [5] [6] [7] "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MaskText(c.value), c.text);
    EXPECT_EQ(MaskValue(c.text), c.value);
    EXPECT_EQ(MaskBitList(c.text), c.list);
  }
}

TEST(Mask, StoredTextsReadLikeTheHexRoutines) {
  const std::pair<std::string, std::uint64_t> cases[] = {{"", 0},
                                                         {"8000000000000001", 0x8000000000000001},
                                                         {"00000000000000ff", 0xFF},
                                                         {"80000001", 0x80000001},
                                                         {"zz", 0},
                                                         // More than 16 digits keep the low 64 bits.
                                                         {"AB8000000000000001", 0x8000000000000001}};
  for (const auto& [text, value] : cases) EXPECT_EQ(MaskValue(text), value) << text;
  EXPECT_TRUE(MaskHasBit("80000001", 31));
  EXPECT_FALSE(MaskHasBit("80000001", 64));
  EXPECT_FALSE(MaskHasBit("80000001", -1));
  EXPECT_EQ(NormalizedMask(""), "");
  EXPECT_EQ(NormalizedMask("20"), "0000000000000020");
  EXPECT_EQ(PortMaskText(0x80000001u), "80000001");
}

TEST(Utf8Text, ForeignBytesBecomeTheirWesternCharacters) {
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
}

TEST(Utf8Text, CutsCountCharactersNotBytes) {
  EXPECT_EQ(CharCount("Süd"), 3u);
  EXPECT_EQ(FirstChars("Süd-Ost", 3), "Süd");
  EXPECT_EQ(DropChars(".  1:  Süd", 7), "Süd");
  EXPECT_EQ(DropChars("abc", 7), "");
  EXPECT_TRUE(EqualIgnoringCase("Pump ON", "pump on"));
  EXPECT_FALSE(EqualIgnoringCase("Pump", "Pumps"));
}

}  // namespace
}  // namespace kestrio::config
