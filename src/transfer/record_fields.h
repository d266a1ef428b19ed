#pragma once
// The configuration's records as the brain lays them out: every record is a list of fields, each a
// text of the tables with the encoding and width of its place in the record. Building a record joins
// the encoded fields; comparing a configuration with the brain compares them one by one. Records
// are hex digits, two upper-case digits per byte, big-endian.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/state_tables.h"
#include "protocol/memory_map.h"

namespace kestrio::transfer {

enum class Encoding {
  Enable,    // 00000001 for "Enabled", else 00000000
  Priority,  // 00000000 for "High", else 00000001
  Float,     // IEEE-754 single
  Int,       // unsigned 32 bits, 0..4294967295
  Mask,      // 16 hex digits (an empty text is zero)
  PortMask,  // 8 hex digits (an empty text is zero)
  String,    // Latin-1 codes and a zero byte, at most `bytes` in all
  Zero,      // reserved
  Address,   // the low 32 bits of a memory-map address typed as hex (empty is zero)
  YesNo,     // 00000001 for Yes, 00000000 for No or empty
};

// Views into the tables it was made from (and a constant label): a field lives no longer than those
// tables, which spares a copy of every text of every record an upload plans.
struct RecordField {
  std::string_view label;  // as the operator knows the field ("High Limit")
  std::string_view text;   // the tables' text
  Encoding encoding = Encoding::Zero;
  int bytes = 4;      // the field's width; for a String the most it may take with its zero byte
  bool fill = false;  // a String right-filled with zero bytes to the whole width
};

// The digits of a field, or nullopt when its text cannot be held by the field (not a number, out of
// range, too long, a character without a single-byte code). `said` receives the value formats' own
// refusal text, if they gave one.
std::optional<std::string> EncodeField(const RecordField& field, std::string* said = nullptr);

// True when the field's text is not blank and encodes to something other than zeros, or cannot be
// encoded at all (so it is written, and refused with a message, rather than silently left out).
bool HoldsSomething(const RecordField& field);

enum class RecordKind { PointName, Alarm, Message, SerialEvent, DigitalEvent, Timer };
inline constexpr int kRecordKinds = 6;

struct RecordLayout {
  const char* item;             // "Alarm": the item's name in messages, followed by its number
  memory_map::RecordArea area;  // where record i lies
  int writeQuadlets;            // the quadlet count passed with a write
  int readQuadlets;             // the quadlets a download reads
  int fullBytes;                // the whole record as the upload writes it when it is cleared
};
const RecordLayout& LayoutOf(RecordKind kind);
// "Alarm 3".
std::string ItemName(RecordKind kind, int index);

// The fields of each record, in the order of the layout. Indexes outside the tables give no fields.
std::vector<RecordField> PointNameFields(const config::StateGlobals& tables, int point);
std::vector<RecordField> AlarmFields(const config::StateGlobals& tables, int alarm);
std::vector<RecordField> MessageFields(const config::StateGlobals& tables, int message);
std::vector<RecordField> SerialEventFields(const config::StateGlobals& tables, int serialEvent);
// The masks of the two sets the item refers to; a reference to no named set reads as zero masks.
std::vector<RecordField> DigitalEventFields(const config::StateGlobals& tables, int event);
std::vector<RecordField> TimerFields(const config::StateGlobals& tables, int timer);
std::vector<RecordField> FieldsOf(RecordKind kind, const config::StateGlobals& tables, int index);

// The priority quadlet of a serial event, which lives in its own area beside the records.
RecordField SerialPriorityField(const config::StateGlobals& tables, int serialEvent);

}  // namespace kestrio::transfer
