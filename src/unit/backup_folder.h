#pragma once
// A unit backup folder on disk: written whole or not at all, and read back only when its manifest
// and every checksum hold. Plain C++ (POSIX files).
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/state_tables.h"
#include "points/rack.h"
#include "unit/backup_files.h"
#include "unit/manifest.h"

namespace kestrio::unit {

// The files of a backup, name and bytes; the manifest's file list and checksums are filled in from them.
using BackupFiles = std::vector<std::pair<std::string, std::string>>;

// True, with `error` saying so, when `dir` exists and is not an empty folder: no backup goes there.
bool FolderTaken(const std::filesystem::path& dir, std::string& error);

// Writes the files and then the manifest into a sibling folder "DIR.partial-XXXXXX", flushing each
// to the disk, and renames it to `dir`; on any failure the sibling is removed and `dir` is left as
// it was. `dir` must not exist or be an empty folder. False with `error` saying why.
bool WriteBackupFolder(const std::filesystem::path& dir, Manifest& manifest, const BackupFiles& files,
                       std::string& error);

// What a backup holds, each part parsed; a part the backup does not hold (a gap) is empty.
struct UnitBackup {
  Manifest manifest;
  std::optional<std::string> eepromText;
  std::optional<config::StateGlobals> configuration;
  std::optional<points::RackTypes> rack;
  std::optional<OptionValues> options;
};

// True when the backup holds an EEPROM image with records: an empty one (a unit that had never
// stored its settings) is neither stored nor compared, as the restore's store command gives the unit one.
bool HoldsImage(const UnitBackup& backup);

// Reads `dir`; nullopt with `error` saying why when the manifest is missing or not valid, a listed
// file is missing or larger than a backup's file can be, a checksum does not match (the file was
// changed since), or a file cannot be read in its format.
std::optional<UnitBackup> LoadBackup(const std::filesystem::path& dir, std::string& error);

}  // namespace kestrio::unit
