#include "transfer/record_builders.h"

#include "transfer/transfer_texts.h"

namespace kestrio::transfer {

using config::StateGlobals;

RecordBuild BuildRecord(const std::string& item, const std::vector<RecordField>& fields) {
  RecordBuild build;
  std::string hex;
  for (const RecordField& f : fields) {
    std::string said;
    const std::optional<std::string> digits = EncodeField(f, &said);
    if (!digits) {
      build.refusal = (said.empty() ? "" : said + "\n") + item + text::kNotSent;
      build.refusal.append(f.label).append(" '").append(f.text).append(text::kCannotBeWritten);
      return build;
    }
    hex += *digits;
  }
  if (!fields.empty()) build.hex = std::move(hex);
  return build;
}

RecordBuild BuildRecordOf(RecordKind kind, const StateGlobals& tables, int index) {
  return BuildRecord(ItemName(kind, index), FieldsOf(kind, tables, index));
}

RecordBuild BuildPointNameRecord(const StateGlobals& tables, int point) {
  return BuildRecordOf(RecordKind::PointName, tables, point);
}
RecordBuild BuildAlarmRecord(const StateGlobals& tables, int alarm) {
  return BuildRecordOf(RecordKind::Alarm, tables, alarm);
}
RecordBuild BuildMessageRecord(const StateGlobals& tables, int message) {
  return BuildRecordOf(RecordKind::Message, tables, message);
}
RecordBuild BuildSerialEventRecord(const StateGlobals& tables, int serialEvent) {
  return BuildRecordOf(RecordKind::SerialEvent, tables, serialEvent);
}
RecordBuild BuildDigitalEventRecord(const StateGlobals& tables, int event) {
  return BuildRecordOf(RecordKind::DigitalEvent, tables, event);
}
RecordBuild BuildTimerRecord(const StateGlobals& tables, int timer) {
  return BuildRecordOf(RecordKind::Timer, tables, timer);
}

RecordBuild BuildSerialPriorities(const StateGlobals& tables) {
  std::vector<RecordField> fields;
  for (int i = 0; i < config::kSerialEventCount; ++i) fields.push_back(SerialPriorityField(tables, i));
  return BuildRecord(text::kSerialEventItem, fields);
}

bool ShouldWrite(RecordKind kind, const StateGlobals& tables, int index) {
  const auto at = static_cast<std::size_t>(index);
  switch (kind) {
    case RecordKind::PointName:
      return index >= 0 && index < config::kPointCount;
    case RecordKind::Alarm:
      return index >= 0 && index < config::kAlarmCount && !tables.alarms[at].deviationStatus.empty();
    case RecordKind::Message:
      return index >= 0 && index < config::kEventMessageCount && !tables.eventMessages[at].name.empty();
    case RecordKind::SerialEvent:
      // Entries never defined hold nothing and are left alone; an empty field reads as zero.
      for (const RecordField& f : SerialEventFields(tables, index))
        if (f.encoding != Encoding::Zero && HoldsSomething(f)) return true;
      return false;
    case RecordKind::DigitalEvent:
      return index >= 0 && index < config::kUsableDigitalEvents &&
             config::IsNamedSet(tables, tables.digitalEvents[at].eventState);
    case RecordKind::Timer:
      return index >= 0 && index < config::kTimerCount &&
             config::IsNamedSet(tables, tables.timers[at].inputState);
  }
  return false;
}

std::string ZeroRecord(RecordKind kind) {
  return std::string(static_cast<std::size_t>(LayoutOf(kind).fullBytes) * 2, '0');
}

}  // namespace kestrio::transfer
