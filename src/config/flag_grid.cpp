#include "config/flag_grid.h"

#include <cstdint>

#include "config/mask.h"
#include "config/numbers.h"
#include "protocol/convert.h"

namespace kestrio::config {

namespace {

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

std::string FlagRowText(const StateGlobals& tables, int flag, bool on) {
  const std::string name = flag >= 0 && flag < kFlagCount ? tables.flagNames[flag].name : std::string();
  return NumberText(flag) + "  " + name + (on ? " ON" : " OFF");
}

std::optional<FlagRow> ParseFlagRow(std::string_view row) {
  FlagRow parsed;
  if (EndsWith(row, " OFF")) {
    parsed.on = false;
  } else if (!EndsWith(row, " ON")) {
    return std::nullopt;
  }
  const std::optional<long long> n = LenientInteger(row.substr(0, 3));
  if (!n || *n < 0 || *n >= kFlagCount) return std::nullopt;
  parsed.flag = static_cast<int>(*n);
  return parsed;
}

std::vector<std::string> FlagRowsOfMasks(const StateGlobals& tables, std::string_view onMask,
                                         std::string_view offMask) {
  std::vector<std::string> rows;
  for (const bool on : {true, false}) {
    const std::uint64_t mask = MaskValue(on ? onMask : offMask);
    for (int n = 0; n < kFlagCount; ++n) {
      if ((mask >> n) & 1u) rows.push_back(FlagRowText(tables, n, on));
    }
  }
  return rows;
}

FlagMasks BuildFlagMasks(const std::vector<std::string>& rows) {
  std::uint64_t on = 0;
  std::uint64_t off = 0;
  for (const std::string& row : rows) {
    if (const std::optional<FlagRow> parsed = ParseFlagRow(row)) {
      (parsed->on ? on : off) |= std::uint64_t{1} << parsed->flag;
    }
  }
  return {MaskText(on), MaskText(off)};
}

bool HasAnyFlagRow(const std::vector<std::string>& rows) {
  for (const std::string& row : rows) {
    if (ParseFlagRow(row)) return true;
  }
  return false;
}

std::vector<int> FlagsInRows(const std::vector<std::string>& rows) {
  std::vector<int> flags;
  for (const std::string& row : rows) {
    if (const std::optional<FlagRow> parsed = ParseFlagRow(row)) flags.push_back(parsed->flag);
  }
  return flags;
}

}  // namespace kestrio::config
