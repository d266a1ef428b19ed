#include "cli/cli_unit.h"

#include "memmap/atomic_file.h"
#include "unit/backup.h"
#include "unit/report.h"
#include "unit/restore.h"
#include "unit/verify.h"

namespace kestrio::cli {

namespace {

unit::UnitProgress ProgressOf(CliRun& run) {
  if (!run.progress) return {};
  return [out = run.progress](const std::string& step) { *out << step << "...\n" << std::flush; };
}

void Relay(CliRun& run, const std::vector<std::string>& said) {
  for (const std::string& text : said) run.ui.Note(text);
}

// Prints the differences and sets the exit status: 0 only when the unit matches the backup whole.
void ReportVerify(CliRun& run, const unit::VerifyResult& v, CommandResult& r) {
  std::vector<std::string> items;
  for (const unit::UnitDifference& d : v.differences) {
    if (!run.args.json) run.out << unit::DifferenceText(d) << "\n";
    items.push_back(JsonObject().Str("item", d.what).Str("backup", d.backup).Str("unit", d.unit).Text());
  }
  for (const std::string& part : v.unread) run.ui.Note("Could not read back: " + part + ".");
  if (!run.args.json) {
    if (v.ok()) {
      run.out << "The unit matches the backup.\n";
    } else if (!v.differences.empty()) {
      run.out << v.differences.size() << (v.differences.size() == 1 ? " difference.\n" : " differences.\n");
    }
  }
  r.json.Raw("differences", JsonArray(items));
  if (!v.ok()) r.exit = kExitFailed;
}

}  // namespace

bool IsUnitCommand(CliCommand command) {
  return command == CliCommand::Backup || command == CliCommand::Restore || command == CliCommand::Verify ||
         command == CliCommand::Report;
}

bool ReadsBackup(CliCommand command) {
  return command == CliCommand::Restore || command == CliCommand::Verify;
}

CommandResult RunBackup(CliRun& run) {
  CommandResult r;
  r.json.Str("folder", run.args.file);
  const unit::BackupResult b = unit::BackupUnit(run.session, run.args.file, ProgressOf(run));
  Relay(run, b.said);
  if (!b.ok) {
    run.ui.Note(b.error);
    r.exit = kExitFailed;
    return r;
  }
  std::vector<std::string> gaps;
  for (const unit::Gap& g : b.manifest.gaps) {
    if (!run.args.json) run.out << "Gap: " << g.category << ": " << g.reason << "\n";
    gaps.push_back(JsonObject().Str("category", g.category).Str("reason", g.reason).Text());
  }
  r.json.Raw("gaps", JsonArray(gaps));
  if (!run.args.json) {
    run.out << "Saved the unit to " << run.args.file;
    if (!b.manifest.gaps.empty()) run.out << ", without what it did not answer";
    run.out << ".\n";
  }
  // A backup with gaps is kept, but a script must not take it for a whole one.
  if (!b.manifest.gaps.empty()) r.exit = kExitFailed;
  return r;
}

CommandResult RunRestore(CliRun& run, const unit::UnitBackup& backup) {
  CommandResult r;
  r.json.Str("folder", run.args.file);
  const unit::RestoreResult result = unit::RestoreUnit(run.session, backup, ProgressOf(run));
  Relay(run, result.said);
  std::vector<std::string> done;
  for (const std::string& step : result.done) {
    if (!run.args.json) run.out << "Done: " << step << "\n";
    done.push_back(step);
  }
  r.json.Raw("done", JsonStringArray(done)).Raw("skipped", JsonStringArray(result.skipped));
  r.json.Str("failed", result.failed);
  if (result.declined) {
    run.ui.Note("Nothing was written.");
    r.exit = kExitFailed;
    return r;
  }
  if (!result.ok()) {
    run.ui.Note(unit::RestoreStoppedText(result));
    r.exit = kExitFailed;
    return r;
  }
  ReportVerify(run, unit::VerifyUnit(run.session, backup, ProgressOf(run)), r);
  return r;
}

CommandResult RunVerify(CliRun& run, const unit::UnitBackup& backup) {
  CommandResult r;
  r.json.Str("folder", run.args.file);
  const unit::VerifyResult v = unit::VerifyUnit(run.session, backup, ProgressOf(run));
  Relay(run, v.said);
  ReportVerify(run, v, r);
  return r;
}

CommandResult RunReport(CliRun& run) {
  CommandResult r;
  const unit::ReportResult report = unit::UnitReport(
      run.session, run.args.html ? unit::ReportFormat::Html : unit::ReportFormat::Markdown, ProgressOf(run));
  Relay(run, report.said);
  for (const std::string& part : report.unread) run.ui.Note("Could not read: " + part + ".");
  if (!report.ok()) r.exit = kExitFailed;
  if (run.args.outFile.empty()) {
    run.out << report.text;
    return r;
  }
  r.json.Str("file", run.args.outFile);
  std::string error;
  if (!AtomicSave(run.args.outFile, report.text, error)) {
    run.ui.Note(error);
    r.exit = kExitFailed;
  } else if (!run.args.json) {
    run.out << "Saved the report to " << run.args.outFile << ".\n";
  }
  return r;
}

}  // namespace kestrio::cli
