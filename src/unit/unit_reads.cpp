#include "unit/unit_reads.h"

#include "core/data_files.h"
#include "memmap/eeprom_image.h"
#include "memmap/memmap_service.h"
#include "options/advanced_menu.h"
#include "options/option_page_file.h"
#include "options/option_page_model.h"
#include "points/points_service.h"
#include "transfer/brain_reader.h"

namespace kestrio::unit {

std::optional<std::string> ReadUnitEeprom(Engine& engine, const std::string& kernelRevision) {
  const std::string from = ProbeEepromAddress(engine);
  if (from == kEepromUnknownAddress) return std::nullopt;
  const EepromReadResult read = ReadEepromImage(engine, from, kUnitBlockBytes, kernelRevision);
  if (!read.ok) return std::nullopt;
  return read.text;
}

config::StateGlobals ReadUnitConfiguration(Engine& engine, std::vector<std::string>& failed) {
  config::StateGlobals tables;
  bool cancelled = false;
  transfer::LoadedItems loaded;
  transfer::BrainReader reader(engine, {tables, cancelled, loaded});
  const transfer::DownloadResult result = reader.Run({});
  for (const std::string& name : result.failed)
    for (const transfer::CategoryInfo& c : transfer::Categories())
      if (name == c.name) failed.emplace_back(c.word);
  return tables;
}

std::optional<points::RackTypes> ReadUnitRack(Engine& engine) {
  points::RackTypes rack{};
  if (!points::ReadRackPointTypes(engine, rack).Complete()) return std::nullopt;
  return rack;
}

std::vector<std::string> ShippedOptionPages() {
  std::vector<std::string> pages;
  for (const options::MenuEntry& entry : options::LoadAdvancedMenu(FindDataFile("Advanced.mnu")))
    pages.push_back(entry.pageFile);
  return pages;
}

std::optional<OptionPageValues> ReadUnitOptionPage(Engine& engine, const std::string& pageFile) {
  auto records = options::ReadOptionPage(FindDataFile(pageFile));
  if (!records) return std::nullopt;
  options::OptionPageModel page(std::move(*records));
  OptionPageValues out{pageFile, {}};
  for (const options::ReadItem& item : page.ReadPlan()) {
    const options::OptionRow& row = page.Rows()[static_cast<std::size_t>(item.row)];
    // Only what a restore may write back is kept: read-only rows (the MAC, a link speed) belong to
    // the unit, not to its settings.
    if (!row.writable || item.quadlets <= 0) continue;
    const MemMapResult r = MemMapData(
        engine, {static_cast<double>(item.quadlets), item.address, {}, true, options::kPageBlockBytes});
    const std::string digits = r.Data();
    if (!r.ok() || digits.size() != static_cast<std::size_t>(item.quadlets) * 8) return std::nullopt;
    out.values.push_back({item.address, digits, row.record.label});
  }
  return out;
}

std::string ConfigurationGap(const std::string& word) { return "configuration:" + word; }
std::string OptionPageGap(const std::string& pageFile) { return "options:" + pageFile; }

std::vector<std::pair<std::string, std::string>> StatusFields(const StatusRecord& status) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const StatusField& f : ShowStatusRecord(status).page) {
    std::string label = f.label;
    if (!label.empty() && label.back() == ':') label.pop_back();
    out.emplace_back(label, f.value);
  }
  return out;
}

}  // namespace kestrio::unit
