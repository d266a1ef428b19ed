#include "unit/verify.h"

#include "memmap/eeprom_text.h"
#include "memmap/memmap_service.h"
#include "transfer/config_compare.h"

namespace kestrio::unit {

namespace {

// The image's digits without the address and without any digits past its L bytes.
std::string ImageDigits(const std::string& text) {
  std::string error;
  const auto image = kestrio::ParseEepromText(text, error);
  if (!image) return {};
  const auto colon = text.find(": ");
  std::string digits = text.substr(colon + 2);
  while (!digits.empty() && (digits.back() == '\n' || digits.back() == '\r' || digits.back() == ' '))
    digits.pop_back();
  return digits.substr(0, digits.size() - image->ignoredDigits);
}

void CompareImages(const std::string& backupText, const std::string& unitText,
                   std::vector<UnitDifference>& out) {
  const std::string a = ImageDigits(backupText);
  const std::string b = ImageDigits(unitText);
  if (a == b) return;
  const std::size_t bytes = std::max(a.size(), b.size()) / 2;
  for (std::size_t i = 0; i < bytes; ++i) {
    const std::string x = 2 * i < a.size() ? a.substr(2 * i, 2) : "none";
    const std::string y = 2 * i < b.size() ? b.substr(2 * i, 2) : "none";
    if (x != y) {
      // The first difference says where; a byte count says how much, without a line per byte.
      std::size_t count = 0;
      for (std::size_t j = i; j < bytes; ++j)
        count += (2 * j < a.size() ? a.substr(2 * j, 2) : "") != (2 * j < b.size() ? b.substr(2 * j, 2) : "");
      out.push_back({"EEPROM image byte " + std::to_string(i) + " (" + std::to_string(count) +
                         (count == 1 ? " byte differs)" : " bytes differ)"),
                     x, y});
      return;
    }
  }
}

}  // namespace

std::string DifferenceText(const UnitDifference& d) {
  return d.what + ": backup " + transfer::QuotedValue(d.backup) + ", unit " + transfer::QuotedValue(d.unit);
}

VerifyResult VerifyUnit(Session& session, const UnitBackup& backup, const UnitProgress& progress) {
  VerifyResult result;
  UnitEngine engine(session.Engine());
  auto tell = [&](const std::string& step) {
    if (progress) progress(step);
  };

  // An empty image (the unit had never stored its settings) says nothing to compare: the restore's
  // store command has since given the unit one.
  if (HoldsImage(backup)) {
    tell("Reading back the EEPROM image");
    if (!ReadStatusArea(engine, session.Status())) {
      result.unread.push_back("status page");
    } else if (auto text = ReadUnitEeprom(engine, FormatDottedHex(session.Status().kernelRevision))) {
      CompareImages(*backup.eepromText, *text, result.differences);
    } else {
      result.unread.push_back("EEPROM image");
    }
  }

  if (backup.configuration) {
    tell("Reading back the configuration");
    std::vector<std::string> failed;
    config::StateGlobals read = ReadUnitConfiguration(engine, failed);
    for (const std::string& word : failed)
      if (!backup.manifest.HasGap(ConfigurationGap(word))) result.unread.push_back("configuration " + word);
    // What the backup does not hold was not restored either: the unit's own stays out of the comparison.
    const config::StateGlobals& b = *backup.configuration;
    auto gap = [&](const char* word) { return backup.manifest.HasGap(ConfigurationGap(word)); };
    if (gap("points")) read.pointNames = b.pointNames;
    if (gap("alarms")) read.alarms = b.alarms;
    if (gap("events")) read.digitalEvents = b.digitalEvents;
    if (gap("messages")) read.eventMessages = b.eventMessages;
    if (gap("serial")) read.serialEvents = b.serialEvents;
    if (gap("timers")) read.timers = b.timers;
    for (const transfer::Difference& d : transfer::CompareConfigurations(*backup.configuration, read))
      result.differences.push_back({d.item, d.file, d.brain});
  }

  if (backup.rack) {
    tell("Reading back the rack");
    if (const auto rack = ReadUnitRack(engine)) {
      for (int slot = 0; slot < points::kSlots; ++slot) {
        const auto want = backup.rack->RackModuleTypes[slot], have = rack->RackModuleTypes[slot];
        if (want != have) {
          result.differences.push_back(
              {"Slot " + std::to_string(slot) + " module type", std::to_string(want), std::to_string(have)});
          continue;
        }
        for (int p = slot * points::kPointsPerSlot; p < (slot + 1) * points::kPointsPerSlot; ++p) {
          if (backup.rack->RackPointTypes[p] != rack->RackPointTypes[p])
            result.differences.push_back({"Point " + std::to_string(p) + " type",
                                          std::to_string(backup.rack->RackPointTypes[p]),
                                          std::to_string(rack->RackPointTypes[p])});
        }
      }
    } else {
      result.unread.push_back("rack");
    }
  }

  if (backup.options) {
    tell("Reading back the option values");
    for (const OptionPageValues& page : *backup.options) {
      for (const OptionValue& v : page.values) {
        const MemMapResult r = MemMapData(
            engine, {static_cast<double>(v.digits.size() / 8), v.address, {}, true, kUnitBlockBytes});
        if (!r.ok()) {
          result.unread.push_back(page.page + " " + v.label);
        } else if (r.Data() != v.digits) {
          result.differences.push_back({page.page + " " + v.label, v.digits, r.Data()});
        }
      }
    }
  }
  result.said = engine.Said();
  return result;
}

}  // namespace kestrio::unit
