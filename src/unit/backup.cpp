#include "unit/backup.h"

#include <chrono>
#include <ctime>

#include "config/config_file.h"
#include "unit/backup_folder.h"

namespace kestrio::unit {

namespace {

std::string UtcNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  gmtime_r(&now, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

void Tell(const UnitProgress& progress, const std::string& step) {
  if (progress) progress(step);
}

}  // namespace

BackupResult BackupUnit(Session& session, const std::filesystem::path& dir, const UnitProgress& progress) {
  return BackupUnit(session, session.Engine(), dir, progress);
}

BackupResult BackupUnit(Session& session, Engine& through, const std::filesystem::path& dir,
                        const UnitProgress& progress) {
  BackupResult result;
  UnitEngine engine(through);
  Manifest& m = result.manifest;
  BackupFiles files;

  // Refused before the brain is read, rather than after the whole job.
  if (FolderTaken(dir, result.error)) return result;

  Tell(progress, "Reading the status page");
  if (!ReadStatusArea(engine, session.Status())) {
    result.said = engine.Said();
    result.error = "The brain's status page could not be read: no backup was made.";
    return result;
  }
  m.created = UtcNow();
  m.host = session.Host();
  m.status = StatusFields(session.Status());
  for (const auto& [label, value] : m.status)
    if (label == "MAC Address") m.mac = value;

  Tell(progress, "Reading the EEPROM image");
  if (auto text = ReadUnitEeprom(engine, FormatDottedHex(session.Status().kernelRevision))) {
    files.emplace_back(kEepromFile, *text + "\n");
  } else {
    m.gaps.push_back({"eeprom", "the EEPROM image could not be read"});
  }

  Tell(progress, "Reading the rack");
  if (auto rack = ReadUnitRack(engine)) {
    files.emplace_back(kRackFile, WriteRackText(*rack));
  } else {
    m.gaps.push_back({"rack", "the point types could not be read"});
  }

  Tell(progress, "Reading the configuration");
  std::vector<std::string> failed;
  const config::StateGlobals configuration = ReadUnitConfiguration(engine, failed);
  files.emplace_back(kConfigurationFile, config::WriteConfigurationText(configuration));
  for (const std::string& word : failed)
    m.gaps.push_back({ConfigurationGap(word), "the brain did not answer the " + word + " records"});

  Tell(progress, "Reading the option pages");
  OptionValues values;
  for (const std::string& page : ShippedOptionPages()) {
    if (auto read = ReadUnitOptionPage(engine, page)) {
      values.push_back(std::move(*read));
    } else {
      m.gaps.push_back({OptionPageGap(page), "the page's values could not be read"});
    }
  }
  files.emplace_back(kOptionsFile, WriteOptionValuesText(values));

  Tell(progress, "Writing the backup");
  result.said = engine.Said();
  result.ok = WriteBackupFolder(dir, m, files, result.error);
  return result;
}

}  // namespace kestrio::unit
