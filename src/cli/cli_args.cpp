#include "cli/cli_args.h"

#include <cctype>
#include <map>

#include "cli/cli_transfer.h"
#include "memmap/manual_packet.h"
#include "protocol/convert.h"
#include "protocol/packet.h"

namespace kestrio::cli {

namespace {

struct CommandHelp {
  const char* word;
  const char* usage;
};

// One line (or two) per command, as --help lists them.
constexpr CommandHelp kCommands[] = {
    {"status", "  status                          the status page, one \"Label: value\" line per field\n"},
    {"read",
     "  read ADDRESS [COUNT]            COUNT quadlets (default 1, at most 4096) from ADDRESS, one\n"
     "                                  \"address:data\" line per quadlet; --max-bytes N (default 1000)\n"},
    {"write", "  write ADDRESS HEXDATA           block write of the data (blanks ignored); --max-bytes N\n"},
    {"command",
     "  command puc|store|reset|erase|restart|clear-events\n"
     "                                  a device command; its confirmation is answered by --yes\n"},
    {"send",
     "  send PACKET                     a hand-typed packet; prints the reply, its description and\n"
     "                                  the round-trip time\n"},
    {"decode",
     "  decode PACKET...|-              the packet decoder's field-by-field view (- reads stdin);\n"
     "                                  needs no connection\n"},
    {"eeprom",
     "  eeprom read FILE                the EEPROM image saved as a data file; --max-bytes N\n"
     "  eeprom store FILE               a data file's image written back, then the store command\n"},
    {"options",
     "  options PAGE [--set LABEL=VALUE ...]\n"
     "                                  an option page (a page file, or an Advanced menu entry's\n"
     "                                  caption or file), one \"number. label: value\" line per option;\n"
     "                                  --set writes the named options, then the store command\n"},
    {"config",
     "  config show FILE                a configuration text file's summary views, one line per row;\n"
     "                                  --json gives its tables; needs no connection\n"
     "  config save IN OUT              IN imported and written to OUT as Save to File writes it;\n"
     "                                  needs no connection\n"
     "  config download FILE [--only LIST]\n"
     "                                  the brain's event/reaction configuration saved as a configuration\n"
     "                                  text file; LIST: points,alarms,events,messages,serial,timers\n"
     "                                  (default all); nothing is saved when a category cannot be read\n"
     "  config upload FILE [--only LIST] [--timers-first]\n"
     "                                  a configuration text file written to the brain, then the store\n"
     "                                  command; LIST: names,alarms,timers,messages,serial,events\n"
     "                                  (default all); --timers-first writes the timers after the alarms\n"
     "  config diff FILE                the brain's configuration compared with the file, one line per\n"
     "                                  difference: ITEM: file \"VALUE\", brain \"VALUE\"; exit 0 only when\n"
     "                                  they match. Fields are compared as the brain holds them, so what a\n"
     "                                  download cannot give back is not a difference: set names, message\n"
     "                                  names, \"Disabled\" against an empty status, 0.00 against 0\n"
     "                                  (progress of upload and download on stderr when it is a terminal)\n"},
    {"points",
     "  points [--watch MS [--count N]] the rack as the points window shows it: \"slot N: TEXT\", then\n"
     "                                  \"point P: TYPE: VALUE\" per point; --watch rescans every MS\n"
     "                                  milliseconds and prints each change with its time (--count N\n"
     "                                  stops after N rescans; otherwise Ctrl-C ends it)\n"},
    {"backup",
     "  backup DIR                      the whole unit saved into the new folder DIR: EEPROM image,\n"
     "                                  configuration, rack, option pages and unit.json (checksums, and\n"
     "                                  the gaps: what the unit did not answer)\n"},
    {"restore",
     "  restore DIR                     a backup written onto the unit after one question (--yes), then\n"
     "                                  verified; a failed step lists what was done and what was not\n"},
    {"verify",
     "  verify DIR                      the unit read back and compared with a backup, one line per\n"
     "                                  difference: WHAT: backup \"VALUE\", unit \"VALUE\"\n"},
    {"report",
     "  report [--html] [-o FILE]       the commissioning report (status, rack, option pages,\n"
     "                                  configuration) as Markdown, or HTML with --html\n"
     "                                  (progress of backup, restore, verify and report on stderr when it\n"
     "                                  is a terminal; exit 0 only when everything was done and verified)\n"},
};

constexpr char kHead[] =
    "usage: kestrio-cli [--host HOST[:PORT]] [--timeout SECONDS] [--yes] [--json] [--log FILE] [--stats]\n"
    "                   COMMAND ...\n";

// The option lines of --help's OPTIONS section.
constexpr char kOptions[] =
    "  --host HOST[:PORT]   the brain (port 2001 unless given); default: $KESTRIO_HOST\n"
    "  --timeout SECONDS    reply timeout, 1 to 3000 (default 30)\n"
    "  --yes                answer Yes to the program's questions; without it they are answered No\n"
    "                       and the command is refused\n"
    "  --json               print one JSON object with the command's result on stdout\n"
    "  --log FILE           append the message log (every packet sent and received), one time-stamped\n"
    "                       line each, to FILE\n"
    "  --stats              after the command: requests, replies, timeouts and failed replies on stderr\n"
    "  --max-bytes N        largest block in bytes, 4 to 65532 (read, write, eeprom; default 1000)\n"
    "  -h, --help           this text; COMMAND --help shows the command's usage\n";

// --help as a manual page in plain text: the commands and options between these sections.
constexpr char kManualHead[] =
    "NAME\n"
    "  kestrio-cli - every device operation of Kestrio, scriptable\n"
    "\n"
    "SYNOPSIS\n"
    "  kestrio-cli [--host HOST[:PORT]] [--timeout SECONDS] [--yes] [--json] [--log FILE] [--stats]\n"
    "              COMMAND ...\n"
    "  kestrio-cli COMMAND --help\n"
    "\n"
    "DESCRIPTION\n"
    "  Runs one command against a Tessel Ethernet brain (or kestrio-sim) over TCP and prints its result,\n"
    "  one line per item, or one JSON object with --json. Messages and questions go to stderr; a\n"
    "  question is answered No unless --yes is given. decode and config show/save need no brain.\n"
    "\n"
    "COMMANDS\n";
constexpr char kManualTail[] =
    "\n"
    "FILES\n"
    "  ModulePointInfo.txt, Advanced.mnu and the option page files (*.opt) are read from the working\n"
    "  directory when there, otherwise from <prefix>/share/kestrio beside the installed program.\n"
    "\n"
    "ENVIRONMENT\n"
    "  KESTRIO_HOST         the brain when --host is not given\n"
    "\n"
    "EXIT STATUS\n"
    "  0 success, 1 a transaction failed, timed out or could not connect, 2 a usage error\n"
    "\n"
    "SEE ALSO\n"
    "  kestrio(1), kestrio-sim(1); docs/cli.md, and the user guide in <prefix>/share/doc/kestrio/guide.md\n";

const std::map<std::string, DeviceCommand>& DeviceCommands() {
  static const std::map<std::string, DeviceCommand> kMap = {
      {"puc", DeviceCommand::PowerUpClear},           {"store", DeviceCommand::StoreToEeprom},
      {"reset", DeviceCommand::ResetToDefaults},      {"erase", DeviceCommand::EraseFlash},
      {"restart", DeviceCommand::RestartFromPowerUp}, {"clear-events", DeviceCommand::ClearDigitalEvents},
  };
  return kMap;
}

// A whole decimal number from min to max; nullopt otherwise (no sign, no fraction, no blanks).
std::optional<long> WholeNumber(const std::string& text, long min, long max) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  long v = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v < min || v > max) return std::nullopt;
  return v;
}

