#pragma once
// A unit backup's manifest (unit.json): when and from which host it was made, the brain's status
// page as the status window shows it, the SHA-256 of each file, and the gaps: categories the unit
// did not answer, which a restore skips. Plain C++.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrio::unit {

inline constexpr char kManifestFormat[] = "kestrio-unit-backup";
inline constexpr int kManifestVersion = 1;

struct ManifestFile {
  std::string name;
  std::string sha256;  // 64 lower-case hex digits
};

struct Gap {
  std::string category;  // "eeprom", "rack", "configuration:messages", "options:Network.opt", ...
  std::string reason;
};

struct Manifest {
  std::string created;                                      // UTC, "2026-12-07T04:10:00Z"
  std::string host;                                         // the host field the backup was made through
  std::string mac;                                          // "00-11-22-33-44-55" as the status page shows it
  std::vector<std::pair<std::string, std::string>> status;  // the status page: label (no colon), value
  std::vector<ManifestFile> files;
  std::vector<Gap> gaps;

  const ManifestFile* File(std::string_view name) const;
  bool HasGap(std::string_view category) const;
};

std::string WriteManifest(const Manifest& manifest);
// Refuses, with `error` saying why, text that is not a manifest of this version or lists a file
// that is not one of a backup's own names.
std::optional<Manifest> ParseManifest(std::string_view text, std::string& error);

}  // namespace kestrio::unit
