#pragma once
// The digital event/timer editor's rules: grid rows of a set, the masks built back from the rows,
// the drop-down of named sets, the choice of a new item, set naming and renaming, and the save.
// The window keeps its controls and hands their contents here; nothing is stored before a save
// has passed every check (renames act at once, as the operator asked for them).
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/state_tables.h"
#include "protocol/prompter.h"

namespace kestrio::config {

inline constexpr char kStateEditorInstructions[] =
    "To create a 'Digital Event,' configure an Event and a Reaction.\r\n\r\nIf you'd like a delay between "
    "the "
    "Event and the Reaction, \r\ncreate a 'Timer.'";
inline constexpr char kEventFrame[] = "If...[Event]";
inline constexpr char kReactionFrame[] = "Then...[Reaction]";
inline constexpr char kJumpToDigitalEvent[] = "Jump to Digital Event:";
inline constexpr char kJumpToTimer[] = "Jump to Timer:";
inline constexpr char kTimerPresetLabel[] = "Timer Preset (milliseconds)";
inline constexpr char kDefaultPreset[] = "0.00";
inline constexpr char kNeedBothSides[] =
    "At least one point or flag must be selected for the Event and Reaction.";
inline constexpr char kRenameBeforeSave[] =
    "Press 'Ok' to save.  You will be prompted to name the Event and Reaction then.";
inline constexpr char kRenamePrompt[] =
    "Enter new name for 'set' (to be used as\r\neither an Event or a Reaction).";
inline constexpr char kRenameTitle[] = "Rename Event or Reaction";
inline constexpr char kNameExists[] = "This name already exists.  Overwrite?";
inline constexpr char kEventNameUsed[] = "Name used for this Event already exisits.  Overwrite?";
inline constexpr char kReactionNameUsed[] = "Name used for the Reaction already exisits.  Overwrite?";
inline constexpr char kNewNamePrompt[] = "Enter new name: ";
inline constexpr char kStateEditorDesignCaption[] = "Configure Digital Event/Timer";
inline constexpr char kConfigureFrame[] = "Configure an Event and Reaction";
inline constexpr char kInstructionsFrame[] = "Instructions";
inline constexpr char kTimedCheck[] = "Timed?";
inline constexpr char kTimerSettingsFrame[] = "Timer Settings";
inline constexpr char kTimerSettingsNote[] = "(timer settings only visable when then timer option selected)";
inline constexpr char kStateGridNameHeader[] = "Point/Flag Name";
inline constexpr char kStateGridTypeHeader[] = "Digital/Flag";
inline constexpr char kStateAdd[] = "&Add,,,";
inline constexpr char kStateDelete[] = "&Delete";
inline constexpr char kStateClear[] = "Clea&r";
inline constexpr char kStateRename[] = "&Rename,,,";
inline constexpr char kNoFreeSet[] =
    "All 128 sets of ON/OFF states are named, so no new set can be made.  Choose an existing set for the "
    "Event and the Reaction, or delete an item and rename its sets.";
inline constexpr char kSameSetDiffers[] =
    "The Event and the Reaction use the same set, but their points and flags differ.  Choose another set "
    "for one side, or make both lists the same.";

// One grid row: column 0 the number, column 1 the display name and " ON"/" OFF", column 2 "Digital"
// or "Flag". An empty row (all blank) is what deleting the last row leaves.
struct StateGridRow {
  std::string number;
  std::string name;
  std::string type;
  bool operator==(const StateGridRow&) const = default;
};

StateGridRow MakeStateRow(const StateGlobals& tables, bool digital, int number, bool on);
// One row per set bit of `mask`, ascending.
std::vector<StateGridRow> RowsOfMask(const StateGlobals& tables, std::string_view mask, bool digital,
                                     bool on);
// The rows of a named set in the order DigitalOn, DigitalOff, FlagsOn, FlagsOff; none for an
// unnamed set or a reference outside the table.
std::vector<StateGridRow> RowsOfSet(const StateGlobals& tables, int set);

struct SetMasks {
  std::string digitalOn, digitalOff, flagsOn, flagsOff;  // 16 upper-case digits each
  bool operator==(const SetMasks&) const = default;
};
// Each row adds its bit to one mask, by type and by its " ON"/" OFF" ending; rows that are blank,
// end in neither, or carry a number outside 0..63 add nothing.
SetMasks BuildSetMasks(const std::vector<StateGridRow>& rows);
bool HasAnyRow(const std::vector<StateGridRow>& rows);

// The points (digital) or flags a side's grid already holds, which the picker no longer offers.
std::vector<int> NumbersInRows(const std::vector<StateGridRow>& rows, bool digital);

// The drop-down entries: every named set 0..127, ascending, with its number.
std::vector<std::pair<int, std::string>> NamedSets(const StateGlobals& tables);

// The number of a new item in the mode shown (again whenever "Timed?" changes the mode, so the save
// never lands on an item of the other kind): the first unused one, or nullopt with `message` set to
// the range message when every item of the mode is used.
std::optional<int> NewItemNumber(const StateGlobals& tables, bool timer, std::string& message);

// "Digital Event 5: Event", "Timer 2: Reaction".
std::string DefaultSetName(bool timer, int item, bool eventSide);

// Renames set `set` (0..127) after asking for the new name; a name equal to another set's, letter
// case ignored, needs a Yes to "This name already exists.  Overwrite?". Returns the new name, or
// nullopt when nothing changed (no set selected, empty answer, same name, No).
std::optional<std::string> RenameSet(StateGlobals& tables, std::optional<int> set, std::string_view oldName,
                                     Prompter& prompter);

struct StateEditorSide {
  std::optional<int> selectedSet;  // the drop-down's set; nullopt (or an empty text) makes a new set
  std::string dropDownText;        // updated when the save renames the set
  std::vector<StateGridRow> rows;
};

struct StateEditorInput {
  bool timer = false;
  int item = 0;                          // 0..63
  std::array<StateEditorSide, 2> sides;  // 0 = Event, 1 = Reaction
  std::string preset = kDefaultPreset;   // timers only
};

// What the window shows for item `item` (0..63): when the item is used, both sides' sets selected
// with their rows (and a timer's preset); otherwise two new, empty sides and the default preset.
StateEditorInput LoadStateEditor(const StateGlobals& tables, bool timer, int item);

// OK: checks everything first (both sides have rows, the preset is a number 0..4294967295, one set
// on both sides holds the same rows, enough free sets for the new sides, the item is in range),
// then names and stores the sets and the item. False, with the reason shown, when nothing was stored.
bool SaveStateEditor(StateGlobals& tables, StateEditorInput& input, Prompter& prompter);

}  // namespace kestrio::config