// Hex digits with blanks allowed between them, as the memory-map window takes them; nullopt when
// anything else is in the text.
std::optional<std::string> HexWithBlanks(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (IsHexDigit(c)) {
      digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      return std::nullopt;
    }
  }
  return digits;
}

std::string TooMany() { return "Too many, max: " + NumberText(kMaxQuadlets); }

// Checks the operands of the command in `a`; returns the refusal or "".
std::string CheckOperands(CliArgs& a, const std::vector<std::string>& ops) {
  auto count = [&](std::size_t min, std::size_t max) -> std::string {
    if (ops.size() < min) return "missing operand";
    if (ops.size() > max) return "unexpected operand '" + ops[max] + "'";
    return {};
  };
  auto address = [&](const std::string& text) -> std::string {
    const auto digits = HexWithBlanks(text);
    if (!digits || digits->empty() || digits->size() > 12) {
      return "'" + text + "' is not a memory-map address (1 to 12 hex digits)";
    }
    a.address = *digits;
    return {};
  };
  switch (a.command) {
    case CliCommand::Status:
    case CliCommand::Points:
      return count(0, 0);
    case CliCommand::Read: {
      if (auto e = count(1, 2); !e.empty()) return e;
      if (auto e = address(ops[0]); !e.empty()) return e;
      if (ops.size() == 2) {
        // Over the limit the window clamps with a message; a script is better told than short-changed.
        if (WholeNumber(ops[1], kMaxQuadlets + 1, 999999999)) return TooMany();
        const auto n = WholeNumber(ops[1], 1, kMaxQuadlets);
        if (!n) return "'" + ops[1] + "' is not a number of quadlets from 1 to 4096";
        a.count = *n;
      }
      return {};
    }
    case CliCommand::Write: {
      if (auto e = count(2, 2); !e.empty()) return e;
      if (auto e = address(ops[0]); !e.empty()) return e;
      const auto digits = HexWithBlanks(ops[1]);
      if (!digits || digits->empty()) return "'" + ops[1] + "' is not hex data";
      if (digits->size() % 2 != 0) return "the data has an odd number of hex digits; each byte takes two";
      a.data = *digits;
      a.count = static_cast<long>((digits->size() + 7) / 8);
      if (a.count > kMaxQuadlets) return TooMany();
      return {};
    }
    case CliCommand::Command: {
      if (auto e = count(1, 1); !e.empty()) return e;
      const auto it = DeviceCommands().find(ops[0]);
      if (it == DeviceCommands().end()) return "unknown device command '" + ops[0] + "'";
      a.device = it->second;
      a.deviceName = ops[0];
      return {};
    }
    case CliCommand::Send: {
      if (auto e = count(1, 1); !e.empty()) return e;
      if (auto why = CheckManualPacket(ops[0])) return *why;
      const int tcode = PacketTcode(ops[0]);
      if (!IsKnownTcode(tcode)) {
        return "The packet is not sent: its tcode (the 7th digit, " + ops[0].substr(6, 1) +
               ") is not a known packet type.";
      }
      a.packet = ops[0];
      return {};
    }
    case CliCommand::Decode: {
      if (ops.empty()) return "missing operand";
      for (std::size_t i = 0; i < ops.size(); ++i) {
        if (i > 0) a.packet += " ";
        a.packet += ops[i];
      }
      if (a.packet == "-" && ops.size() != 1) return "'-' must be the only operand";
      return {};
    }
    case CliCommand::ConfigDownload:
    case CliCommand::ConfigUpload:
      if (a.only) {
        if (std::string e = CheckOnlyList(a.command, *a.only); !e.empty()) return e;
      }
      [[fallthrough]];
    case CliCommand::ConfigDiff:
    case CliCommand::EepromRead:
    case CliCommand::EepromStore:
      if (auto e = count(1, 1); !e.empty()) return e;
      if (ops[0].empty()) return "the file name is empty";
      a.file = ops[0];
      return {};
    case CliCommand::Options:
      if (auto e = count(1, 1); !e.empty()) return e;
      if (ops[0].empty()) return "the page name is empty";
      a.file = ops[0];
      return {};
    case CliCommand::ConfigShow:
    case CliCommand::ConfigSave: {
      const bool save = a.command == CliCommand::ConfigSave;
      if (auto e = count(save ? 2 : 1, save ? 2 : 1); !e.empty()) return e;
      for (const std::string& op : ops)
        if (op.empty()) return "the file name is empty";
      a.file = ops[0];
      if (save) a.outFile = ops[1];
      return {};
    }
    case CliCommand::Backup:
    case CliCommand::Restore:
    case CliCommand::Verify:
      if (auto e = count(1, 1); !e.empty()) return e;
      if (ops[0].empty()) return "the folder name is empty";
      a.file = ops[0];
      return {};
    case CliCommand::Report:
      return count(0, 0);
    case CliCommand::None:
      break;
  }
  return "no command";
}

}  // namespace

