#pragma once
// Which items the brain may be holding as far as this program knows: those defined when the
// configuration was last read from the brain or imported from a file, and those uploaded since. An
// item deleted in the editors since then is uploaded as a record of zeros, so the brain stops acting
// on it; an item never defined is never written, so whatever the brain holds there is left alone.
#include <array>
#include <bitset>

#include "config/state_tables.h"
#include "transfer/record_fields.h"

namespace kestrio::transfer {

struct LoadedItems {
  std::array<std::bitset<128>, kRecordKinds> items;

  bool Has(RecordKind kind, int index) const;
  void Set(RecordKind kind, int index, bool loaded);
  bool operator==(const LoadedItems&) const = default;
};

// Adds every item the upload would write from `tables` (after a download or an import).
void NoteLoaded(LoadedItems& loaded, const config::StateGlobals& tables);

// The configuration command has ended: every digital event and timer goes back to no state, as the
// tables' rule says, and none of them counts as loaded any more, so the next upload does not take
// them for deleted ones.
void ResetEventStates(config::StateGlobals& tables, LoadedItems& loaded);

}  // namespace kestrio::transfer
