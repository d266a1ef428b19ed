#pragma once
// The records the upload writes, built from the tables: pure and byte-exact. A record is never built
// with a field missing, since that would shift every later field: a field that cannot be encoded
// refuses the whole record, with a message naming the item and the field.
#include <optional>
#include <string>
#include <vector>

#include "config/state_tables.h"
#include "transfer/record_fields.h"

namespace kestrio::transfer {

struct RecordBuild {
  std::optional<std::string> hex;  // the record's digits, when built
  std::string refusal;             // otherwise the text to show

  bool ok() const { return hex.has_value(); }
};

// Joins the encoded fields; the first field that cannot be encoded refuses the record:
// "<item> not sent: <field> '<text>' does not fit the brain's field." (after the value formats' own
// message when they gave one).
RecordBuild BuildRecord(const std::string& item, const std::vector<RecordField>& fields);

// Point name field: the name and its zero byte, at most 16 bytes.
RecordBuild BuildPointNameRecord(const config::StateGlobals& tables, int point);
// 100 bytes: the three condition blocks (92 bytes) and the two advanced fields, address to check and
// float flag, in the same write.
RecordBuild BuildAlarmRecord(const config::StateGlobals& tables, int alarm);
// 64 bytes and the text with its zero byte (at most 128).
RecordBuild BuildMessageRecord(const config::StateGlobals& tables, int message);
// 112 bytes; both strings right-filled to their 40-byte fields.
RecordBuild BuildSerialEventRecord(const config::StateGlobals& tables, int serialEvent);
// 64 bytes: event DigitalOn, DigitalOff, reaction DigitalOn, DigitalOff, event FlagsOn, FlagsOff,
// reaction FlagsOn, FlagsOff.
RecordBuild BuildDigitalEventRecord(const config::StateGlobals& tables, int event);
// 76 bytes: the four event masks, the four reaction masks, the preset and 8 reserved bytes.
RecordBuild BuildTimerRecord(const config::StateGlobals& tables, int timer);
RecordBuild BuildRecordOf(RecordKind kind, const config::StateGlobals& tables, int index);
// The 32 priority quadlets of the serial events, in index order.
RecordBuild BuildSerialPriorities(const config::StateGlobals& tables);

// Whether the upload writes item `index` of `kind`: names always; an alarm with a deviation status;
// a message with a name; a serial event with any field holding something; a digital event or timer
// whose event set has a name.
bool ShouldWrite(RecordKind kind, const config::StateGlobals& tables, int index);

// The whole record of zeros that clears an item on the brain.
std::string ZeroRecord(RecordKind kind);

}  // namespace kestrio::transfer
