#pragma once
// The event/reaction configuration as one value: named points and flags, sets of ON/OFF states,
// digital events, timers, alarms, event messages and serial events. Every table has a fixed size and
// an entry's index is the item's number; nothing is ever inserted or renumbered. Text fields hold the
// value as the editors show it (UTF-8); only the transfer to the brain converts them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrio::config {

inline constexpr int kPointCount = 64;
inline constexpr int kFlagCount = 64;
// Sets 0..127 are usable; entry 128 is the NO_STATE mark and never holds a set.
inline constexpr int kStateCount = 129;
inline constexpr int kUsableStates = 128;
// Digital events 0..63 are usable; entry 64 exists but is never shown, saved or uploaded.
inline constexpr int kDigitalEventCount = 65;
inline constexpr int kUsableDigitalEvents = 64;
inline constexpr int kTimerCount = 64;
inline constexpr int kAlarmCount = 64;
inline constexpr int kEventMessageCount = 128;
inline constexpr int kSerialEventCount = 32;
inline constexpr int kSerialPortCount = 32;

// The state reference that names no set.
inline constexpr std::int16_t NO_STATE = 128;

// Points and flags carry at most this many characters of name.
inline constexpr std::size_t kMaxNameLength = 15;

struct NameRecord {
  std::string name;
  bool operator==(const NameRecord&) const = default;
};

// A set of ON/OFF states, the Event or the Reaction side of digital events and timers. Free when
// its name is empty, whatever its masks hold.
struct StateRecord {
  std::int16_t number = 0;
  std::string name;
  std::string digitalOn;  // masks: 16 hex digits, bit n = point or flag n; "" reads as zero
  std::string digitalOff;
  std::string flagsOn;
  std::string flagsOff;
  bool operator==(const StateRecord&) const = default;
};

struct DigitalEventRecord {
  std::int16_t number = 0;
  std::int16_t eventState = NO_STATE;  // index into the sets, or NO_STATE
  std::int16_t reactionState = NO_STATE;
  bool operator==(const DigitalEventRecord&) const = default;
};

struct TimerRecord {
  std::int16_t number = 0;
  std::int16_t inputState = NO_STATE;
  std::int16_t outputState = NO_STATE;
  std::string preset;  // milliseconds, as typed
  bool operator==(const TimerRecord&) const = default;
};

// Three conditions (deviation, high, low), each "Enabled" or "Disabled" (empty counts as not
// enabled), with the flags it sets ON and OFF. Defined when deviationStatus is not empty.
struct AlarmRecord {
  std::int16_t number = 0;
  std::string deviationLimit;
  std::string midRange;
  std::string deviationStatus;
  std::string deviationFlagsOn;
  std::string deviationFlagsOff;
  std::string highLimit;
  std::string highDeadBand;
  std::string highStatus;
  std::string highFlagsOn;
  std::string highFlagsOff;
  std::string lowLimit;
  std::string lowDeadBand;
  std::string lowStatus;
  std::string lowFlagsOn;
  std::string lowFlagsOff;
  std::string addressToCheck;
  std::string isFloat;
  bool operator==(const AlarmRecord&) const = default;
};

struct EventMessageRecord {
  std::string name;  // empty = not defined
  std::string serialStatus;
  std::string serialPortMask;  // 8 hex digits, bit n = serial port n
  std::string snmpStatus;
  std::string trapType;
  std::string trapPeriod;
  std::string emailStatus;
  std::string emailPeriod;
  std::string priority;
  std::string streamPackets;
  std::string streamPeriod;
  std::string messageText;
  std::string flagsOn;
  std::string flagsOff;
  std::int16_t number = 0;
  bool operator==(const EventMessageRecord&) const = default;
};

struct SerialEventRecord {
  std::int16_t number = 0;
  std::string patternString;  // empty = not defined
  std::string resultingString;
  std::string trapType;
  std::string trapPeriod;
  std::string portMask;  // 8 hex digits, bit n = serial port n
  std::string flagsOn;
  std::string flagsOff;
  std::string priority;
  bool operator==(const SerialEventRecord&) const = default;
};

// What the tables are: one value the session owns, created empty with every digital event and
// timer referring to NO_STATE. Copying it is how the import checks a whole file before applying it.
struct StateGlobals {
  std::array<NameRecord, kPointCount> pointNames{};
  std::array<NameRecord, kFlagCount> flagNames{};
  std::array<StateRecord, kStateCount> states{};
  std::array<DigitalEventRecord, kDigitalEventCount> digitalEvents{};
  std::array<TimerRecord, kTimerCount> timers{};
  std::array<AlarmRecord, kAlarmCount> alarms{};
  std::array<EventMessageRecord, kEventMessageCount> eventMessages{};
  std::array<SerialEventRecord, kSerialEventCount> serialEvents{};

  // Which editor opened the point/flag picker: "State", "Alarm", "Message", "Serial" or "Points".
  std::string pickerCaller;
  // For the "State" caller: true when the picker adds to the Event side.
  bool pickForEvent = true;

  bool operator==(const StateGlobals&) const = default;
};

inline constexpr char kPickerState[] = "State";
inline constexpr char kPickerAlarm[] = "Alarm";
inline constexpr char kPickerMessage[] = "Message";
inline constexpr char kPickerSerial[] = "Serial";
inline constexpr char kPickerPoints[] = "Points";

void SetPickerCaller(StateGlobals& tables, std::string_view caller);

// Every digital event and timer back to NO_STATE on both sides; the other tables keep their contents.
// Done at start and each time the configuration command ends.
void ResetDigitalEventsAndTimers(StateGlobals& tables);

// Defined-markers: undefined entries are skipped by the summaries, the file and the upload.
bool IsDefined(const StateRecord& set);
bool IsDefined(const DigitalEventRecord& event);
bool IsDefined(const TimerRecord& timer);
bool IsDefined(const AlarmRecord& alarm);
bool IsDefined(const EventMessageRecord& message);
bool IsDefined(const SerialEventRecord& serialEvent);

// True when `reference` is a set 0..127 with a name. NO_STATE and any number outside the table
// (a damaged reference) count as unnamed, so no caller indexes past the table.
bool IsNamedSet(const StateGlobals& tables, int reference);
// The name of set `reference`, empty for NO_STATE or a number outside the table.
std::string SetName(const StateGlobals& tables, int reference);

// The first set 0..127 whose name is empty; nullopt when all 128 are named.
std::optional<int> FirstFreeSet(const StateGlobals& tables);

}  // namespace kestrio::config
