#pragma once
// A restore of a unit backup onto the connected brain: the plan is shown and asked once through
// the session's prompter; then the EEPROM image, the configuration, the point types that differ
// (only in slots whose module type matches the backup's), the option values and the store command,
// in that order, each only when the backup holds it. The first step that fails ends the restore.
#include <string>
#include <vector>

#include "core/session.h"
#include "unit/backup_folder.h"
#include "unit/unit_reads.h"

namespace kestrio::unit {

inline constexpr char kRestoreTitle[] = "Restore Unit";

struct RestoreResult {
  bool declined = false;             // the operator said No: nothing was written
  std::vector<int> differingSlots;   // slots whose module type differs from the backup's
  std::vector<std::string> done;     // the steps carried out, in order
  std::string failed;                // the step that failed, if one did
  std::vector<std::string> skipped;  // the steps not carried out after it
  std::vector<std::string> said;     // what the transactions reported on the way
  bool ok() const { return !declined && failed.empty(); }
};

RestoreResult RestoreUnit(Session& session, const UnitBackup& backup, const UnitProgress& progress = {});
// The same with the transactions through `through` (a recording engine over the session's, say).
RestoreResult RestoreUnit(Session& session, Engine& through, const UnitBackup& backup,
                          const UnitProgress& progress = {});

// "Restore stopped at: STEP." with the steps done and the steps skipped, one per line.
std::string RestoreStoppedText(const RestoreResult& result);

}  // namespace kestrio::unit
