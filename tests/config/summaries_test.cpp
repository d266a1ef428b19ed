#include "config/summaries.h"

#include <gtest/gtest.h>

namespace kestrio::config {
namespace {

using Row = std::vector<std::string>;

class Summaries : public ::testing::Test {
 protected:
  Summaries() {
    t.pointNames[0].name = "Pump";
    t.states[3] = {3, "Pump on", "0000000000000001", "", "", "0000000000000004"};
    t.states[4] = {4, "Other", "", "0000000000000001", "0000000000000004", ""};
    t.states[5] = {5, "", "0000000000000001", "", "", ""};  // free: never listed
    t.digitalEvents[5] = {5, 4, 3};
    t.digitalEvents[9] = {9, 3, NO_STATE};
    // Deleted or never defined, whatever the Reaction side still holds.
    t.digitalEvents[6] = {0, NO_STATE, 3};
    t.timers[2] = {2, 4, 4, "1500"};
    t.timers[3] = {3, NO_STATE, 3, ""};
  }
  StateGlobals t;
};

TEST_F(Summaries, EveryViewHasItsLayoutRowsAndHeaders) {
  for (int v = 0; v < kViewCount; ++v) {
    const View view = static_cast<View>(v);
    const Summary s = BuildSummary(t, view);
    EXPECT_EQ(static_cast<int>(s.rows.size()) + 1, LayoutOf(view).rows) << v;
    EXPECT_EQ(static_cast<int>(s.headers.size()), LayoutOf(view).columns) << v;
    EXPECT_EQ(s.rowLines.size(), s.rows.size()) << v;
    for (std::size_t k = 0; k < s.rows.size(); ++k) {
      ASSERT_EQ(static_cast<int>(s.rows[k].size()), LayoutOf(view).columns) << v;
      EXPECT_EQ(s.rows[k][0], " " + std::to_string(k)) << v;
    }
  }
}

TEST_F(Summaries, PointsAndFlagsListTheNamedSetsAndTheItemsThatUseThem) {
  const Summary points = BuildSummary(t, View::Points, [](int p) { return p == 0 ? "Digital In" : ""; });
  EXPECT_EQ(points.rows[0], (Row{" 0", "Pump", "Digital In", "5, 9", "2", "<3 - Pump on> \r<4 - Other> \r"}));
  EXPECT_EQ(points.rowLines[0], 2);
  EXPECT_EQ(points.rows[1], (Row{" 1", "", "", "", "", ""}));
  EXPECT_EQ(points.rowLines[1], 1);

  const Summary flags = BuildSummary(t, View::Flags);
  EXPECT_EQ(flags.rows[2], (Row{" 2", "", "5, 9", "2", "<3 - Pump on> \r<4 - Other> \r"}));
  EXPECT_EQ(flags.rows[0], (Row{" 0", "", "", "", ""}));
}

TEST_F(Summaries, RowHeightFollowsTheLongestListInSixes) {
  for (int i = 10; i < 19; ++i) t.digitalEvents[i] = {0, 3, 3};  // 11 events use set 3 with 9 and 5
  const Summary points = BuildSummary(t, View::Points);
  EXPECT_EQ(points.rowLines[0], 2);  // 11 / 6 rounds to 2, as do the 2 sets
  for (int i = 19; i < 27; ++i) t.digitalEvents[i] = {0, 3, 3};
  EXPECT_EQ(BuildSummary(t, View::Points).rowLines[0], 3);  // 19 / 6
}

TEST_F(Summaries, ItemViewsShowDefinedItemsOnly) {
  t.states[7].name = "";  // digital event 8 refers to a set that is not in the tables
  t.digitalEvents[8] = {8, 7, 3};
  const Summary events = BuildSummary(t, View::DigitalEvents);
  EXPECT_EQ(events.rows[5], (Row{" 5", "Other", "Pump on"}));
  EXPECT_EQ(events.rows[6], (Row{" 6", "", ""}));
  EXPECT_EQ(events.rows[9], (Row{" 9", "Pump on", ""}));
  EXPECT_EQ(events.rows[8], (Row{" 8", "", "Pump on"}));
  EXPECT_EQ(BuildSummary(t, View::Timers).rows[2], (Row{" 2", "Other", "Other", "1500"}));
  EXPECT_EQ(BuildSummary(t, View::Timers).rows[3], (Row{" 3", "", "", ""}));

  // clang-format off
  t.alarms[10] = {10, "5", "50", "Enabled", "0000000000000001", "8000000000000000", "90", "2", "", "",
                  "0000000000000000", "10", "1", "Disabled", "0000000000001000", "", "F0400128", "No"};
  EXPECT_EQ(BuildSummary(t, View::Alarms).rows[10],
            (Row{" 10", "Deviation", "Enabled", "50", "5", "[0] ", "[63] ", "High", "", "90", "2", "",
                 "", "Low", "Disabled", "10", "1", "[12] ", "", "F0400128", "No"}));
  t.eventMessages[7] = {"Tank high ", "Enabled", "80000001", "Disabled", "3", "4", "Disabled", "5", "High",
                        "Enabled", "6", "Tank high alarm", "0000000000000002", "0000000000000001", 7};
  // clang-format on
  EXPECT_EQ(BuildSummary(t, View::Messages).rows[7],
            (Row{" 7", "Tank high alarm", "High", "Enabled", "6", "Disabled", "5", "Enabled", "[0] [31] ",
                 "Disabled", "3", "4", "[1] ", "[0] "}));

  t.serialEvents[31] = {31, "PING", "PONG", "1", "2", "00000003", "0000000000000002", "", "Low"};
  EXPECT_EQ(BuildSummary(t, View::SerialEvents).rows[31],
            (Row{" 31", "PING", "[0] [1] ", "PONG", "[1] ", "", "1", "2", "Low"}));
}

TEST_F(Summaries, PortsListSerialEventsAndMessagesByPortBit) {
  t.serialEvents[12] = {12, "PING", "", "", "", "00000003", "", "", "High"};
  t.serialEvents[3] = {3, "ACK", "", "", "", "00000001", "", "", "High"};
  t.serialEvents[4] = {4, "", "", "", "", "FFFFFFFF", "", "", ""};  // not defined
  t.eventMessages[7].name = "Tank high ";
  t.eventMessages[7].serialPortMask = "80000001";
  t.eventMessages[8].name = "No ports";
  t.eventMessages[8].serialPortMask = "00000000";
  t.eventMessages[9].name = "Empty mask";
  const Summary ports = BuildSummary(t, View::Ports);
  EXPECT_EQ(ports.rows[0], (Row{" 0", "<3 - ACK> <12 - PING> ", "<7 - Tank high > "}));
  EXPECT_EQ(ports.rows[1], (Row{" 1", "<12 - PING> ", ""}));
  EXPECT_EQ(ports.rows[31], (Row{" 31", "", "<7 - Tank high > "}));
  EXPECT_EQ(ports.rows[2], (Row{" 2", "", ""}));
}

}  // namespace
}  // namespace kestrio::config
