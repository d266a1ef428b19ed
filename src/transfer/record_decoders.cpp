#include "transfer/record_decoders.h"

#include <optional>

#include "config/mask.h"
#include "options/value_formats.h"
#include "protocol/convert.h"
#include "protocol/hex.h"
#include "transfer/transfer_texts.h"

namespace kestrio::transfer {

namespace {

using config::NO_STATE;
using config::StateGlobals;

constexpr char kDisabled[] = "Disabled";

// A record read back: its digits in upper case, when there are at least `bytes` bytes of hex.
class Record {
 public:
  static std::optional<Record> Of(std::string_view digits, std::size_t bytes) {
    if (digits.size() < bytes * 2) return std::nullopt;
    Record r;
    r.digits_.assign(digits.substr(0, bytes * 2));
    for (char& c : r.digits_) {
      if (!IsHexDigit(c)) return std::nullopt;
      if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    }
    return r;
  }
  std::string Digits(std::size_t offset, std::size_t bytes) const {
    return digits_.substr(offset * 2, bytes * 2);
  }
  std::string Enable(std::size_t offset) const { return DecodeEnableFlag(Digits(offset, 4)); }
  std::string Float(std::size_t offset) const {
    return options::FormatMemMapValue(Digits(offset, 4), options::kFormatFloat);
  }
  std::string Int(std::size_t offset) const {
    return options::FormatMemMapValue(Digits(offset, 4), options::kFormatInt);
  }
  std::string String(std::size_t offset, std::size_t bytes) const {
    return options::FormatMemMapValue(Digits(offset, bytes), options::kFormatString);
  }
  std::string Mask(std::size_t offset) const { return Digits(offset, 8); }
  std::string Priority(std::size_t offset) const { return Digits(offset, 4) == "00000000" ? "High" : "Low"; }
  SetKey Key(std::size_t on, std::size_t off, std::size_t flagsOn, std::size_t flagsOff) const {
    return {Mask(on), Mask(off), Mask(flagsOn), Mask(flagsOff)};
  }

 private:
  std::string digits_;
};

// A mask's value; the 16 digits every mask of a download has are read in place, since a download
// compares each new side with every set made so far.
std::uint64_t MaskOf(std::string_view text) {
  if (text.size() != 16) return text.empty() ? 0 : config::MaskValue(text);
  std::uint64_t value = 0;
  for (char c : text) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) return config::MaskValue(text);
    value = value << 4 | static_cast<std::uint64_t>(digit);
  }
  return value;
}

std::size_t ReadBytes(RecordKind kind) { return static_cast<std::size_t>(LayoutOf(kind).readQuadlets) * 4; }

bool Inside(int index, int count) { return index >= 0 && index < count; }

void StorePointName(StateGlobals& t, int i, const Record& r) {
  t.pointNames[static_cast<std::size_t>(i)].name = r.String(0, 16);
}

void StoreAlarm(StateGlobals& t, int i, const Record& r) {
  config::AlarmRecord& a = t.alarms[static_cast<std::size_t>(i)];
  a.number = static_cast<std::int16_t>(i);
  a.deviationStatus = r.Enable(0);
  a.midRange = r.Float(4);
  a.deviationLimit = r.Float(8);
  a.deviationFlagsOn = r.Mask(12);
  a.deviationFlagsOff = r.Mask(20);
  a.highStatus = r.Enable(32);
  a.highLimit = r.Float(36);
  a.highDeadBand = r.Float(40);
  a.highFlagsOn = r.Mask(44);
  a.highFlagsOff = r.Mask(52);
  a.lowStatus = r.Enable(64);
  a.lowLimit = r.Float(68);
  a.lowDeadBand = r.Float(72);
  a.lowFlagsOn = r.Mask(76);
  a.lowFlagsOff = r.Mask(84);
  a.addressToCheck = r.Digits(92, 4);
  a.isFloat = r.Digits(96, 4) == "00000001" ? "Yes" : "No";
  // Only the deviation status defines an alarm; one the brain holds with its deviation condition
  // off (a high or low limit alone, as the alarm editor allows) must not vanish from the tables.
  if (a.deviationStatus.empty() && r.Digits(4, 96).find_first_not_of('0') != std::string::npos)
    a.deviationStatus = kDisabled;
}

StoreOutcome StoreMessage(StateGlobals& t, int i, const Record& r) {
  // The whole 128-byte text field, so a text uploaded whole comes back whole.
  std::string messageText = r.String(64, 128);
  if (messageText.empty()) return StoreOutcome::Skipped;
  config::EventMessageRecord& m = t.eventMessages[static_cast<std::size_t>(i)];
  m.number = static_cast<std::int16_t>(i);
  m.name = text::kMessageName + NumberText(i);
  m.flagsOn = r.Mask(4);
  m.flagsOff = r.Mask(12);
  m.streamPackets = r.Enable(20);
  m.streamPeriod = r.Int(24);
  m.emailStatus = r.Enable(28);
  m.emailPeriod = r.Int(32);
  m.snmpStatus = r.Enable(36);
  m.trapPeriod = r.Int(40);
  m.trapType = r.Int(44);
  m.priority = r.Priority(48);
  m.serialStatus = r.Enable(56);
  m.serialPortMask = r.Digits(60, 4);
  m.messageText = std::move(messageText);
  return StoreOutcome::Stored;
}

void StoreSerialEvent(StateGlobals& t, int i, const Record& r) {
  config::SerialEventRecord& s = t.serialEvents[static_cast<std::size_t>(i)];
  s.number = static_cast<std::int16_t>(i);
  s.portMask = r.Digits(0, 4);
  s.trapType = r.Int(8);
  s.trapPeriod = r.Int(12);
  // Whole 40-byte fields: the upload may write 39 characters and the zero byte.
  s.patternString = r.String(16, 40);
  s.resultingString = r.String(56, 40);
  s.flagsOn = r.Mask(96);
  s.flagsOff = r.Mask(104);
}

