#pragma once
// The download's side of the records: the tables emptied, each record read back into its table, and
// the sets of ON/OFF states rebuilt from the masks the digital events and timers carry. Every
// function takes any digits: a record that is short or not hex stores nothing.
#include <cstdint>
#include <string>
#include <string_view>

#include "config/state_tables.h"
#include "transfer/record_fields.h"

namespace kestrio::transfer {

// 00000001 gives "Enabled", 00000000 the empty text, any other 8 digits are kept as they are.
std::string DecodeEnableFlag(std::string_view digits);

// Every text of every table emptied (flag names too) and every number 0; digital events and timers
// refer to no set on either side (NO_STATE: a reaction side of 0 would name set 0, which a download
// may create); `nextNewSet` back to 0. The point/flag picker's values are not tables and are kept.
void ClearConfiguration(config::StateGlobals& tables, int& nextNewSet);

// The four masks of a side of a digital event or timer, as 16 digits each.
struct SetKey {
  std::string digitalOn, digitalOff, flagsOn, flagsOff;
  bool Zero() const;
};

enum class SetFound { None, Existing, Created, Full };
struct SetLookup {
  SetFound found = SetFound::None;
  int index = config::NO_STATE;  // the set, or NO_STATE for None and Full
};

// The last set 0..127 with the same four mask values (a set whose masks are all empty never
// matches); otherwise, for a key that is not all zero, a new set "Set n" at `nextNewSet`, which then
// moves on. Full when no set is left for it: nothing is written past the table.
SetLookup FindOrAddSet(config::StateGlobals& tables, int& nextNewSet, const SetKey& key);

enum class StoreOutcome {
  Stored,
  Skipped,    // a message whose text is empty
  BadRecord,  // shorter than the read, or not hex: nothing stored
  SetsFull,   // a digital event or timer needed a set beyond the table: nothing stored
};

// Stores record `index` of `kind` from the digits read at its address (LayoutOf(kind).readQuadlets).
// An alarm whose deviation condition is off but which holds anything else keeps "Disabled" as its
// deviation status, so it stays defined. Messages are named "Message n"; a side of a digital event or timer
// whose masks are all zero refers to no set (NO_STATE), and so does every side of a record of zeros.
StoreOutcome StoreRecord(RecordKind kind, config::StateGlobals& tables, int& nextNewSet, int index,
                         std::string_view digits);
// The 32 priority quadlets of the serial events.
StoreOutcome StoreSerialPriorities(config::StateGlobals& tables, std::string_view digits);

}  // namespace kestrio::transfer
