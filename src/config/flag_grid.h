#pragma once
// The flag grids of the alarm, message and serial event editors: one row per chosen flag, " 5  name ON"
// (the number blank-led, two blanks, the flag's name, then " ON" or " OFF"). The flag number is read
// back from the row's first three characters and the state from the row's ending only, so a flag
// named "MONITOR" or "ON AIR" is not misread.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/state_tables.h"

namespace kestrio::config {

inline constexpr char kFlagGridHeader[] = "Flag Name";

std::string FlagRowText(const StateGlobals& tables, int flag, bool on);

struct FlagRow {
  int flag = 0;
  bool on = true;
};
// nullopt for an empty row, a row that ends in neither " ON" nor " OFF", or a number outside 0..63.
std::optional<FlagRow> ParseFlagRow(std::string_view row);

// Rows of the ON mask (ascending, " ON") and then of the OFF mask (ascending, " OFF").
std::vector<std::string> FlagRowsOfMasks(const StateGlobals& tables, std::string_view onMask,
                                         std::string_view offMask);

struct FlagMasks {
  std::string on;  // 16 upper-case hex digits
  std::string off;
};
FlagMasks BuildFlagMasks(const std::vector<std::string>& rows);

// Whether any row names a flag; a grid whose only row was deleted has none.
bool HasAnyFlagRow(const std::vector<std::string>& rows);

// The flags already in a grid, which the picker no longer offers.
std::vector<int> FlagsInRows(const std::vector<std::string>& rows);

}  // namespace kestrio::config
