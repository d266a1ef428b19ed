#include "transfer/config_compare.h"

#include <optional>

#include "transfer/record_builders.h"

namespace kestrio::transfer {

namespace {

using config::NO_STATE;
using config::StateGlobals;

// Whether the brain holds item `index` as a download stored it.
bool BrainHas(RecordKind kind, const StateGlobals& brain, int index) {
  const auto at = static_cast<std::size_t>(index);
  switch (kind) {
    case RecordKind::Alarm:
      for (const RecordField& f : AlarmFields(brain, index))
        if (HoldsSomething(f)) return true;
      return false;
    case RecordKind::DigitalEvent:
      return brain.digitalEvents[at].eventState != NO_STATE ||
             brain.digitalEvents[at].reactionState != NO_STATE;
    case RecordKind::Timer:
      return brain.timers[at].inputState != NO_STATE || brain.timers[at].outputState != NO_STATE;
    default:
      return ShouldWrite(kind, brain, index);
  }
}

// The record as the brain would hold it, right-filled with zeros to its whole length; nullopt when a
// field cannot be encoded.
std::optional<std::string> Held(RecordKind kind, const StateGlobals& tables, int index, bool present) {
  std::string record = ZeroRecord(kind);
  if (!present) return record;
  RecordBuild build = BuildRecordOf(kind, tables, index);
  if (!build.ok()) return std::nullopt;
  record.replace(0, std::min(build.hex->size(), record.size()), *build.hex);
  return record;
}

void CompareFields(std::vector<Difference>& out, const std::string& item,
                   const std::vector<RecordField>& file, const std::vector<RecordField>& brain) {
  for (std::size_t f = 0; f < file.size() && f < brain.size(); ++f) {
    if (file[f].encoding == Encoding::Zero) continue;
    const std::optional<std::string> a = EncodeField(file[f]), b = EncodeField(brain[f]);
    if (!a || !b || *a != *b) {
      out.push_back(
          {item + " " + std::string(file[f].label), std::string(file[f].text), std::string(brain[f].text)});
    }
  }
}

void CompareKind(std::vector<Difference>& out, RecordKind kind, const StateGlobals& file,
                 const StateGlobals& brain) {
  for (int i = 0; i < LayoutOf(kind).area.records; ++i) {
    const bool inFile = ShouldWrite(kind, file, i), onBrain = BrainHas(kind, brain, i);
    if (!inFile && !onBrain) continue;
    const std::optional<std::string> a = Held(kind, file, i, inFile), b = Held(kind, brain, i, onBrain);
    if (a && b && *a == *b) continue;
    if (inFile != onBrain) {
      out.push_back({ItemName(kind, i), inFile ? kDefined : kNotDefined, onBrain ? kDefined : kNotDefined});
      continue;
    }
    CompareFields(out, ItemName(kind, i), FieldsOf(kind, file, i), FieldsOf(kind, brain, i));
  }
}

}  // namespace

std::string EscapedText(std::string_view text, bool quotes) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += quotes ? "\\\"" : "\"";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string QuotedValue(std::string_view text) { return "\"" + EscapedText(text, true) + "\""; }

std::vector<Difference> CompareConfigurations(const StateGlobals& file, const StateGlobals& brain) {
  std::vector<Difference> out;
  CompareKind(out, RecordKind::PointName, file, brain);
  CompareKind(out, RecordKind::Alarm, file, brain);
  CompareKind(out, RecordKind::SerialEvent, file, brain);
  // A text file carries no priority for a serial event it does not define, so a brain's priority
  // counts only where either side holds the event.
  for (int i = 0; i < config::kSerialEventCount; ++i) {
    if (!ShouldWrite(RecordKind::SerialEvent, file, i) && !BrainHas(RecordKind::SerialEvent, brain, i))
      continue;
    CompareFields(out, ItemName(RecordKind::SerialEvent, i), {SerialPriorityField(file, i)},
                  {SerialPriorityField(brain, i)});
  }
  CompareKind(out, RecordKind::Message, file, brain);
  CompareKind(out, RecordKind::DigitalEvent, file, brain);
  CompareKind(out, RecordKind::Timer, file, brain);
  return out;
}

}  // namespace kestrio::transfer
