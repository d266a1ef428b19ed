#include "unit/report.h"

#include <chrono>
#include <ctime>

#include "config/summaries.h"
#include "core/data_files.h"
#include "options/option_page_file.h"
#include "options/option_service.h"
#include "points/points_service.h"
#include "points/rack_view.h"

namespace kestrio::unit {

namespace {

constexpr char kNotRead[] = "Could not be read from the unit.";

std::string LocalNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  localtime_r(&now, &tm);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %Z", &tm);
  return text;
}

bool Blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

ReportSection StatusSection(Session& session, Engine& engine, std::vector<std::string>& unread) {
  ReportSection s{"Status page", {}, {}};
  if (!ReadStatusArea(engine, session.Status())) {
    unread.push_back("status page");
    s.paragraphs.push_back(kNotRead);
    return s;
  }
  ReportTable t{"", {"Field", "Value"}, {}};
  for (const auto& [label, value] : StatusFields(session.Status())) t.rows.push_back({label, value});
  s.tables.push_back(std::move(t));
  return s;
}

ReportSection RackSection(Engine& engine, const points::ModulePointTables& tables, points::RackTypes& rack,
                          std::vector<std::string>& unread) {
  ReportSection s{"Rack", {}, {}};
  const auto read = ReadUnitRack(engine);
  if (!read) {
    unread.push_back("rack");
    s.paragraphs.push_back(kNotRead);
    return s;
  }
  rack = *read;
  points::PointTexts values;
  if (!points::Scan(engine, rack, values).ok)
    s.paragraphs.push_back("The live values could not all be read.");
  const points::RackView view = points::DescribeRack(tables, rack, true);
  ReportTable t{"", {"Slot", "Module", "Point", "Point type", "Value"}, {}};
  for (int point = 0; point < points::kPoints; ++point) {
    const int slot = point / points::kPointsPerSlot;
    const bool first = point % points::kPointsPerSlot == 0;
    t.rows.push_back({first ? std::to_string(slot) : "", first ? view.slotViews[slot].text : "",
                      std::to_string(point), view.configTexts[point], values[point]});
  }
  s.tables.push_back(std::move(t));
  return s;
}

ReportSection OptionsSection(Engine& engine, std::vector<std::string>& unread) {
  ReportSection s{"Option pages", {}, {}};
  for (const std::string& file : ShippedOptionPages()) {
    auto records = options::ReadOptionPage(FindDataFile(file));
    ReportTable t{file, {"Option", "Value"}, {}};
    if (!records) {
      unread.push_back(file);
      t.rows.push_back({"(page file missing)", ""});
      s.tables.push_back(std::move(t));
      continue;
    }
    options::OptionPageModel page(std::move(*records));
    if (!options::ReadAll(engine, page).ok()) unread.push_back(file);
    for (const options::OptionRow& row : page.Rows())
      if (row.hasControls) t.rows.push_back({row.record.label, row.value});
    s.tables.push_back(std::move(t));
  }
  return s;
}

ReportSection ConfigurationSection(Engine& engine, const points::ModulePointTables& tables,
                                   const points::RackTypes& rack, std::vector<std::string>& unread) {
  ReportSection s{"Configuration", {}, {}};
  std::vector<std::string> failed;
  const config::StateGlobals configuration = ReadUnitConfiguration(engine, failed);
  for (const std::string& word : failed) {
    unread.push_back("configuration " + word);
    s.paragraphs.push_back("The " + word + " records could not be read from the unit.");
  }
  const config::PointTypeName typeName = [&](int point) {
    return points::PointConfigText(tables, rack.PointType(point));
  };
  for (int v = 0; v < config::kViewCount; ++v) {
    const auto view = static_cast<config::View>(v);
    const config::Summary summary = config::BuildSummary(configuration, view, typeName);
    ReportTable t{std::string(config::LayoutOf(view).title), summary.headers, {}};
    // An undefined item shows its number only: the sheet lists what is configured.
    for (const auto& row : summary.rows) {
      bool defined = false;
      for (std::size_t c = 1; c < row.size(); ++c) defined = defined || !Blank(row[c]);
      if (defined) t.rows.push_back(row);
    }
    s.tables.push_back(std::move(t));
  }
  return s;
}

}  // namespace

ReportDocument BuildUnitReport(Session& session, std::vector<std::string>& unread,
                               std::vector<std::string>& said, const UnitProgress& progress) {
  UnitEngine engine(session.Engine());
  auto tell = [&](const std::string& step) {
    if (progress) progress(step);
  };
  if (session.ModuleTables().ModuleTypeTable.empty()) {
    std::string fatal;
    session.LoadProductData(fatal);
  }
  ReportDocument doc{"Commissioning report", {}};
  doc.sections.push_back({"Unit", {"Date: " + LocalNow(), "Host: " + session.Host()}, {}});
  tell("Reading the status page");
  doc.sections.push_back(StatusSection(session, engine, unread));
  tell("Reading the rack and its values");
  points::RackTypes rack{};
  doc.sections.push_back(RackSection(engine, session.ModuleTables(), rack, unread));
  tell("Reading the option pages");
  doc.sections.push_back(OptionsSection(engine, unread));
  tell("Reading the configuration");
  doc.sections.push_back(ConfigurationSection(engine, session.ModuleTables(), rack, unread));
  said = engine.Said();
  return doc;
}

ReportResult UnitReport(Session& session, ReportFormat format, const UnitProgress& progress) {
  ReportResult result;
  const ReportDocument doc = BuildUnitReport(session, result.unread, result.said, progress);
  result.text = format == ReportFormat::Html ? RenderHtml(doc) : RenderMarkdown(doc);
  return result;
}

}  // namespace kestrio::unit
