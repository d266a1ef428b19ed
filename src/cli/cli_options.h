#pragma once
// kestrio-cli options PAGE [--set "LABEL=VALUE" ...]: an option page read and printed, one
// "number. label: value" line per option; with --set, the named options written as the page
// window writes its ticked rows (in page order), then the store command, with the window's messages.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_commands.h"
#include "options/option_page_model.h"

namespace kestrio::cli {

struct OptionsJob {
  std::string path;  // the page file read
  std::optional<options::OptionPageModel> page;
  std::vector<std::pair<int, std::string>> sets;  // row index and the value to write
  std::string error;                              // why the job cannot run; empty when it can
  int exit = kExitOk;  // with an error: kExitFailed (the page file) or kExitUsage (the --set values)
};

// Finds and reads the page (a path, or a page the Advanced menu names by caption or file) and
// matches each --set label to its row, before anything is sent.
OptionsJob PrepareOptions(const CliArgs& args);

CommandResult RunOptions(CliRun& run, OptionsJob& job);

}  // namespace kestrio::cli
