#include "cli/cli.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/cli_config.h"
#include "cli/cli_prompter.h"
#include "cli/cli_transfer.h"
#include "cli/cli_unit.h"
#include "transport/host_address.h"
#include "core/session.h"

namespace kestrio::cli {

namespace {

constexpr char kNoHost[] = "no brain to talk to: give --host HOST[:PORT] or set KESTRIO_HOST";

int UsageError(std::ostream& err, const std::string& error, const std::string& usage) {
  err << "kestrio-cli: " << error << "\n" << usage;
  return kExitUsage;
}

// Adds the members every command's object has and prints it as one line.
void PrintJson(std::ostream& out, const CliArgs& args, const CliPrompter& ui, int exit,
               const JsonObject& own) {
  JsonObject j;
  j.Str("command", args.name).Bool("ok", exit == kExitOk).Num("exit", exit);
  const std::string body = own.Text();
  std::string text = j.Text();
  if (body.size() > 2) text = text.substr(0, text.size() - 1) + "," + body.substr(1);
  text = text.substr(0, text.size() - 1) + ",\"messages\":" + JsonStringArray(ui.Messages()) + "}";
  out << text << "\n";
  out.flush();
}

CommandResult Dispatch(CliRun& run, const std::string& eepromText, OptionsJob& optionsJob,
                       const config::StateGlobals& configFile, const std::optional<unit::UnitBackup>& backup) {
  switch (run.args.command) {
    case CliCommand::Status:
      return RunStatus(run);
    case CliCommand::Read:
      return RunRead(run);
    case CliCommand::Write:
      return RunWrite(run);
    case CliCommand::Command:
      return RunCommand(run);
    case CliCommand::Send:
      return RunSend(run);
    case CliCommand::EepromRead:
      return RunEepromRead(run);
    case CliCommand::EepromStore:
      return RunEepromStore(run, eepromText);
    case CliCommand::Options:
      return RunOptions(run, optionsJob);
    case CliCommand::ConfigDownload:
      return RunConfigDownload(run);
    case CliCommand::ConfigUpload:
      return RunConfigUpload(run, configFile);
    case CliCommand::ConfigDiff:
      return RunConfigDiff(run, configFile);
    case CliCommand::Points:
      return RunPoints(run);
    case CliCommand::Backup:
      return RunBackup(run);
    case CliCommand::Restore:
      return RunRestore(run, *backup);
    case CliCommand::Verify:
      return RunVerify(run, *backup);
    case CliCommand::Report:
      return RunReport(run);
    case CliCommand::Decode:
    case CliCommand::ConfigShow:
    case CliCommand::ConfigSave:
    case CliCommand::None:
      break;
  }
  CommandResult r;
  r.exit = kExitUsage;
  return r;
}

}  // namespace

int RunCli(const std::vector<std::string>& argv, const CliEnvironment& env, std::ostream& out,
           std::ostream& err) {
  const ParsedArgs parsed = ParseCliArgs(argv);
  if (!parsed.ok()) return UsageError(err, parsed.error, parsed.usage);
  const CliArgs& args = parsed.args;
  if (args.help) {
    out << (args.name.empty() ? UsageText() : CommandUsage(args.name.substr(0, args.name.find(' '))));
    return kExitOk;
  }

  CliPrompter ui(err, args.yes);
  if (args.command == CliCommand::Decode) {
    std::istringstream nothing;
    CommandResult r = RunDecode(args, env.in ? *env.in : nothing, out);
    if (args.json) PrintJson(out, args, ui, r.exit, r.json);
    return r.exit;
  }

  if (args.command == CliCommand::ConfigShow || args.command == CliCommand::ConfigSave) {
    CommandResult r =
        args.command == CliCommand::ConfigShow ? RunConfigShow(args, ui, out) : RunConfigSave(args, ui, out);
    if (args.json) PrintJson(out, args, ui, r.exit, r.json);
    return r.exit;
  }

  // Everything that can be refused without the brain is refused before connecting.
  const std::optional<std::string> hostField = args.host ? args.host : env.host;
  if (!hostField || hostField->empty()) return UsageError(err, kNoHost, UsageHint());
  if (!ParseHostField(*hostField)) {
    return UsageError(err, "'" + *hostField + "' is not HOST or HOST:PORT (port 1 to 65535)", UsageHint());
  }
  std::string eepromText;
  if (args.command == CliCommand::EepromStore) {
    std::string error;
    if (!LoadEepromFile(args.file, eepromText, error)) {
      ui.Note(error);
      if (args.json) PrintJson(out, args, ui, kExitFailed, JsonObject().Str("file", args.file));
      return kExitFailed;
    }
  }
  OptionsJob optionsJob;
  if (args.command == CliCommand::Options) {
    optionsJob = PrepareOptions(args);
    if (optionsJob.exit == kExitUsage) return UsageError(err, optionsJob.error, CommandUsage("options"));
    if (!optionsJob.error.empty()) {
      ui.Note(optionsJob.error);
      if (args.json) PrintJson(out, args, ui, optionsJob.exit, JsonObject().Str("page", args.file));
      return optionsJob.exit;
    }
  }
  config::StateGlobals configFile;
  if (ReadsConfigurationFile(args.command) && !LoadConfigurationFile(args.file, configFile, ui)) {
    if (args.json) PrintJson(out, args, ui, kExitFailed, JsonObject().Str("file", args.file));
    return kExitFailed;
  }

  // A backup that does not hold together is refused before anything is sent, the connection's own
  // power-up clear included.
  std::optional<unit::UnitBackup> backup;
  if (ReadsBackup(args.command)) {
    std::string error;
    backup = unit::LoadBackup(args.file, error);
    if (!backup) {
      ui.Note(error + (args.command == CliCommand::Restore ? " Nothing was written." : ""));
      if (args.json) PrintJson(out, args, ui, kExitFailed, JsonObject().Str("folder", args.file));
      return kExitFailed;
    }
  }

  // The engine waits on Qt event loops; a caller without an application object gets one for this run.
  int qtArgc = 1;
  char qtName[] = "kestrio-cli";
  char* qtArgv[] = {qtName, nullptr};
  std::unique_ptr<QCoreApplication> ownApp;
  if (!QCoreApplication::instance()) ownApp = std::make_unique<QCoreApplication>(qtArgc, qtArgv);

  // The tool keeps its own throw-away settings: a script must not change the desktop program's
  // remembered host, and its timeout comes from --timeout alone.
  QTemporaryDir settingsDir;
  const std::string settingsPath =
      settingsDir.isValid() ? settingsDir.filePath("kestrio-cli.ini").toStdString() : std::string();
  Session session(ui, settingsPath.empty() ? "kestrio-cli.ini" : settingsPath);
  if (args.logFile) {
    std::string error;
    if (!session.StartLogFile(*args.logFile, error)) return UsageError(err, error, "");
  }
  session.Engine().SetTimeoutSeconds(args.timeoutSeconds.value_or(Settings::kDefaultTimeout));
  session.SetHost(*hostField);

  CliRun run{args, session, ui, out, env.errIsTerminal ? &err : nullptr};
  CommandResult result;
  if (!session.Connect(false)) {
    // A name that does not resolve has been reported in these words already.
    const std::string couldNot = "Could not connect to: " + *hostField;
    if (ui.Messages().empty() || ui.Messages().back() != couldNot) ui.Note(couldNot);
    result.exit = kExitFailed;
  } else {
    result = Dispatch(run, eepromText, optionsJob, configFile, backup);
    // The brain's own account of a failure, as the status window would have shown it.
    if (ui.StatusWanted() && session.IsConnected()) ReportLastError(run, result.json);
    session.Disconnect();
  }
  session.StopLogFile();
  // The engine's own account of the run, for scripts that watch a rig's health.
  if (args.stats) err << session.Engine().Statistics().Text() << "\n";
  if (args.json) PrintJson(out, args, ui, result.exit, result.json);
  return result.exit;
}

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  CliEnvironment env;
  if (const char* host = std::getenv("KESTRIO_HOST")) env.host = host;
  env.in = &std::cin;
  env.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
  return RunCli(args, env, out, err);
}

}  // namespace kestrio::cli
