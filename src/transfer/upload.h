#pragma once
// The upload: the configuration written into the brain's memory map, one write per record, and then
// the store command that keeps it in the brain's flash. It goes on after a failed write, as a
// commissioning upload always has, but counts what went wrong and says so at the end.
#include <functional>

#include "config/state_tables.h"
#include "transfer/loaded_items.h"
#include "transfer/upload_plan.h"
#include "transport/engine.h"

namespace kestrio::transfer {

struct UploadReport {
  int written = 0;       // records (and the priority block) the brain acknowledged
  int refused = 0;       // records not sent: a field could not be encoded (each was reported)
  int failedWrites = 0;  // writes, the store command included, that got no acknowledgement
  int notSent = 0;       // writes left out because the connection was gone (the store command too)
  bool ok() const { return refused == 0 && failedWrites == 0 && notSent == 0; }
};

// Called after each write with the writes done and the writes planned (the store command included).
using UploadProgress = std::function<void(int done, int total)>;

// Writes the selected steps in order (PlanUpload), sends the store command and ends with "Upload
// Complete." or, when anything was refused or failed, the counts of both. `loaded` then holds what the
// brain was given: items written are loaded, items cleared are not.
UploadReport UploadConfiguration(Engine& engine, const config::StateGlobals& tables,
                                 const UploadSelection& selection, LoadedItems& loaded,
                                 const UploadProgress& progress = {});

// The closing message for a report.
std::string UploadEndMessage(const UploadReport& report);

}  // namespace kestrio::transfer
