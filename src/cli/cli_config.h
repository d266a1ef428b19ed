#pragma once
// kestrio-cli's configuration text file commands. Neither needs a brain: "config show FILE" prints
// every summary view of the file, "config save IN OUT" imports IN and writes OUT as the configuration
// window's Save to File would. A file the import refuses gives the import's message and exit 1.
#include <ostream>

#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_prompter.h"

namespace kestrio::cli {

// For each view: its title, the header and one line per grid row, cells separated by tabs (a
// backslash, tab, CR or LF inside a cell written \\, \t, \r, \n); an empty line between views.
// --json: the tables instead, in the member "tables".
CommandResult RunConfigShow(const CliArgs& args, CliPrompter& ui, std::ostream& out);

// OUT is replaced atomically and only when IN imports whole.
CommandResult RunConfigSave(const CliArgs& args, CliPrompter& ui, std::ostream& out);

}  // namespace kestrio::cli
