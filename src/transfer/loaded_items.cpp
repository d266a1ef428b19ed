#include "transfer/loaded_items.h"

#include "transfer/record_builders.h"

namespace kestrio::transfer {

bool LoadedItems::Has(RecordKind kind, int index) const {
  return index >= 0 && index < 128 &&
         items[static_cast<std::size_t>(kind)].test(static_cast<std::size_t>(index));
}

void LoadedItems::Set(RecordKind kind, int index, bool loaded) {
  if (index >= 0 && index < 128)
    items[static_cast<std::size_t>(kind)].set(static_cast<std::size_t>(index), loaded);
}

void NoteLoaded(LoadedItems& loaded, const config::StateGlobals& tables) {
  for (int k = 0; k < kRecordKinds; ++k) {
    const auto kind = static_cast<RecordKind>(k);
    if (kind == RecordKind::PointName) continue;  // names are always written
    for (int i = 0; i < LayoutOf(kind).area.records; ++i)
      if (ShouldWrite(kind, tables, i)) loaded.Set(kind, i, true);
  }
}

void ResetEventStates(config::StateGlobals& tables, LoadedItems& loaded) {
  config::ResetDigitalEventsAndTimers(tables);
  loaded.items[static_cast<std::size_t>(RecordKind::DigitalEvent)].reset();
  loaded.items[static_cast<std::size_t>(RecordKind::Timer)].reset();
}

}  // namespace kestrio::transfer
