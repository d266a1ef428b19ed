#include <gtest/gtest.h>

#include "config/config_window_rules.h"
#include "config/item_ranges.h"
#include "config/names.h"
#include "config/numbers.h"

namespace kestrio::config {
namespace {

TEST(ItemRanges, FirstUnusedSearchesTheUsableRangeOnly) {
  StateGlobals t;
  t.states[0].name = "S";
  for (int i = 0; i < kUsableDigitalEvents; ++i) t.digitalEvents[i].eventState = 0;
  t.digitalEvents[7].eventState = 1;  // refers to an unnamed set: free
  EXPECT_EQ(FirstUnusedItem(t, ItemKind::DigitalEvent), 7);
  t.digitalEvents[7].eventState = 0;
  EXPECT_EQ(FirstUnusedItem(t, ItemKind::DigitalEvent), std::nullopt);  // entry 64 is not offered
}

TEST(NumericBoxes, ClampOnLeavingAndCheckOnOk) {
  EXPECT_EQ(ClampToMaximum("4294967296", 4294967295u), "4294967295");
  EXPECT_EQ(ClampToMaximum("604801", 604800), "604800");
  EXPECT_EQ(ClampToMaximum("604800", 604800), "604800");
  EXPECT_EQ(ClampToMaximum("abc", 604800), "abc");

  const std::pair<std::string, bool> cases[] = {{"0.00", true},        {" 7 ", true},  {"4294967295", true},
                                                {"4294967296", false}, {"-1", false},  {"12abc", false},
                                                {"", false},           {"1e3", false}, {"1.2.3", false}};
  for (const auto& [text, ok] : cases) {
    std::string message;
    EXPECT_EQ(CheckNumericBox(text, "timer preset", kMaxQuadletValue, message), ok) << text;
    EXPECT_EQ(message.empty(), ok) << text;
  }
}

class ConfigWindowRules : public ::testing::Test {
 protected:
  ConfigWindowRules() {
    t.states[3].name = "<3 - looks like a list";
    t.serialEvents[0].patternString = "P";
  }
  StateGlobals t;
};

TEST_F(ConfigWindowRules, AddTakesAFreeItemFromAFilledCellAndTheRowsOwnFromAnEmptyOne) {
  EXPECT_EQ(ItemForAdd(View::Alarms, 11, "Deviation"), -1);
  EXPECT_EQ(ItemForAdd(View::Alarms, 11, ""), 10);
  EXPECT_EQ(ItemForAdd(View::Messages, 0, ""), -1);  // the header row
  EXPECT_EQ(ItemForAdd(View::Points, 3, ""), std::nullopt);
  EXPECT_EQ(ItemForAdd(View::Ports, 3, ""), std::nullopt);
}

TEST_F(ConfigWindowRules, ModifyOpensTheListedOrTheRowsItem) {
  struct Case {
    View view;
    int row, column;
    std::string cell;
    Editor editor;
    int item;
  };
  const Case cases[] = {
      {View::Ports, 3, 1, "<12 - PING> <14 - X> ", Editor::SerialEvent, 12},
      {View::Ports, 3, 2, "<12 - Tank> ", Editor::Message, 12},
      {View::Ports, 3, 1, "", Editor::SerialEvent, 1},  // the first serial event without a pattern
      {View::Ports, 3, 2, "", Editor::Message, 0},
      {View::Ports, 3, 0, " 2", Editor::None, 0},
      {View::Points, 6, 1, "<3 named like a list", Editor::Name, 5},
      {View::Flags, 64, 1, "", Editor::Name, 63},
      {View::Points, 6, 3, "9, 12", Editor::DigitalEvent, 9},
      {View::Points, 6, 3, "", Editor::DigitalEvent, 0},
      {View::Flags, 6, 3, "4", Editor::Timer, 4},
      {View::Points, 6, 5, "<3 - Pump> \r", Editor::None, 0},
      {View::DigitalEvents, 8, 1, "<3 - looks like a list", Editor::DigitalEvent, 7},
      {View::Messages, 128, 1, "", Editor::Message, 127},
  };
  for (const Case& c : cases) {
    const ModifyTarget target = TargetForModify(t, c.view, c.row, c.column, c.cell);
    EXPECT_EQ(target.editor, c.editor) << c.cell;
    EXPECT_EQ(target.item, c.item) << c.cell;
    EXPECT_EQ(target.message, "") << c.cell;
  }
  for (auto& s : t.serialEvents) s.patternString = "P";
  EXPECT_EQ(TargetForModify(t, View::Ports, 3, 1, "").message, "Maximum 32 Serial Events (0-31).");
  EXPECT_EQ(TargetForModify(t, View::SerialEvents, 40, 0, "").message, "Maximum 32 Serial Events (0-31).");
}

TEST_F(ConfigWindowRules, DeleteEmptiesOneItemAndKeepsItsSets) {
  t.flagNames[5].name = "F5";
  t.digitalEvents[2] = {2, 3, 3};
  t.timers[2] = {2, 3, 3, "10"};
  t.alarms[2].deviationStatus = "Enabled";
  t.alarms[2].number = 2;
  t.eventMessages[2].name = "M";
  StateGlobals expected = t;

  EXPECT_TRUE(DeleteItem(t, View::Flags, 5));
  expected.flagNames[5].name.clear();
  EXPECT_TRUE(DeleteItem(t, View::DigitalEvents, 2));
  expected.digitalEvents[2] = {2, NO_STATE, NO_STATE};
  EXPECT_TRUE(DeleteItem(t, View::Timers, 2));
  expected.timers[2] = {0, NO_STATE, NO_STATE, "10"};
  EXPECT_TRUE(DeleteItem(t, View::Alarms, 2));
  expected.alarms[2] = {};
  EXPECT_TRUE(DeleteItem(t, View::Messages, 2));
  expected.eventMessages[2] = {};
  EXPECT_TRUE(DeleteItem(t, View::SerialEvents, 0));
  expected.serialEvents[0] = {};
  EXPECT_FALSE(DeleteItem(t, View::Ports, 0));
  EXPECT_FALSE(DeleteItem(t, View::DigitalEvents, 64));
  EXPECT_FALSE(DeleteItem(t, View::Points, -1));
  EXPECT_EQ(t, expected);
}

TEST(NameWindow, NamesTheItemItWasOpenedForAndMovesOnOnlyAfterASave) {
  StateGlobals t;
  NameWindowResult r = NameWindowOk(t, View::Points, 5, "");
  EXPECT_EQ(r.message, "Invalid name.");
  EXPECT_FALSE(r.saved);
  EXPECT_EQ(t, StateGlobals{});
  EXPECT_EQ(RowAfterNameWindow(6, 64, r.saved), 6);

  EXPECT_EQ(NameWindowOk(t, View::Points, 5, "0123456789abcdef").message,
            "A name has at most 15 characters.");
  r = NameWindowOk(t, View::Points, 5, " 15 characters ");
  EXPECT_TRUE(r.saved);
  EXPECT_EQ(t.pointNames[5].name, " 15 characters ");
  EXPECT_EQ(t.flagNames[5].name, "");
  EXPECT_EQ(RowAfterNameWindow(6, 64, r.saved), 7);
  EXPECT_EQ(RowAfterNameWindow(64, 64, r.saved), 64);

  EXPECT_TRUE(NameWindowOk(t, View::Flags, 12, "Süd-Ventil Nr15").saved);  // 15 characters, more bytes
  EXPECT_EQ(t.flagNames[12].name, "Süd-Ventil Nr15");
  EXPECT_FALSE(ClearName(t, View::Flags, 64));
  EXPECT_EQ(NameWindowCaption(View::Points, 5), "Name for Point  5");
}

}  // namespace
}  // namespace kestrio::config
