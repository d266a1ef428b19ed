#pragma once
// The alarm editor's rules: the form of a stored alarm, its default address, and the save. An alarm
// has three conditions (deviation, high, low), each enabled or not, with two values and a flag grid.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "config/state_tables.h"

namespace kestrio::config {

inline constexpr char kAlarmCaption[] = "Alarm Configuration";
inline constexpr char kAlarmHelp[] = "Configure alarms for analog values and/or digital counters.";
inline constexpr char kNeedOneCondition[] = "At least one alarm must be configured to save.";
inline constexpr char kJumpToAlarm[] = "Jump to Alarm:";
inline constexpr std::array<const char*, 3> kAlarmFrames{"Deviation Condition and Flag(s) to set",
                                                         "High Condition and Flag(s) to set",
                                                         "Low Condition and Flag(s) to set"};
inline constexpr std::array<const char*, 3> kAlarmChecks{"Deviation", "High", "Low"};
// Each block's two boxes: the middle of the band or the limit, then the deviation amount or dead band.
inline constexpr std::array<const char*, 3> kLimitOrMidLabels{
    "Middle of Devation (value changes automatically)", "Limit       (scaled units)",
    "Limit            (scaled units)"};
inline constexpr std::array<const char*, 3> kDeadOrDevLabels{
    "Devation Amount (scaled units)", "Limit Dead Band   (scaled units)", "Limit Dead Band   (scaled units)"};
inline constexpr char kAdvancedFrame[] = "Advanced Options";
inline constexpr char kAddressLabel[] = "Address to check (Used for multiple alarms per point)";
inline constexpr char kIsFloatLabel[] = "Is this value a float?";
// The first entry is a new alarm's.
inline constexpr std::array<const char*, 2> kIsFloatChoices{"No", "Yes"};
inline constexpr char kAlarmDefaultValue[] = "0.00";

// The address a new alarm n watches: F0400100 + 4n in upper-case hex without leading zeros.
std::string AddressCheckUpdate(int alarm);

struct AlarmBlock {
  bool enabled = false;
  std::string limitOrMid = kAlarmDefaultValue;  // middle of the band (deviation) or limit
  std::string deadOrDev = kAlarmDefaultValue;   // deviation amount or dead band
  std::vector<std::string> flagRows;
};

struct AlarmForm {
  std::array<AlarmBlock, 3> blocks;  // deviation, high, low
  std::string address;
  std::string isFloat = kIsFloatChoices[0];
};

// The form for alarm n: its stored fields when defined, otherwise a clean form with the default
// address. An alarm outside 0..63 gives the clean form of alarm 0's shape with no address.
AlarmForm LoadAlarmForm(const StateGlobals& tables, int alarm);

// OK: refuses (returning the text to show, storing nothing) when no condition is ticked or a ticked
// one has no flag; otherwise stores every field of alarm n with "Enabled"/"Disabled" statuses.
std::optional<std::string> SaveAlarm(StateGlobals& tables, int alarm, const AlarmForm& form);

}  // namespace kestrio::config
