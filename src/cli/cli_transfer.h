#pragma once
// kestrio-cli's configuration transfer: "config download FILE", "config upload FILE" and "config
// diff FILE", with the categories of --only and the upload's --timers-first.
#include <optional>
#include <string>

#include "cli/cli_commands.h"
#include "config/state_tables.h"

namespace kestrio::cli {

// The command a "config" action names, if it is one of these three.
std::optional<CliCommand> TransferCommandOf(const std::string& action);
bool IsTransferCommand(CliCommand command);
// Whether the command takes a configuration text file to read before connecting.
bool ReadsConfigurationFile(CliCommand command);

// The refusal of an --only list for `command` (categories separated by commas), or "".
std::string CheckOnlyList(CliCommand command, const std::string& list);

// Imports the configuration text file named by the command line; false (having said why) when it
// cannot be read or is not a valid configuration file.
bool LoadConfigurationFile(const std::string& file, config::StateGlobals& tables, Prompter& ui);

CommandResult RunConfigDownload(CliRun& run);
CommandResult RunConfigUpload(CliRun& run, const config::StateGlobals& file);
CommandResult RunConfigDiff(CliRun& run, const config::StateGlobals& file);

}  // namespace kestrio::cli
