#pragma once
// The files of a unit backup folder besides its manifest, and their text formats: the rack (module
// and point type codes per slot) and the option values (the writable rows of each shipped page).
// Plain C++. Every reader takes any bytes and refuses what it cannot use with a sentence saying why.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "points/rack.h"

namespace kestrio::unit {

inline constexpr char kManifestFile[] = "unit.json";
inline constexpr char kEepromFile[] = "eeprom.dat";
inline constexpr char kConfigurationFile[] = "configuration.txt";
inline constexpr char kRackFile[] = "rack.txt";
inline constexpr char kOptionsFile[] = "options.txt";
// A backup's files are a few KiB; anything larger is not one of ours.
inline constexpr std::size_t kMaxBackupFileBytes = 8u << 20;

// True for the names above except the manifest: the only files a manifest may list, so a
// manifest can never point a restore outside its folder.
bool IsBackupFileName(std::string_view name);

// Rack file: "slot S: module M points P0 P1 P2 P3" for each of the 16 slots, codes in decimal.
std::string WriteRackText(const points::RackTypes& rack);
std::optional<points::RackTypes> ParseRackText(std::string_view text, std::string& error);

// Option values file: "[PAGE FILE]" opens a page; each row below is "ADDRESS DIGITS LABEL": the
// 12-digit address, the value's hex digits as the brain holds them (whole quadlets), and the row's label for
// a reader.
struct OptionValue {
  std::string address;
  std::string digits;
  std::string label;
};
struct OptionPageValues {
  std::string page;
  std::vector<OptionValue> values;
};
using OptionValues = std::vector<OptionPageValues>;
std::string WriteOptionValuesText(const OptionValues& values);
std::optional<OptionValues> ParseOptionValuesText(std::string_view text, std::string& error);

}  // namespace kestrio::unit
