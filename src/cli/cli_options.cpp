#include "cli/cli_options.h"

#include <algorithm>
#include <filesystem>

#include "core/data_files.h"
#include "options/advanced_menu.h"
#include "options/option_page_file.h"
#include "options/option_service.h"

namespace kestrio::cli {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A menu entry's caption as the operator reads it: without its access-key marks.
std::string PlainCaption(const std::string& caption) {
  std::string out;
  for (char c : caption)
    if (c != '&') out += c;
  return out;
}

// The page file `name` stands for: an existing file, or the page of the Advanced menu entry whose
// caption, file name or file stem it is (letter case aside). Empty when there is none.
std::filesystem::path FindPage(const std::string& name) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(name, ec)) return name;
  const std::string wanted = Lower(name);
  for (const options::MenuEntry& entry : options::LoadAdvancedMenu(FindDataFile("Advanced.mnu"))) {
    const std::string file = Lower(entry.pageFile);
    if (wanted == Lower(PlainCaption(entry.caption)) || wanted == file ||
        wanted == std::filesystem::path(file).stem().string())
      return FindDataFile(entry.pageFile);
  }
  return {};
}

std::string OptionsJson(const options::OptionPageModel& page) {
  std::vector<std::string> items;
  for (const options::OptionRow& r : page.Rows()) {
    items.push_back(JsonObject()
                        .Num("number", r.record.number)
                        .Str("label", r.record.label)
                        .Str("value", r.value)
                        .Bool("read", r.state == options::ReadState::Read)
                        .Text());
  }
  return JsonArray(items);
}

}  // namespace

OptionsJob PrepareOptions(const CliArgs& args) {
  OptionsJob job;
  const std::filesystem::path path = FindPage(args.file);
  if (path.empty()) {
    job.error = "No page file or Advanced menu entry named '" + args.file + "'.";
    job.exit = kExitFailed;
    return job;
  }
  job.path = path.string();
  auto records = options::ReadOptionPage(path);
  if (!records) {
    job.error = "Could not open " + job.path;
    job.exit = kExitFailed;
    return job;
  }
  job.page.emplace(std::move(*records));
  for (const std::string& set : args.sets) {
    const auto eq = set.find('=');
    const std::string label = Trimmed(set.substr(0, eq));
    const auto& rows = job.page->Rows();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const options::OptionRow& r) { return r.record.label == label; });
    std::string why;
    if (row == rows.end()) {
      why = "no option labelled '" + label + "' on " + job.path;
    } else if (std::any_of(std::next(row), rows.end(),
                           [&](const options::OptionRow& r) { return r.record.label == label; })) {
      why = "more than one option is labelled '" + label + "' on " + job.path;
    } else {
      const int index = static_cast<int>(row - rows.begin());
      if (std::any_of(job.sets.begin(), job.sets.end(), [&](const auto& s) { return s.first == index; }))
        why = "'" + label + "' is set twice";
      else
        job.sets.emplace_back(index, set.substr(eq + 1));
    }
    if (!why.empty()) {
      job.error = "options: --set: " + why;
      job.exit = kExitUsage;
      return job;
    }
  }
  return job;
}

CommandResult RunOptions(CliRun& run, OptionsJob& job) {
  CommandResult r;
  Engine& engine = run.session.Engine();
  options::OptionPageModel& page = *job.page;
  const options::PageReadResult read = options::ReadAll(engine, page);
  r.json.Str("page", job.path);
  if (job.sets.empty()) {
    if (!run.args.json) {
      for (const options::OptionRow& row : page.Rows())
        run.out << row.record.number << ". " << row.record.label << ": " << row.value << "\n";
    }
    r.json.Raw("options", OptionsJson(page));
    if (!read.ok()) r.exit = kExitFailed;
    return r;
  }
  if (read.stopped) {
    r.exit = kExitFailed;
    return r;
  }
  // As the window's Write box: ticking an "AT" row puts its format in the value, which --set replaces.
  for (const auto& [row, value] : job.sets) {
    page.SetTicked(row, true);
    page.SetValue(row, value);
  }
  const options::PageWriteResult written = options::WriteOptions(engine, page);
  r.json.Num("written", written.written)
      .Num("refused", static_cast<std::int64_t>(written.plan.refused.size()))
      .Num("skipped", static_cast<std::int64_t>(written.plan.skipped.size()))
      .Num("deviceErrors", written.deviceErrors)
      .Bool("stored", written.stored);
  if (!written.ok()) r.exit = kExitFailed;
  return r;
}

}  // namespace kestrio::cli
