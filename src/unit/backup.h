#pragma once
// A unit backup: everything a replacement brain needs, read from the connected brain into a new
// folder (the EEPROM image, the configuration, the rack, the shipped option pages' values, and the
// manifest). A category the brain does not answer is recorded as a gap instead of ending the job.
#include <filesystem>
#include <string>
#include <vector>

#include "core/session.h"
#include "unit/manifest.h"
#include "unit/unit_reads.h"

namespace kestrio::unit {

struct BackupResult {
  bool ok = false;
  std::string error;              // why no backup was written
  Manifest manifest;              // what was written, its gaps included
  std::vector<std::string> said;  // what the transactions reported on the way
};

// The status page must be readable (it names the unit); every other part may be a gap. The folder
// is written only at the end, whole (WriteBackupFolder).
BackupResult BackupUnit(Session& session, const std::filesystem::path& dir,
                        const UnitProgress& progress = {});
// The same with the transactions through `through` (a recording engine over the session's, say).
BackupResult BackupUnit(Session& session, Engine& through, const std::filesystem::path& dir,
                        const UnitProgress& progress = {});

}  // namespace kestrio::unit
