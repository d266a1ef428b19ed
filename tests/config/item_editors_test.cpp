#include <gtest/gtest.h>

#include "config/alarm_rules.h"
#include "config/flag_grid.h"
#include "config/message_rules.h"
#include "config/picker_rules.h"
#include "config/serial_event_rules.h"

namespace kestrio::config {
namespace {

class FlagGrids : public ::testing::Test {
 protected:
  FlagGrids() {
    t.flagNames[5].name = "MONITOR";
    t.flagNames[12].name = "ON AIR";
    t.pointNames[7].name = "Valve";
  }
  StateGlobals t;
};

TEST_F(FlagGrids, RowsReadBackByNumberAndEnding) {
  EXPECT_EQ(FlagRowText(t, 5, false), " 5  MONITOR OFF");
  EXPECT_EQ(FlagRowText(t, 40, true), " 40   ON");
  // The flag and its state, "-" for a row that names none.
  const std::pair<std::string, std::string> cases[] = {
      {" 5  MONITOR OFF", "5 OFF"}, {" 12  ON AIR ON", "12 ON"}, {" 63   OFF", "63 OFF"}, {"", "-"},
      {" 64  x ON", "-"},           {" 5  MONITOR", "-"}};
  for (const auto& [row, expected] : cases) {
    const std::optional<FlagRow> p = ParseFlagRow(row);
    EXPECT_EQ(p ? std::to_string(p->flag) + (p->on ? " ON" : " OFF") : "-", expected) << row;
  }
  const std::vector<std::string> rows = FlagRowsOfMasks(t, "8000000000000020", "0000000000001001");
  EXPECT_EQ(rows, (std::vector<std::string>{" 5  MONITOR ON", " 63   ON", " 0   OFF", " 12  ON AIR OFF"}));
  EXPECT_EQ(BuildFlagMasks(rows).on, "8000000000000020");
  EXPECT_EQ(BuildFlagMasks(rows).off, "0000000000001001");
  EXPECT_EQ(FlagsInRows(rows), (std::vector<int>{5, 63, 0, 12}));
  EXPECT_FALSE(HasAnyFlagRow({"", ""}));
}

TEST_F(FlagGrids, PickerOffersWhatTheGridLacks) {
  EXPECT_EQ(DisplayName(t, true, 7), "Valve");
  EXPECT_EQ(DisplayName(t, false, 7), "  7  ");
  const std::vector<PickerEntry> points = PickerEntries(t, true, {0, 1});
  ASSERT_EQ(points.size(), 124u);
  EXPECT_EQ(points[0].text, "  2   ON");
  EXPECT_EQ(points[11].text, "Valve OFF");
  EXPECT_FALSE(points[11].on);
  std::vector<int> all(64);
  for (int i = 0; i < 64; ++i) all[i] = i;
  EXPECT_TRUE(PickerEntries(t, false, all).empty());
  EXPECT_FALSE(PickerOffersPoints("Alarm"));
}

TEST(AlarmEditor, SavesOnlyWhenEveryTickedConditionHasAFlag) {
  StateGlobals t;
  AlarmForm form = LoadAlarmForm(t, 10);
  EXPECT_EQ(form.address, "F0400128");
  EXPECT_EQ(SaveAlarm(t, 10, form), "At least one alarm must be configured to save.");
  form.blocks[2].enabled = true;
  form.blocks[0].enabled = true;
  form.blocks[0].flagRows = {FlagRowText(t, 1, true)};
  EXPECT_EQ(SaveAlarm(t, 10, form), "At least one flag must be selected.");
  EXPECT_EQ(t, StateGlobals{});

  form.blocks[0].enabled = false;
  form.blocks[2].flagRows = {FlagRowText(t, 3, false), ""};
  form.blocks[2].limitOrMid = "10";
  EXPECT_EQ(SaveAlarm(t, 10, form), std::nullopt);
  const AlarmRecord& a = t.alarms[10];
  EXPECT_TRUE(IsDefined(a));
  EXPECT_EQ(a.deviationStatus, "Disabled");
  EXPECT_EQ(a.deviationFlagsOn, "0000000000000002");  // kept from the unticked block's grid
  EXPECT_EQ(a.lowStatus, "Enabled");
  EXPECT_EQ(a.lowFlagsOff, "0000000000000008");
  EXPECT_EQ(a.isFloat, "No");

  AlarmForm reloaded = LoadAlarmForm(t, 10);
  form.blocks[2].flagRows.pop_back();
  EXPECT_EQ(reloaded.blocks[2].flagRows, form.blocks[2].flagRows);
  EXPECT_TRUE(reloaded.blocks[2].enabled);
}

TEST(MessageEditor, StoresWhatTheBrainCanCarry) {
  StateGlobals t;
  MessageForm form = LoadMessageForm(t, 3);
  EXPECT_EQ(form.priority, "High");
  EXPECT_EQ(form.snmpStatus, "Disabled");
  EXPECT_EQ(SaveMessage(t, 3, form), "At least one flag must be selected.");
  form.flagRows = {FlagRowText(t, 0, true)};
  EXPECT_EQ(SaveMessage(t, 3, form), "Message must be filled in.");
  form.text = std::string(127, 'x');
  EXPECT_EQ(SaveMessage(t, 3, form), kMessageTextTooLong);
  form.text = std::string(125, 'x') + "é";  // 126 characters, 127 bytes
  EXPECT_EQ(SaveMessage(t, 3, form), kMessageTextTooLong);
  form.text = "Tänk high alarm";
  form.emailPeriod = "604801";
  EXPECT_EQ(SaveMessage(t, 3, form),
            "'604801' is not a valid e-mail period.  Must be a number from 0 to 604800.");
  form.emailPeriod = "604800";
  form.trapType = "x";
  EXPECT_EQ(SaveMessage(t, 3, form), "'x' is not a valid trap type.  Must be a number from 0 to 2112454933.");
  EXPECT_EQ(t, StateGlobals{});

  form.trapType = "2112454933";
  form.ports[0] = form.ports[31] = true;
  EXPECT_EQ(SaveMessage(t, 3, form), std::nullopt);
  const EventMessageRecord& m = t.eventMessages[3];
  EXPECT_EQ(m.name, "Tänk high ");
  EXPECT_EQ(m.serialPortMask, "80000001");
  EXPECT_EQ(m.flagsOn, "0000000000000001");
  const MessageForm reloaded = LoadMessageForm(t, 3);
  EXPECT_EQ(reloaded.ports, form.ports);
  EXPECT_EQ(reloaded.flagRows, form.flagRows);
  form.text = std::string(126, 'x');
  EXPECT_EQ(SaveMessage(t, 127, form), std::nullopt);
}

TEST(SerialEventEditor, NeedsAPatternAFlagAndStringsThatFit) {
  StateGlobals t;
  SerialEventForm form = LoadSerialEventForm(t, 31);
  EXPECT_EQ(SaveSerialEvent(t, 31, form), "All fields must be filled in.");
  form.pattern = std::string(38, 'p');
  EXPECT_EQ(SaveSerialEvent(t, 31, form), "You must select at least one flag.");
  form.flagRows = {FlagRowText(t, 2, false)};
  form.resulting = std::string(39, 'r');
  EXPECT_EQ(SaveSerialEvent(t, 31, form), kSerialStringTooLong);
  form.resulting = "PONG";
  form.trapPeriod = "-1";
  EXPECT_EQ(SaveSerialEvent(t, 31, form),
            "'-1' is not a valid trap period.  Must be a number from 0 to 4294967295.");
  EXPECT_EQ(t, StateGlobals{});
  form.trapPeriod = "4294967295";
  EXPECT_EQ(SaveSerialEvent(t, 31, form), std::nullopt);
  EXPECT_EQ(t.serialEvents[31].portMask, "00000000");
  EXPECT_EQ(t.serialEvents[31].flagsOff, "0000000000000004");
  EXPECT_EQ(t.serialEvents[31].priority, "High");
  EXPECT_EQ(LoadSerialEventForm(t, 31).flagRows, form.flagRows);
  EXPECT_EQ(SaveSerialEvent(t, 32, form), "Maximum 32 Serial Events (0-31).");
}

}  // namespace
}  // namespace kestrio::config
