#include "config/state_tables.h"

namespace kestrio::config {

void SetPickerCaller(StateGlobals& tables, std::string_view caller) { tables.pickerCaller = caller; }

void ResetDigitalEventsAndTimers(StateGlobals& tables) {
  for (DigitalEventRecord& event : tables.digitalEvents) event.eventState = event.reactionState = NO_STATE;
  for (TimerRecord& timer : tables.timers) timer.inputState = timer.outputState = NO_STATE;
}

bool IsDefined(const StateRecord& set) { return !set.name.empty(); }
bool IsDefined(const DigitalEventRecord& event) { return event.eventState != NO_STATE; }
bool IsDefined(const TimerRecord& timer) { return timer.inputState != NO_STATE; }
bool IsDefined(const AlarmRecord& alarm) { return !alarm.deviationStatus.empty(); }
bool IsDefined(const EventMessageRecord& message) { return !message.name.empty(); }
bool IsDefined(const SerialEventRecord& serialEvent) { return !serialEvent.patternString.empty(); }

bool IsNamedSet(const StateGlobals& tables, int reference) {
  return reference >= 0 && reference < kUsableStates && IsDefined(tables.states[reference]);
}

std::string SetName(const StateGlobals& tables, int reference) {
  return IsNamedSet(tables, reference) ? tables.states[reference].name : std::string();
}

std::optional<int> FirstFreeSet(const StateGlobals& tables) {
  for (int i = 0; i < kUsableStates; ++i) {
    if (tables.states[i].name.empty()) return i;
  }
  return std::nullopt;
}

}  // namespace kestrio::config
