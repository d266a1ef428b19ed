#include <gtest/gtest.h>

#include "config/item_ranges.h"
#include "config/picker_rules.h"
#include "config/state_editor_rules.h"

namespace kestrio::config {
namespace {

class StateEditor : public ::testing::Test {
 protected:
  StateEditor() {
    t.pointNames[1].name = "Liftoff";
    t.flagNames[2].name = "MONITOR";
    t.states[3] = {3, "Pump on", "0000000000000002", "0000000000000001", "", "0000000000000004"};
  }

  StateGridRow Point(int n) { return MakeStateRow(t, true, n, true); }
  StateEditorSide NewSide(std::vector<StateGridRow> rows) { return {std::nullopt, "", std::move(rows)}; }
  StateEditorSide SetSide(int set) { return {set, t.states[set].name, RowsOfSet(t, set)}; }

  bool Save(StateEditorInput& input) { return SaveStateEditor(t, input, prompter); }

  StateGlobals t;
  ScriptedPrompter prompter;
};

TEST_F(StateEditor, RowsCarryTheStateInTheirEndingOnly) {
  EXPECT_EQ(Point(1), (StateGridRow{"1", "Liftoff ON", "Digital"}));
  EXPECT_EQ(MakeStateRow(t, false, 2, false), (StateGridRow{"2", "MONITOR OFF", "Flag"}));
  EXPECT_EQ(MakeStateRow(t, true, 7, true), (StateGridRow{"7", "  7   ON", "Digital"}));
  EXPECT_EQ(RowsOfSet(t, 3), (std::vector<StateGridRow>{Point(1), MakeStateRow(t, true, 0, false),
                                                        MakeStateRow(t, false, 2, false)}));
  EXPECT_TRUE(RowsOfSet(t, NO_STATE).empty());

  const std::vector<StateGridRow> rows{Point(1),                         // "Liftoff" holds "off"
                                       MakeStateRow(t, false, 2, true),  // "MONITOR" holds "ON"
                                       MakeStateRow(t, true, 63, false),
                                       {"", "", ""},
                                       {"99", "x ON", "Flag"},
                                       {"5", "no ending", "Digital"}};
  EXPECT_EQ(BuildSetMasks(rows),
            (SetMasks{"0000000000000002", "8000000000000000", "0000000000000004", "0000000000000000"}));
  EXPECT_EQ(NumbersInRows(rows, true), (std::vector<int>{1, 63, 5}));
  EXPECT_EQ(NumbersInRows(rows, false), std::vector<int>{2});
  EXPECT_FALSE(HasAnyRow({{"", "", ""}}));
}

TEST_F(StateEditor, NewSidesBecomeTheTwoLowestFreeSetsWithDefaultNames) {
  t.states[0].name = "taken";
  StateEditorInput input{false, 5, {NewSide({Point(1)}), NewSide({MakeStateRow(t, false, 2, false)})}};
  ASSERT_TRUE(Save(input));
  EXPECT_EQ(t.states[1], (StateRecord{0, "Digital Event 5: Event", "0000000000000002", "0000000000000000",
                                      "0000000000000000", "0000000000000000"}));
  EXPECT_EQ(t.states[2].name, "Digital Event 5: Reaction");
  EXPECT_EQ(t.states[2].flagsOff, "0000000000000004");
  EXPECT_EQ(t.digitalEvents[5], (DigitalEventRecord{0, 1, 2}));
  ASSERT_EQ(prompter.log.size(), 2u);
  EXPECT_EQ(
      prompter.log[0].text,
      "Would you like to name this Event? \r\n\r\n(For use by another Digital Event or Timer \r\n as either "
      "another Event or a Reaction)");

  // Yes with a typed name, Yes with a cancelled box (the default), for timer 2.
  prompter.answers = {Answer::Yes, Answer::Yes};
  prompter.inputs = {"Start", std::nullopt};
  StateEditorInput timer{true, 2, {NewSide({Point(4)}), NewSide({Point(5)})}, "1500"};
  ASSERT_TRUE(Save(timer));
  EXPECT_EQ(t.states[4].name, "Start");
  EXPECT_EQ(t.states[5].name, "Timer 2: Reaction");
  EXPECT_EQ(t.timers[2], (TimerRecord{0, 4, 5, "1500"}));
}

TEST_F(StateEditor, EditingASharedSetChangesEveryItemThatUsesIt) {
  t.digitalEvents[1] = {1, 3, 3};
  t.digitalEvents[2] = {2, 3, NO_STATE};
  StateEditorSide event = SetSide(3);
  event.rows.push_back(Point(9));
  StateEditorInput input{false, 2, {event, NewSide({Point(8)})}};
  ASSERT_TRUE(Save(input));
  EXPECT_EQ(t.states[3].digitalOn, "0000000000000202");
  EXPECT_EQ(RowsOfSet(t, t.digitalEvents[1].reactionState).size(), 4u);
}

TEST_F(StateEditor, RefusalsStoreNothing) {
  struct Case {
    std::string name;
    StateEditorInput input;
    std::string message;
  };
  std::vector<Case> cases = {
      {"empty side", {false, 0, {SetSide(3), NewSide({})}}, kNeedBothSides},
      {"only row deleted", {false, 0, {SetSide(3), NewSide({{"", "", ""}})}}, kNeedBothSides},
      {"bad preset",
       {true, 0, {SetSide(3), SetSide(3)}, "-5"},
       "'-5' is not a valid timer preset.  Must be a number from 0 to 4294967295."},
      {"same set, different rows", {false, 0, {SetSide(3), {3, "Pump on", {Point(1)}}}}, kSameSetDiffers},
      {"digital event 64", {false, 64, {SetSide(3), SetSide(3)}}, "Maximum 64 Digital Events (0-63)."},
  };
  for (Case& c : cases) {
    prompter.Clear();
    const StateGlobals before = t;
    EXPECT_FALSE(Save(c.input)) << c.name;
    EXPECT_EQ(prompter.Messages(), std::vector<std::string>{c.message}) << c.name;
    EXPECT_EQ(t, before) << c.name;
  }

  // When every set is named, a new side has nowhere to go: set 0 is not overwritten.
  for (int s = 0; s < kUsableStates; ++s) {
    if (t.states[s].name.empty()) t.states[s].name = "S" + std::to_string(s);
  }
  StateGlobals full = t;
  prompter.Clear();
  StateEditorInput input{false, 0, {SetSide(3), NewSide({Point(1)})}};
  EXPECT_FALSE(Save(input));
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{kNoFreeSet});
  EXPECT_EQ(t, full);
  // One free set is not enough for two new sides.
  t.states[127].name.clear();
  full = t;
  StateEditorInput both{false, 0, {NewSide({Point(1)}), NewSide({Point(2)})}};
  EXPECT_FALSE(Save(both));
  EXPECT_EQ(t, full);
  // The same set on both sides with the same rows is fine.
  StateEditorInput same{false, 7, {SetSide(3), SetSide(3)}};
  EXPECT_TRUE(Save(same));
  EXPECT_EQ(t.digitalEvents[7], (DigitalEventRecord{0, 3, 3}));
}

TEST_F(StateEditor, RenamingAsksBeforeSharingANameInAnyLetterCase) {
  t.states[4].name = "Other";
  prompter.inputs = {"other", "PUMP ON", "Renamed"};
  prompter.answers = {Answer::No};
  EXPECT_EQ(RenameSet(t, 3, "Pump on", prompter), std::nullopt);  // No to the clash
  EXPECT_EQ(prompter.log[1].text, "This name already exists.  Overwrite?");
  EXPECT_EQ(RenameSet(t, 3, "Pump on", prompter), "PUMP ON");  // its own name in other letters: no question
  EXPECT_EQ(t.states[3].name, "PUMP ON");
  EXPECT_EQ(RenameSet(t, std::nullopt, "", prompter), std::nullopt);
  EXPECT_EQ(prompter.Messages().back(), kRenameBeforeSave);
  EXPECT_EQ(prompter.inputs.size(), 1u);

  // The save asks about a name another set shares; No renames the side's set before storing.
  t.states[4].name = "pump on";
  prompter.Clear();
  prompter.answers = {Answer::No};
  StateEditorInput input{false, 0, {SetSide(3), SetSide(4)}};
  input.sides[1].rows = {Point(6)};
  ASSERT_TRUE(Save(input));
  EXPECT_EQ(prompter.log[0].text, kEventNameUsed);
  EXPECT_EQ(t.states[3].name, "Renamed");
  EXPECT_EQ(input.sides[0].dropDownText, "Renamed");
}

TEST_F(StateEditor, ANewItemIsNumberedForTheModeItIsSavedIn) {
  std::string message;
  t.digitalEvents[0] = {0, 3, 3};
  t.timers[0] = {0, 3, 3, "1"};
  t.timers[1] = {1, 3, 3, "1"};
  EXPECT_EQ(NewItemNumber(t, false, message), 1);
  EXPECT_EQ(NewItemNumber(t, true, message), 2);
  for (auto& timer : t.timers) timer.inputState = 3;
  EXPECT_EQ(NewItemNumber(t, true, message), std::nullopt);
  EXPECT_EQ(message, "Maximum 64 Timers (0-63).");
  EXPECT_EQ(NamedSets(t), (std::vector<std::pair<int, std::string>>{{3, "Pump on"}}));
  EXPECT_EQ(ItemToOpen(t, ItemKind::DigitalEvent, -1, message), 1);  // Add with a filled cell
  // A used timer opens on its sets; an unused one (its old preset left behind) as a new timer.
  EXPECT_EQ(LoadStateEditor(t, true, 1).sides[1].rows, RowsOfSet(t, 3));
  t.timers[1].inputState = NO_STATE;
  EXPECT_EQ(LoadStateEditor(t, true, 1).preset, "0.00");
}

}  // namespace
}  // namespace kestrio::config
