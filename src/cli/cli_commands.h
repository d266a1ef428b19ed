#pragma once
// The commands of kestrio-cli over one connected session. Each prints its text result on `out`
// (unless --json) and fills the members of its JSON object; the caller prints the object.
#include <istream>
#include <ostream>
#include <string>

#include "cli/cli_args.h"
#include "cli/cli_prompter.h"
#include "cli/json.h"
#include "core/session.h"

namespace kestrio::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct CliRun {
  const CliArgs& args;
  Session& session;
  CliPrompter& ui;
  std::ostream& out;
  std::ostream* progress = nullptr;  // stderr when it is a terminal: long jobs show their progress there
};

struct CommandResult {
  int exit = kExitOk;
  JsonObject json;  // the command's own members; the caller adds "command", "ok" and "messages"
};

CommandResult RunStatus(CliRun& run);
CommandResult RunRead(CliRun& run);
CommandResult RunWrite(CliRun& run);
CommandResult RunCommand(CliRun& run);
CommandResult RunSend(CliRun& run);
CommandResult RunEepromRead(CliRun& run);
// points (cli_points.cpp): loads the module/point file, reads the rack, scans, prints; --watch rescans.
CommandResult RunPoints(CliRun& run);
// `text` is the data file's content, already loaded and checked by LoadEepromFile.
CommandResult RunEepromStore(CliRun& run, const std::string& text);

// Loads and checks an EEPROM data file before anything is sent; false with `error` set when the
// file cannot be read or its image is not valid.
bool LoadEepromFile(const std::string& file, std::string& text, std::string& error);

// decode needs no session: `packet` is the text to decode, or "-" to read `in`.
CommandResult RunDecode(const CliArgs& args, std::istream& in, std::ostream& out);

// The "Last Error:" lines of the status area (read after a failed transaction), printed as notes;
// the JSON member "lastError" when the read worked.
void ReportLastError(CliRun& run, JsonObject& json);

}  // namespace kestrio::cli
