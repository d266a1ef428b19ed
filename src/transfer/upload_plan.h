#pragma once
// What an upload writes, in order, before anything is sent: one write per record (or the refusal of
// a record that cannot be built), the serial event priorities in one write, and nothing else; the
// store command that ends every upload is the service's.
#include <cstdint>
#include <string>
#include <vector>

#include "config/state_tables.h"
#include "transfer/loaded_items.h"
#include "transfer/record_fields.h"

namespace kestrio::transfer {

// The configuration window's seven check boxes.
struct UploadSelection {
  bool names = false;          // "Name"
  bool alarms = false;         // "Alarm"
  bool timers = false;         // "Timer"
  bool timersFirst = false;    // "Do Timer Sooner (usually works okay)": timers after the alarms
  bool messages = false;       // "Message"
  bool serialEvents = false;   // "Ser Event"
  bool digitalEvents = false;  // "D.E."

  static UploadSelection All();
};

struct PlannedWrite {
  RecordKind kind = RecordKind::PointName;
  int index = 0;  // -1 for the serial event priorities
  std::uint64_t address = 0;
  double quadlets = 0;  // the count passed to the transfer
  std::string hex;      // the record; empty when refused
  std::string refusal;  // the text to show instead of writing
  bool clears = false;  // a record of zeros for an item deleted since it was loaded
};

// Names, alarms, [timers], messages, serial events and their priorities, digital events, [timers]:
// each step only when selected, each record in index order.
std::vector<PlannedWrite> PlanUpload(const config::StateGlobals& tables, const UploadSelection& selection,
                                     const LoadedItems& loaded);

}  // namespace kestrio::transfer
