#pragma once
// kestrio-cli's whole-unit commands: "backup DIR", "restore DIR", "verify DIR" and "report".
#include <optional>
#include <string>

#include "cli/cli_commands.h"
#include "unit/backup_folder.h"

namespace kestrio::cli {

bool IsUnitCommand(CliCommand command);
// Whether the command reads a backup folder, which is checked before connecting.
bool ReadsBackup(CliCommand command);

CommandResult RunBackup(CliRun& run);
// `backup` has been loaded and checked by unit::LoadBackup.
CommandResult RunRestore(CliRun& run, const unit::UnitBackup& backup);
CommandResult RunVerify(CliRun& run, const unit::UnitBackup& backup);
CommandResult RunReport(CliRun& run);

}  // namespace kestrio::cli
