#pragma once
// The serial event editor's rules: the form of a stored serial event and the save. The pattern and
// the resulting string each fit a 40-byte brain field with its zero byte; the editor keeps to 38.
#include <optional>
#include <string>
#include <vector>

#include "config/item_editor_common.h"
#include "config/state_tables.h"

namespace kestrio::config {

inline constexpr char kSerialEventCaption[] = "Serial Event Configuration";
inline constexpr char kSerialPortsFrame[] = "Serial Ports To Monitor";
inline constexpr char kSerialFlagsFrame[] = "Flags to set when specified string received";
inline constexpr char kPatternLabel[] = "Received Pattern";
inline constexpr char kResultingLabel[] = "Resulting String";
inline constexpr char kSerialTrapPeriodLabel[] = "Trap Period (seconds)";
inline constexpr char kJumpToSerialEvent[] = "Jump to Serial Event:";
inline constexpr char kNeedPattern[] = "All fields must be filled in.";
inline constexpr char kSerialNeedOneFlag[] = "You must select at least one flag.";
inline constexpr char kSerialStringTooLong[] =
    "The received pattern and the resulting string hold at most 38 bytes each (a letter outside plain "
    "ASCII takes more than one).";
inline constexpr std::size_t kMaxSerialStringBytes = 38;

struct SerialEventForm {
  std::string pattern;
  std::string resulting;
  Ports ports{};
  std::vector<std::string> flagRows;
  std::string priority = kPriorities[1];
  std::string trapType = "0";
  std::string trapPeriod = "0";
};

// The form for serial event n: its stored fields when defined, otherwise a new event's defaults.
SerialEventForm LoadSerialEventForm(const StateGlobals& tables, int serialEvent);

// OK: refuses, storing nothing, without a pattern, without a flag, with a string too long for the
// brain, or with a trap box that is not a number 0..4294967295; otherwise stores serial event n.
// Returns the refusal to show, nullopt when stored.
std::optional<std::string> SaveSerialEvent(StateGlobals& tables, int serialEvent,
                                           const SerialEventForm& form);

}  // namespace kestrio::config
