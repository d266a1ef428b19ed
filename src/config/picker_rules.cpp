#include "config/picker_rules.h"

#include <algorithm>

#include "protocol/convert.h"

namespace kestrio::config {

std::string DisplayName(const StateGlobals& tables, bool digital, int number) {
  if (number >= 0 && number < kPointCount) {
    const std::string& name = digital ? tables.pointNames[number].name : tables.flagNames[number].name;
    if (!name.empty()) return name;
  }
  const std::string padded = "   " + NumberText(number);
  return padded.substr(padded.size() - 3) + "  ";
}

std::vector<PickerEntry> PickerEntries(const StateGlobals& tables, bool digital,
                                       const std::vector<int>& excluded) {
  std::vector<PickerEntry> entries;
  for (int n = 0; n < kPointCount; ++n) {
    if (std::find(excluded.begin(), excluded.end(), n) != excluded.end()) continue;
    const std::string label = DisplayName(tables, digital, n);
    entries.push_back({label + " ON", n, true});
    entries.push_back({label + " OFF", n, false});
  }
  return entries;
}

bool PickerOffersPoints(std::string_view caller) { return caller == kPickerState; }

}  // namespace kestrio::config
