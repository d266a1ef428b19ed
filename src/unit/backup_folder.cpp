#include "unit/backup_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "config/config_file.h"
#include "memmap/eeprom_text.h"
#include "unit/sha256.h"

namespace kestrio::unit {

namespace fs = std::filesystem;

namespace {

std::string Errno() { return std::strerror(errno); }

bool WriteSynced(const fs::path& path, const std::string& bytes, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "Could not write " + path.string() + " (" + Errno() + ").";
    return false;
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const bool ok = done == bytes.size() && ::fsync(fd) == 0;
  if (!ok) error = "Could not write " + path.string() + " (" + Errno() + ").";
  return ::close(fd) == 0 && ok;
}

void SyncFolder(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::optional<std::string> ReadSmallFile(const fs::path& path, std::string& error) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec) {
    error = path.filename().string() + " is missing from the backup.";
    return std::nullopt;
  }
  if (size > kMaxBackupFileBytes) {
    error = path.filename().string() + " is larger than a backup's file can be.";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    error = "Could not read " + path.string() + ".";
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

bool FolderTaken(const fs::path& dir, std::string& error) {
  std::error_code ec;
  if (!fs::exists(dir, ec) || (fs::is_directory(dir, ec) && fs::is_empty(dir, ec))) return false;
  error = dir.string() + " already exists; a backup goes into a new or empty folder.";
  return true;
}

bool WriteBackupFolder(const fs::path& dir, Manifest& manifest, const BackupFiles& files,
                       std::string& error) {
  if (FolderTaken(dir, error)) return false;
  std::error_code ec;
  const fs::path target = fs::absolute(dir, ec).lexically_normal();
  const fs::path parent = target.has_filename() ? target.parent_path() : target.parent_path().parent_path();
  const std::string leaf = (target.has_filename() ? target : target.parent_path()).filename().string();
  std::string pattern = (parent / (leaf + ".partial-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    error = "Could not create a folder beside " + dir.string() + " (" + Errno() + ").";
    return false;
  }
  const fs::path temp = pattern;
  auto fail = [&] {
    fs::remove_all(temp, ec);
    return false;
  };
  manifest.files.clear();
  for (const auto& [name, bytes] : files) {
    if (!WriteSynced(temp / name, bytes, error)) return fail();
    manifest.files.push_back({name, Sha256Hex(bytes)});
  }
  if (!WriteSynced(temp / kManifestFile, WriteManifest(manifest), error)) return fail();
  SyncFolder(temp);
  if (fs::is_directory(target, ec)) fs::remove(target, ec);  // the empty folder the operator chose
  if (::rename(temp.c_str(), (parent / leaf).c_str()) != 0) {
    error = "Could not move the backup into " + dir.string() + " (" + Errno() + ").";
    return fail();
  }
  SyncFolder(parent);
  return true;
}

bool HoldsImage(const UnitBackup& backup) {
  if (!backup.eepromText) return false;
  std::string error;
  const auto image = ParseEepromText(*backup.eepromText, error);
  return image && image->length >= 0;
}

std::optional<UnitBackup> LoadBackup(const fs::path& dir, std::string& error) {
  auto refuse = [&error](const std::string& why) {
    error = why;
    return std::nullopt;
  };
  std::error_code ec;
  if (!fs::is_regular_file(dir / kManifestFile, ec))
    return refuse(dir.string() + " is not a unit backup: it has no " + kManifestFile + ".");
  std::string why;
  const auto manifestText = ReadSmallFile(dir / kManifestFile, why);
  if (!manifestText) return refuse(why);
  auto manifest = ParseManifest(*manifestText, why);
  if (!manifest) return refuse("The backup's manifest is not valid: " + why + ".");

  UnitBackup backup;
  backup.manifest = std::move(*manifest);
  // Every checksum first: nothing of a backup changed since it was made is parsed, let alone written.
  std::vector<std::pair<std::string, std::string>> contents;
  for (const ManifestFile& f : backup.manifest.files) {
    auto bytes = ReadSmallFile(dir / f.name, why);
    if (!bytes) return refuse(why);
    if (Sha256Hex(*bytes) != f.sha256)
      return refuse(f.name + " does not match its checksum in " + kManifestFile +
                    ": it was changed after the backup was made.");
    contents.emplace_back(f.name, std::move(*bytes));
  }
  for (auto& [name, bytes] : contents) {
    if (name == kEepromFile) {
      if (!ParseEepromText(bytes, why)) return refuse(name + ": " + why);
      backup.eepromText = std::move(bytes);
    } else if (name == kConfigurationFile) {
      const config::ImportResult r = config::ReadConfigurationText({}, bytes);
      if (r.outcome != config::ImportResult::Outcome::Imported) return refuse(name + ": " + r.message);
      backup.configuration = r.tables;
    } else if (name == kRackFile) {
      backup.rack = ParseRackText(bytes, why);
      if (!backup.rack) return refuse(why);
    } else if (name == kOptionsFile) {
      backup.options = ParseOptionValuesText(bytes, why);
      if (!backup.options) return refuse(why);
    }
  }
  return backup;
}

}  // namespace kestrio::unit
