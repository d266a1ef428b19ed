#include "transfer/record_fields.h"

#include <array>

#include "options/value_formats.h"
#include "protocol/convert.h"
#include "protocol/hex.h"
#include "protocol/prompter.h"
#include "transfer/transfer_texts.h"

namespace kestrio::transfer {

namespace {

using config::StateGlobals;
namespace mm = memory_map;

constexpr char kEnabled[] = "Enabled";
constexpr char kHigh[] = "High";

std::string WithoutBlanks(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t') out.push_back(c);
  return out;
}

// A mask of `bytes` bytes typed as up to 2*bytes hex digits; empty reads as zero, as in the tables.
std::optional<std::string> MaskDigits(std::string_view text, int bytes, Prompter& ui) {
  std::string digits = WithoutBlanks(text);
  const auto width = static_cast<std::size_t>(bytes) * 2;
  if (digits.size() > width || StrippedHex(digits).size() != digits.size()) return std::nullopt;
  digits.insert(0, width - digits.size(), '0');
  return options::MemMapFormat(digits, options::kFormatRaw, bytes, ui);
}

// The low 32 bits of an address typed as up to 12 hex digits (a whole memory-map offset).
std::optional<std::string> AddressDigits(std::string_view text, Prompter& ui) {
  std::string digits = WithoutBlanks(text);
  if (digits.size() > 12 || StrippedHex(digits).size() != digits.size()) return std::nullopt;
  if (digits.size() > 8) digits.erase(0, digits.size() - 8);
  digits.insert(0, 8 - digits.size(), '0');
  return options::MemMapFormat(digits, options::kFormatRaw, 4, ui);
}

std::optional<std::string> Encode(const RecordField& f, Prompter& ui) {
  switch (f.encoding) {
    case Encoding::Enable:
      return f.text == kEnabled ? "00000001" : "00000000";
    case Encoding::Priority:
      return f.text == kHigh ? "00000000" : "00000001";
    case Encoding::Float:
      return options::MemMapFormat(f.text, options::kFormatFloat, 4, ui);
    case Encoding::Int:
      return options::MemMapFormat(f.text, options::kFormatInt, 4, ui);
    case Encoding::Mask:
    case Encoding::PortMask:
      return MaskDigits(f.text, f.bytes, ui);
    case Encoding::String: {
      std::optional<std::string> digits = options::MemMapFormat(f.text, options::kFormatString, f.bytes, ui);
      if (digits && f.fill) digits->append(static_cast<std::size_t>(f.bytes) * 2 - digits->size(), '0');
      return digits;
    }
    case Encoding::Zero:
      return std::string(static_cast<std::size_t>(f.bytes) * 2, '0');
    case Encoding::Address:
      return AddressDigits(f.text, ui);
    case Encoding::YesNo:
      if (WithoutBlanks(f.text).empty()) return "00000000";
      return options::MemMapFormat(f.text, options::kFormatYesNo, 4, ui);
  }
  return std::nullopt;
}

RecordField Field(const char* label, std::string_view text, Encoding encoding, int bytes = 4,
                  bool fill = false) {
  return RecordField{label, text, encoding, bytes, fill};
}
RecordField Mask(const char* label, std::string_view text) { return Field(label, text, Encoding::Mask, 8); }
RecordField Reserved(int bytes = 4) { return Field("reserved", "", Encoding::Zero, bytes); }

// The masks of the set an item refers to; a reference to no named set stands for no masks at all.
const config::StateRecord& SetOf(const StateGlobals& tables, int reference) {
  static const config::StateRecord kNone{};
  return config::IsNamedSet(tables, reference) ? tables.states[static_cast<std::size_t>(reference)] : kNone;
}

// Keeps what the value formats say, to be put in the record's refusal; asks nothing. Cheaper than a
// scripted prompter, which every field of every record would otherwise build.
class Collecting : public Prompter {
 public:
  void Message(const std::string& text, const std::string&) override {
    said += (said.empty() ? "" : "\n") + text;
  }
  Answer Ask(const std::string&, bool, const std::string&) override { return Answer::No; }
  std::optional<std::string> Input(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void ShowStatus() override {}
  std::string said;
};

template <typename Table>
bool Inside(const Table& table, int index, int usable) {
  return index >= 0 && index < usable && static_cast<std::size_t>(index) < table.size();
}

}  // namespace

std::optional<std::string> EncodeField(const RecordField& field, std::string* said) {
  Collecting quiet;
  std::optional<std::string> digits = Encode(field, quiet);
  if (said) *said = std::move(quiet.said);
  // A field that would not take exactly its width would move the fields after it.
  const auto width = static_cast<std::size_t>(field.bytes) * 2;
  if (digits && (field.encoding == Encoding::String ? digits->size() > width : digits->size() != width))
    return std::nullopt;
  return digits;
}

bool HoldsSomething(const RecordField& field) {
  if (WithoutBlanks(field.text).empty()) return false;
  const std::optional<std::string> digits = EncodeField(field);
  return !digits || digits->find_first_not_of('0') != std::string::npos;
}

const RecordLayout& LayoutOf(RecordKind kind) {
  static const std::array<RecordLayout, kRecordKinds> kLayouts{{
      {text::kPointItem, mm::kPointNames, 32, 4, mm::point_record::kNameBytes},
      {text::kAlarmItem, mm::kAlarms, 32, 26, 100},
      {text::kMessageItem, mm::kEventMessages, 60, 48, 192},
      {text::kSerialEventItem, mm::kSerialEvents, 32, 28, 112},
      {text::kDigitalEventItem, mm::kDigitalEvents, 32, 16, 64},
      {text::kTimerItem, mm::kTimers, 32, 18, 76},
  }};
  return kLayouts[static_cast<std::size_t>(kind)];
}

std::string ItemName(RecordKind kind, int index) { return LayoutOf(kind).item + NumberText(index); }

std::vector<RecordField> PointNameFields(const StateGlobals& tables, int point) {
  if (!Inside(tables.pointNames, point, config::kPointCount)) return {};
  return {Field("Name", tables.pointNames[static_cast<std::size_t>(point)].name, Encoding::String,
                mm::point_record::kNameBytes)};
}

std::vector<RecordField> AlarmFields(const StateGlobals& tables, int alarm) {
  if (!Inside(tables.alarms, alarm, config::kAlarmCount)) return {};
  const config::AlarmRecord& a = tables.alarms[static_cast<std::size_t>(alarm)];
  return {
      Field("Deviation Status", a.deviationStatus, Encoding::Enable),
      Field("Mid Range", a.midRange, Encoding::Float),
      Field("Deviation Limit", a.deviationLimit, Encoding::Float),
      Mask("Deviation Flags ON", a.deviationFlagsOn),
      Mask("Deviation Flags OFF", a.deviationFlagsOff),
      Reserved(),
      Field("High Status", a.highStatus, Encoding::Enable),
      Field("High Limit", a.highLimit, Encoding::Float),
      Field("High Dead Band", a.highDeadBand, Encoding::Float),
      Mask("High Flags ON", a.highFlagsOn),
      Mask("High Flags OFF", a.highFlagsOff),
      Reserved(),
      Field("Low Status", a.lowStatus, Encoding::Enable),
      Field("Low Limit", a.lowLimit, Encoding::Float),
      Field("Low Dead Band", a.lowDeadBand, Encoding::Float),
      Mask("Low Flags ON", a.lowFlagsOn),
      Mask("Low Flags OFF", a.lowFlagsOff),
      Field("Address to Check", a.addressToCheck, Encoding::Address),
      Field("Float?", a.isFloat, Encoding::YesNo),
  };
}

std::vector<RecordField> MessageFields(const StateGlobals& tables, int message) {
  if (!Inside(tables.eventMessages, message, config::kEventMessageCount)) return {};
  const config::EventMessageRecord& m = tables.eventMessages[static_cast<std::size_t>(message)];
  return {
      Reserved(),
      Mask("Flags ON", m.flagsOn),
      Mask("Flags OFF", m.flagsOff),
      Field("Stream Packets", m.streamPackets, Encoding::Enable),
      Field("Stream Period", m.streamPeriod, Encoding::Int),
      Field("E-Mail Status", m.emailStatus, Encoding::Enable),
      Field("E-Mail Period", m.emailPeriod, Encoding::Int),
      Field("SNMP Status", m.snmpStatus, Encoding::Enable),
      Field("Trap Period", m.trapPeriod, Encoding::Int),
      Field("Trap Type", m.trapType, Encoding::Int),
      Field("Priority", m.priority, Encoding::Priority),
      Reserved(),
      Field("Serial Status", m.serialStatus, Encoding::Enable),
      Field("Serial PortMask", m.serialPortMask, Encoding::PortMask),
      // At most 126 bytes of text and the zero byte, as the brain's firmware reads the field.
      Field("Message Text", m.messageText, Encoding::String, 127),
  };
}

std::vector<RecordField> SerialEventFields(const StateGlobals& tables, int serialEvent) {
  if (!Inside(tables.serialEvents, serialEvent, config::kSerialEventCount)) return {};
  const config::SerialEventRecord& s = tables.serialEvents[static_cast<std::size_t>(serialEvent)];
  return {
      Field("Port Mask", s.portMask, Encoding::PortMask),
      Reserved(),
      Field("Trap Type", s.trapType, Encoding::Int),
      Field("Trap Period", s.trapPeriod, Encoding::Int),
      Field("Pattern String", s.patternString, Encoding::String, 40, true),
      Field("Resulting String", s.resultingString, Encoding::String, 40, true),
      Mask("Flags ON", s.flagsOn),
      Mask("Flags OFF", s.flagsOff),
  };
}

RecordField SerialPriorityField(const StateGlobals& tables, int serialEvent) {
  if (!Inside(tables.serialEvents, serialEvent, config::kSerialEventCount)) return Reserved();
  return Field("Priority", tables.serialEvents[static_cast<std::size_t>(serialEvent)].priority,
               Encoding::Priority);
}

std::vector<RecordField> DigitalEventFields(const StateGlobals& tables, int event) {
  if (!Inside(tables.digitalEvents, event, config::kUsableDigitalEvents)) return {};
  const config::DigitalEventRecord& d = tables.digitalEvents[static_cast<std::size_t>(event)];
  const config::StateRecord& e = SetOf(tables, d.eventState);
  const config::StateRecord& r = SetOf(tables, d.reactionState);
  return {
      Mask("Event Digital Points ON", e.digitalOn),
      Mask("Event Digital Points OFF", e.digitalOff),
      Mask("Reaction Digital Points ON", r.digitalOn),
      Mask("Reaction Digital Points OFF", r.digitalOff),
      Mask("Event Flags ON", e.flagsOn),
      Mask("Event Flags OFF", e.flagsOff),
      Mask("Reaction Flags ON", r.flagsOn),
      Mask("Reaction Flags OFF", r.flagsOff),
  };
}

std::vector<RecordField> TimerFields(const StateGlobals& tables, int timer) {
  if (!Inside(tables.timers, timer, config::kTimerCount)) return {};
  const config::TimerRecord& t = tables.timers[static_cast<std::size_t>(timer)];
  const config::StateRecord& in = SetOf(tables, t.inputState);
  const config::StateRecord& out = SetOf(tables, t.outputState);
  return {
      Mask("Input Digital Points ON", in.digitalOn),
      Mask("Input Digital Points OFF", in.digitalOff),
      Mask("Input Flags ON", in.flagsOn),
      Mask("Input Flags OFF", in.flagsOff),
      Mask("Output Digital Points ON", out.digitalOn),
      Mask("Output Digital Points OFF", out.digitalOff),
      Mask("Output Flags ON", out.flagsOn),
      Mask("Output Flags OFF", out.flagsOff),
      Field("Timer Preset", t.preset, Encoding::Int),
      Reserved(8),
  };
}

std::vector<RecordField> FieldsOf(RecordKind kind, const StateGlobals& tables, int index) {
  switch (kind) {
    case RecordKind::PointName:
      return PointNameFields(tables, index);
    case RecordKind::Alarm:
      return AlarmFields(tables, index);
    case RecordKind::Message:
      return MessageFields(tables, index);
    case RecordKind::SerialEvent:
      return SerialEventFields(tables, index);
    case RecordKind::DigitalEvent:
      return DigitalEventFields(tables, index);
    case RecordKind::Timer:
      return TimerFields(tables, index);
  }
  return {};
}

}  // namespace kestrio::transfer