std::string UsageText() {
  std::string out = kManualHead;
  for (const CommandHelp& c : kCommands) out += c.usage;
  out += "\nOPTIONS\n";
  out += kOptions;
  return out + kManualTail;
}

std::string CommandUsage(const std::string& command) {
  for (const CommandHelp& c : kCommands) {
    if (command == c.word) return std::string(kHead) + c.usage;
  }
  return UsageText();
}

std::string UsageHint() { return "Run 'kestrio-cli --help' for the commands and options.\n"; }

ParsedArgs ParseCliArgs(const std::vector<std::string>& argv) {
  ParsedArgs r;
  CliArgs& a = r.args;
  std::vector<std::string> words;
  bool maxBytesGiven = false;
  bool countGiven = false;
  auto fail = [&r](const std::string& error, const std::string& usage) {
    r.error = error;
    r.usage = usage;
    return r;
  };

  bool optionsEnded = false;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      a.help = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    const bool takesValue = name == "--host" || name == "--timeout" || name == "--log" ||
                            name == "--max-bytes" || name == "--set" || name == "--only" || name == "--watch" ||
                            name == "--count" || name == "-o";
    const bool isFlag = name == "--yes" || name == "--json" || name == "--stats" || name == "--timers-first" ||
                        name == "--html";
    if (!takesValue && !isFlag) return fail("unknown option " + name, UsageHint());
    if (isFlag) {
      if (inlineValue) return fail(name + " takes no value", UsageHint());
      (name == "--yes"     ? a.yes
       : name == "--json"  ? a.json
       : name == "--stats" ? a.stats
       : name == "--html"  ? a.html
                           : a.timersFirst) = true;
      continue;
    }
    std::string value;
    if (inlineValue) {
      value = *inlineValue;
    } else if (i + 1 < argv.size()) {
      value = argv[++i];
    } else {
      return fail(name + " needs a value", UsageHint());
    }
    if (name == "--set") {
      if (value.find('=') == std::string::npos)
        return fail("--set: '" + value + "' is not LABEL=VALUE", UsageHint());
      a.sets.push_back(value);
    } else if (name == "--host") {
      if (value.empty()) return fail("--host needs a value", UsageHint());
      a.host = value;
    } else if (name == "-o") {
      if (value.empty()) return fail("-o needs a file name", UsageHint());
      a.outFile = value;
    } else if (name == "--only") {
      a.only = value;
    } else if (name == "--log") {
      if (value.empty()) return fail("--log needs a file name", UsageHint());
      a.logFile = value;
    } else if (name == "--watch" || name == "--count") {
      const auto n = WholeNumber(value, name == "--watch" ? 1 : 0, name == "--watch" ? 3600000 : 999999999);
      if (!n) {
        return fail(name == "--watch" ? "--watch: '" + value + "' is not a number of milliseconds from 1 to 3600000"
                                      : "--count: '" + value + "' is not a number of scans",
                    UsageHint());
      }
      if (name == "--watch") {
        a.watchMs = static_cast<int>(*n);
      } else {
        a.watchCount = *n;
        countGiven = true;
      }
    } else if (name == "--timeout") {
      const auto n = WholeNumber(value, 1, 3000);
      if (!n)
        return fail("--timeout: '" + value + "' is not a number of seconds from 1 to 3000", UsageHint());
      a.timeoutSeconds = static_cast<int>(*n);
    } else {
      const auto n = WholeNumber(value, 4, 65532);
      if (!n)
        return fail("--max-bytes: '" + value + "' is not a number of bytes from 4 to 65532", UsageHint());
      a.maxBytes = *n;
      maxBytesGiven = true;
    }
  }

  if (words.empty()) {
    if (a.help) return r;
    return fail("no command given", UsageHint());
  }
  const std::string& word = words[0];
  std::vector<std::string> ops(words.begin() + 1, words.end());
  static const std::map<std::string, CliCommand> kWords = {
      {"status", CliCommand::Status},   {"read", CliCommand::Read}, {"write", CliCommand::Write},
      {"command", CliCommand::Command}, {"send", CliCommand::Send}, {"decode", CliCommand::Decode},
      {"options", CliCommand::Options},
      {"points", CliCommand::Points},
      {"backup", CliCommand::Backup},   {"restore", CliCommand::Restore}, {"verify", CliCommand::Verify},
      {"report", CliCommand::Report},
  };
  if (const auto it = kWords.find(word); it != kWords.end()) {
    a.command = it->second;
    a.name = word;
  } else if (word == "eeprom") {
    if (a.help && ops.empty()) {
      a.name = word;
      return r;
    }
    if (ops.empty() || (ops[0] != "read" && ops[0] != "store")) {
      return fail(ops.empty() ? "eeprom needs read or store" : "unknown eeprom action '" + ops[0] + "'",
                  CommandUsage(word));
    }
    a.command = ops[0] == "read" ? CliCommand::EepromRead : CliCommand::EepromStore;
    a.name = "eeprom " + ops[0];
    ops.erase(ops.begin());
  } else if (word == "config") {
    if (a.help && ops.empty()) {
      a.name = word;
      return r;
    }
    std::optional<CliCommand> action = ops.empty() ? std::nullopt : TransferCommandOf(ops[0]);
    if (!ops.empty() && ops[0] == "show") action = CliCommand::ConfigShow;
    if (!ops.empty() && ops[0] == "save") action = CliCommand::ConfigSave;
    if (!action) {
      return fail(ops.empty() ? "config needs show, save, download, upload or diff"
                              : "unknown config action '" + ops[0] + "'",
                  CommandUsage(word));
    }
    a.command = *action;
    a.name = "config " + ops[0];
    ops.erase(ops.begin());
  } else {
    return fail("unknown command '" + word + "'", UsageHint());
  }
  if (a.help) return r;  // COMMAND --help: the operands need not be complete

  const bool usesMaxBytes = a.command == CliCommand::Read || a.command == CliCommand::Write ||
                            a.command == CliCommand::EepromRead || a.command == CliCommand::EepromStore;
  if (maxBytesGiven && !usesMaxBytes)
    return fail("--max-bytes does not apply to " + word, CommandUsage(word));
  if (!a.sets.empty() && a.command != CliCommand::Options)
    return fail("--set does not apply to " + word, CommandUsage(word));
  if (a.only && a.command != CliCommand::ConfigDownload && a.command != CliCommand::ConfigUpload)
    return fail("--only does not apply to " + a.name, CommandUsage(word));
  if (a.timersFirst && a.command != CliCommand::ConfigUpload)
    return fail("--timers-first does not apply to " + a.name, CommandUsage(word));
  if ((a.watchMs || countGiven) && a.command != CliCommand::Points)
    return fail(std::string(a.watchMs ? "--watch" : "--count") + " does not apply to " + word, CommandUsage(word));
  if (countGiven && !a.watchMs) return fail("--count needs --watch MS", CommandUsage(word));
  // Only -o has set outFile so far: config save's OUT operand comes below.
  if ((a.html || !a.outFile.empty()) && a.command != CliCommand::Report)
    return fail(std::string(a.html ? "--html" : "-o") + " does not apply to " + a.name, CommandUsage(word));
  if (std::string e = CheckOperands(a, ops); !e.empty()) return fail(a.name + ": " + e, CommandUsage(word));
  return r;
}

}  // namespace kestrio::cli
