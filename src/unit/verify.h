#pragma once
// The read-back comparison of a unit with a backup: the EEPROM image byte for byte, the
// configuration as "config diff" compares it, the rack, and the option values. Parts the backup
// does not hold are not compared.
#include <algorithm>
#include <string>
#include <vector>

#include "core/session.h"
#include "unit/backup_folder.h"
#include "unit/unit_reads.h"

namespace kestrio::unit {

struct UnitDifference {
  std::string what;    // "EEPROM image byte 12", "Alarm 3 High Limit", "Slot 2 module type", ...
  std::string backup;  // the backup's text
  std::string unit;    // the unit's text
};

struct VerifyResult {
  std::vector<UnitDifference> differences;
  std::vector<std::string> unread;  // parts of the unit that could not be read back
  std::vector<std::string> said;
  bool ok() const { return differences.empty() && unread.empty(); }
};

VerifyResult VerifyUnit(Session& session, const UnitBackup& backup, const UnitProgress& progress = {});

// One line: WHAT: backup "B", unit "U", the values escaped as config diff escapes them.
std::string DifferenceText(const UnitDifference& d);

}  // namespace kestrio::unit