// The sets of the two sides of a digital event or timer; Full undoes the sets this record created.
StoreOutcome Sides(StateGlobals& t, int& next, const SetKey& event, const SetKey& reaction,
                   std::int16_t& eventRef, std::int16_t& reactionRef, std::int16_t& number, int i) {
  if (event.Zero() && reaction.Zero()) {
    eventRef = reactionRef = NO_STATE;
    return StoreOutcome::Stored;
  }
  const int before = next;
  const SetLookup e = FindOrAddSet(t, next, event);
  const SetLookup r = e.found == SetFound::Full ? e : FindOrAddSet(t, next, reaction);
  if (r.found == SetFound::Full) {
    for (int s = before; s < next; ++s) t.states[static_cast<std::size_t>(s)] = config::StateRecord{};
    next = before;
    return StoreOutcome::SetsFull;
  }
  number = static_cast<std::int16_t>(i);
  eventRef = static_cast<std::int16_t>(e.index);
  reactionRef = static_cast<std::int16_t>(r.index);
  return StoreOutcome::Stored;
}

}  // namespace

std::string DecodeEnableFlag(std::string_view digits) {
  if (digits == "00000001") return "Enabled";
  if (digits == "00000000") return "";
  return std::string(digits);
}

void ClearConfiguration(StateGlobals& tables, int& nextNewSet) {
  StateGlobals empty;
  empty.pickerCaller = std::move(tables.pickerCaller);
  empty.pickForEvent = tables.pickForEvent;
  tables = std::move(empty);
  nextNewSet = 0;
}

bool SetKey::Zero() const {
  return MaskOf(digitalOn) == 0 && MaskOf(digitalOff) == 0 && MaskOf(flagsOn) == 0 && MaskOf(flagsOff) == 0;
}

SetLookup FindOrAddSet(StateGlobals& tables, int& nextNewSet, const SetKey& key) {
  const std::uint64_t on = MaskOf(key.digitalOn), off = MaskOf(key.digitalOff), flagsOn = MaskOf(key.flagsOn),
                      flagsOff = MaskOf(key.flagsOff);
  SetLookup found;
  for (int s = 0; s < config::kUsableStates; ++s) {
    const config::StateRecord& set = tables.states[static_cast<std::size_t>(s)];
    if (set.digitalOn.empty() && set.digitalOff.empty() && set.flagsOn.empty() && set.flagsOff.empty())
      continue;
    if (MaskOf(set.digitalOn) == on && MaskOf(set.digitalOff) == off && MaskOf(set.flagsOn) == flagsOn &&
        MaskOf(set.flagsOff) == flagsOff)
      found = {SetFound::Existing, s};
  }
  if (found.found == SetFound::Existing || (on | off | flagsOn | flagsOff) == 0) return found;
  if (nextNewSet < 0 || nextNewSet >= config::kUsableStates) return {SetFound::Full, NO_STATE};
  config::StateRecord& set = tables.states[static_cast<std::size_t>(nextNewSet)];
  set.number = static_cast<std::int16_t>(nextNewSet);
  set.name = text::kSetName + NumberText(nextNewSet);
  set.digitalOn = config::MaskText(on);
  set.digitalOff = config::MaskText(off);
  set.flagsOn = config::MaskText(flagsOn);
  set.flagsOff = config::MaskText(flagsOff);
  return {SetFound::Created, nextNewSet++};
}

StoreOutcome StoreRecord(RecordKind kind, StateGlobals& tables, int& nextNewSet, int index,
                         std::string_view digits) {
  if (!Inside(index, LayoutOf(kind).area.records)) return StoreOutcome::BadRecord;
  const std::optional<Record> r = Record::Of(digits, ReadBytes(kind));
  if (!r) return StoreOutcome::BadRecord;
  switch (kind) {
    case RecordKind::PointName:
      StorePointName(tables, index, *r);
      break;
    case RecordKind::Alarm:
      StoreAlarm(tables, index, *r);
      break;
    case RecordKind::Message:
      return StoreMessage(tables, index, *r);
    case RecordKind::SerialEvent:
      StoreSerialEvent(tables, index, *r);
      break;
    case RecordKind::DigitalEvent: {
      config::DigitalEventRecord& d = tables.digitalEvents[static_cast<std::size_t>(index)];
      return Sides(tables, nextNewSet, r->Key(0, 8, 32, 40), r->Key(16, 24, 48, 56), d.eventState,
                   d.reactionState, d.number, index);
    }
    case RecordKind::Timer: {
      config::TimerRecord& t = tables.timers[static_cast<std::size_t>(index)];
      const SetKey input = r->Key(0, 8, 16, 24), output = r->Key(32, 40, 48, 56);
      const StoreOutcome o =
          Sides(tables, nextNewSet, input, output, t.inputState, t.outputState, t.number, index);
      if (o == StoreOutcome::Stored && !(input.Zero() && output.Zero())) t.preset = r->Int(64);
      return o;
    }
  }
  return StoreOutcome::Stored;
}

StoreOutcome StoreSerialPriorities(StateGlobals& tables, std::string_view digits) {
  const std::optional<Record> r = Record::Of(digits, 4 * config::kSerialEventCount);
  if (!r) return StoreOutcome::BadRecord;
  for (int j = 0; j < config::kSerialEventCount; ++j)
    tables.serialEvents[static_cast<std::size_t>(j)].priority = r->Priority(4 * static_cast<std::size_t>(j));
  return StoreOutcome::Stored;
}

}  // namespace kestrio::transfer
