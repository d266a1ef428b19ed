#pragma once
// kestrio-cli's command line: global options anywhere before a "--", a command and its operands.
// Everything an operator can get wrong on the line is refused here, before any connection is made.
#include <optional>
#include <string>
#include <vector>

#include "memmap/device_commands.h"

namespace kestrio::cli {

enum class CliCommand {
  None,
  Status,
  Read,
  Write,
  Command,
  Send,
  Decode,
  EepromRead,
  EepromStore,
  Options,
  ConfigShow,
  ConfigSave,
  ConfigDownload,
  ConfigUpload,
  ConfigDiff,
  Points,
  // The whole unit (cli_unit.cpp).
  Backup,
  Restore,
  Verify,
  Report
};

inline constexpr long kDefaultMaxBytes = 1000;
// The memory-map window's limit on one manual access, in quadlets.
inline constexpr long kMaxQuadlets = 4096;

struct CliArgs {
  // Global options.
  std::optional<std::string> host;
  std::optional<int> timeoutSeconds;  // 1 to 3000
  bool yes = false;
  bool json = false;
  std::optional<std::string> logFile;
  bool stats = false;  // print the traffic statistics on stderr at the end
  long maxBytes = kDefaultMaxBytes;  // 4 to 65532
  bool help = false;

  CliCommand command = CliCommand::None;
  std::string name;  // "status", "eeprom read", ...

  // Operands, already checked.
  std::string address;  // hex digits only, 1 to 12 (read, write)
  long count = 1;       // quadlets (read, write)
  std::string data;     // hex digits only, an even number (write)
  DeviceCommand device = DeviceCommand::PowerUpClear;
  std::string deviceName;  // "puc", "store", ... (command)
  std::string packet;      // as typed (send) or the text to decode (decode; "-" reads stdin)
  // eeprom read / store; the page (options); the configuration file (config show, save, download,
  // upload, diff)
  std::string file;
  std::string outFile;  // config save: the file written
  std::vector<std::string> sets;  // options --set: "LABEL=VALUE", in the order given

  // config download / upload: the categories of --only (checked), and the upload's --timers-first.
  std::optional<std::string> only;
  bool timersFirst = false;
  std::optional<int> watchMs;  // points --watch MS: rescan every MS milliseconds (1 to 3600000)
  long watchCount = 0;         // points --count N: stop after N rescans (0: until interrupted)
  // report: --html, and -o FILE in outFile (empty: stdout). backup, restore, verify: the folder in file.
  bool html = false;
};

struct ParsedArgs {
  CliArgs args;
  std::string error;  // empty when the line is usable
  std::string usage;  // the usage to show with the error: the command's own, or the whole
  bool ok() const { return error.empty(); }
};

ParsedArgs ParseCliArgs(const std::vector<std::string>& argv);

// The whole usage text (--help) and the usage of one command ("read", "eeprom", ...).
std::string UsageText();
std::string CommandUsage(const std::string& command);
// The one line shown under a usage error that belongs to no command.
std::string UsageHint();

}  // namespace kestrio::cli
