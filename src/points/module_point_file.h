#pragma once
// The module/point description file: which module name each module type code the brain reports
// stands for, and which point configuration types a module of that type accepts, with their
// descriptions. Read once at start-up; the tables never change afterwards.
//
// File format: a stream of comma-separated fields, four to a record (module name, module type
// code, point type description, point type code); a field may be quoted to hold commas; a field
// beginning with "'" where a record would begin is a comment. Codes are decimal or "&H" hex.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/prompter.h"

namespace kestrio::points {

inline constexpr char kModulePointFileName[] = "ModulePointInfo.txt";
// Position 0 of PointTypeCodes is never used, so a module lists at most 20 types.
inline constexpr int kMaxPointTypesPerModule = 20;
// Codes are 16-bit in the tables: a larger one in the file is a typo, and must neither size a table
// of billions of entries nor wrap to another code.
inline constexpr std::int32_t kMaxTypeCode = 32767;
// Names and descriptions are cut at this many characters, so no line can take unbounded memory.
inline constexpr std::size_t kMaxFieldLength = 256;

struct ModuleTypeInfo {
  std::string Name;  // empty when the file names no module with this code
  std::int16_t PointTypeCount = 0;
  std::array<std::int16_t, kMaxPointTypesPerModule + 1> PointTypeCodes{};  // positions 1..PointTypeCount
};

struct PointTypeInfo {
  std::string Name;             // empty when the file does not list this code
  std::int16_t ModuleType = 0;  // the module type of the last record that listed this point type
};

// A point configuration type offered for a module: the code written to the brain and its description.
struct PointTypeChoice {
  std::int16_t code = 0;
  std::string name;
  bool operator==(const PointTypeChoice&) const = default;
};

// Every code from 0 to HighestModuleType (HighestPointType) has an entry; only those the file lists
// are stored, so a single code of 32767 costs one entry, not a table of 32768.
struct ModulePointTables {
  std::map<std::int32_t, ModuleTypeInfo> ModuleTypeTable;
  std::map<std::int32_t, PointTypeInfo> PointTypeTable;
  int HighestModuleType = 0;
  int HighestPointType = 0;

  // The lookups take any code the brain may report; a code outside the table gives nullopt (or
  // nothing, or false), never an index outside it.
  std::optional<std::string_view> ModuleName(std::int64_t module) const;
  // The types listed for the module, in file order.
  std::vector<PointTypeChoice> OfferedPointTypes(std::int64_t module) const;
  std::optional<std::string_view> PointTypeName(std::int64_t type) const;
  // True when the module's name begins with "AO" (case-sensitive).
  bool IsAnalogOutputModule(std::int64_t module) const;
};

// Builds the tables from the file's text. Too many types for one module and codes outside
// 0..kMaxTypeCode are told through `ui` (naming the line); every other flaw skips silently.
ModulePointTables ParseModulePointInfo(std::string_view text, Prompter& ui);

struct ModulePointFile {
  ModulePointTables tables;
  // Set when the file could not be opened: the caller shows it and then ends the program.
  std::string fatalError;
  bool Opened() const { return fatalError.empty(); }
};

// LoadModulePointInfo: reads the file at `path` (the caller chooses where it is; a relative path
// is made absolute for the message), streaming it so memory stays bounded for any file.
ModulePointFile LoadModulePointInfo(const std::filesystem::path& path, Prompter& ui);

// "FATAL ERROR", an empty line, "Could not open file: ", the path and the system error number.
std::string CannotOpenText(const std::string& fullPath, int errorNumber);
// "There are too many point configuration types for the <name> module.  The max is:  20".
std::string TooManyTypesText(std::string_view moduleName);

}  // namespace kestrio::points
