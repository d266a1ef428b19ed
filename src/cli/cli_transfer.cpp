#include "cli/cli_transfer.h"

#include <sstream>
#include <vector>

#include "config/config_file.h"
#include "memmap/atomic_file.h"
#include "transfer/brain_reader.h"
#include "transfer/config_compare.h"
#include "transfer/upload.h"

namespace kestrio::cli {

namespace {

using transfer::Category;

// The upload's categories as --only names them, and the flag each sets.
struct UploadWord {
  const char* word;
  bool transfer::UploadSelection::*flag;
};
constexpr UploadWord kUploadWords[] = {
    {"names", &transfer::UploadSelection::names},
    {"alarms", &transfer::UploadSelection::alarms},
    {"timers", &transfer::UploadSelection::timers},
    {"messages", &transfer::UploadSelection::messages},
    {"serial", &transfer::UploadSelection::serialEvents},
    {"events", &transfer::UploadSelection::digitalEvents},
};

std::vector<std::string> Words(const std::string& list) {
  std::vector<std::string> out;
  std::stringstream in(list);
  for (std::string w; std::getline(in, w, ',');) out.push_back(w);
  if (!list.empty() && list.back() == ',') out.emplace_back();
  return out;
}

transfer::UploadSelection UploadSelectionOf(const CliArgs& args) {
  transfer::UploadSelection s = transfer::UploadSelection::All();
  if (args.only) {
    s = {};
    for (const std::string& w : Words(*args.only))
      for (const UploadWord& u : kUploadWords)
        if (w == u.word) s.*u.flag = true;
  }
  s.timersFirst = args.timersFirst;
  return s;
}

transfer::DownloadSelection DownloadSelectionOf(const CliArgs& args) {
  if (!args.only) return {};
  transfer::DownloadSelection s = transfer::DownloadSelection::None();
  for (const std::string& w : Words(*args.only))
    for (const transfer::CategoryInfo& c : transfer::Categories())
      if (w == c.word) s.Set(c.category, true);
  return s;
}

// A progress line rewritten in place on a terminal; nothing when stderr is not one.
class ProgressLine {
 public:
  ProgressLine(std::ostream* err, const char* what) : err_(err), what_(what) {}
  ~ProgressLine() {
    if (err_ && shown_) *err_ << "\n" << std::flush;
  }
  void operator()(int value, int maximum) {
    if (!err_) return;
    *err_ << "\r" << what_ << value << "/" << maximum;
    // The last step ends the line, so the closing messages start on their own.
    shown_ = value < maximum;
    *err_ << (shown_ ? "" : "\n") << std::flush;
  }

 private:
  std::ostream* err_;
  const char* what_;
  bool shown_ = false;
};

// Reads the whole configuration of the ticked categories into the session; false when a category
// stopped early (its message has been shown).
bool Download(CliRun& run, const transfer::DownloadSelection& selection) {
  ProgressLine line(run.progress, "Reading from the brain: ");
  Session& s = run.session;
  // The file holds no rack: the command-line tool reads the names without the rack's types.
  transfer::BrainReader reader(
      s.Engine(), {s.Configuration(), s.DownloadCancelled(), s.LoadedConfiguration()}, {}, std::ref(line));
  return reader.Run(selection).ok();
}


}  // namespace

std::optional<CliCommand> TransferCommandOf(const std::string& action) {
  if (action == "download") return CliCommand::ConfigDownload;
  if (action == "upload") return CliCommand::ConfigUpload;
  if (action == "diff") return CliCommand::ConfigDiff;
  return std::nullopt;
}

bool IsTransferCommand(CliCommand command) {
  return command == CliCommand::ConfigDownload || command == CliCommand::ConfigUpload ||
         command == CliCommand::ConfigDiff;
}

bool ReadsConfigurationFile(CliCommand command) {
  return command == CliCommand::ConfigUpload || command == CliCommand::ConfigDiff;
}

std::string CheckOnlyList(CliCommand command, const std::string& list) {
  std::vector<std::string> known;
  if (command == CliCommand::ConfigUpload) {
    for (const UploadWord& u : kUploadWords) known.emplace_back(u.word);
  } else {
    for (const transfer::CategoryInfo& c : transfer::Categories()) known.emplace_back(c.word);
  }
  std::string names;
  for (const std::string& k : known) names += (names.empty() ? "" : ",") + k;
  for (const std::string& w : Words(list)) {
    bool found = false;
    for (const std::string& k : known) found = found || w == k;
    if (!found) return "--only: '" + w + "' is not one of " + names;
  }
  return {};
}

bool LoadConfigurationFile(const std::string& file, config::StateGlobals& tables, Prompter& ui) {
  return config::ImportConfigurationFile(tables, file, ui);
}

CommandResult RunConfigDownload(CliRun& run) {
  CommandResult r;
  r.json.Str("file", run.args.file);
  Session& s = run.session;
  if (!Download(run, DownloadSelectionOf(run.args))) {
    // A partly read configuration saved as if whole would mislead whoever loads the file next.
    run.ui.Note(run.args.file +
                " not written: the configuration could not be read whole (--only can leave out "
                "what the brain cannot give).");
    r.exit = kExitFailed;
    return r;
  }
  if (!config::SaveConfigurationFile(s.Configuration(), run.args.file, AtomicSave, run.ui)) {
    r.exit = kExitFailed;
    return r;
  }
  if (!run.args.json) run.out << "Saved the brain's configuration to " << run.args.file << ".\n";
  return r;
}

CommandResult RunConfigUpload(CliRun& run, const config::StateGlobals& file) {
  CommandResult r;
  Session& s = run.session;
  s.Configuration() = file;
  transfer::NoteLoaded(s.LoadedConfiguration(), file);
  ProgressLine line(run.progress, "Writing to the brain: ");
  const transfer::UploadReport report = transfer::UploadConfiguration(
      s.Engine(), s.Configuration(), UploadSelectionOf(run.args), s.LoadedConfiguration(), std::ref(line));
  r.json.Str("file", run.args.file).Num("written", report.written).Num("refused", report.refused);
  r.json.Num("failedWrites", report.failedWrites);
  if (!report.ok()) r.exit = kExitFailed;
  if (!run.args.json) {
    run.out << "Wrote " << report.written << (report.written == 1 ? " record" : " records") << " from "
            << run.args.file << ", then the store command.\n";
  }
  return r;
}

CommandResult RunConfigDiff(CliRun& run, const config::StateGlobals& file) {
  CommandResult r;
  r.json.Str("file", run.args.file);
  if (!Download(run, {})) {
    r.exit = kExitFailed;
    return r;
  }
  const std::vector<transfer::Difference> differences =
      transfer::CompareConfigurations(file, run.session.Configuration());
  std::vector<std::string> items;
  for (const transfer::Difference& d : differences) {
    if (!run.args.json)
      run.out << d.item << ": file " << transfer::QuotedValue(d.file) << ", brain " << transfer::QuotedValue(d.brain) << "\n";
    items.push_back(JsonObject().Str("item", d.item).Str("file", d.file).Str("brain", d.brain).Text());
  }
  if (!run.args.json) {
    if (differences.empty())
      run.out << "The brain matches " << run.args.file << ".\n";
    else
      run.out << differences.size() << (differences.size() == 1 ? " difference.\n" : " differences.\n");
  }
  r.json.Raw("differences", JsonArray(items));
  if (!differences.empty()) r.exit = kExitFailed;
  return r;
}

}  // namespace kestrio::cli
