#pragma once
// The point/flag picker: which points or flags it offers and how each entry reads. Points can be
// picked only by the digital event/timer editor ("State"); the other editors pick flags.
#include <string>
#include <string_view>
#include <vector>

#include "config/state_tables.h"

namespace kestrio::config {

inline constexpr char kAddAPointCaption[] = "Add a Point";
inline constexpr char kSelectPointFrame[] = "Select Point";
inline constexpr char kAddAFlagCaption[] = "Add a Flag";
inline constexpr char kSelectFlagFrame[] = "Select Flag";
inline constexpr char kDigitalPointsOption[] = "&Digital Points";
inline constexpr char kFlagsOption[] = "&Flags";

// How a point or flag is shown: its name, or, unnamed, its number right-aligned in three characters
// followed by two blanks ("  7  ").
std::string DisplayName(const StateGlobals& tables, bool digital, int number);

struct PickerEntry {
  std::string text;  // display name + " ON" or " OFF"
  int number = 0;
  bool on = true;
};

// Two entries (ON, then OFF) for every point or flag 0..63 not in `excluded`, ascending. When every
// one is excluded the list is empty, and OK then adds nothing.
std::vector<PickerEntry> PickerEntries(const StateGlobals& tables, bool digital,
                                       const std::vector<int>& excluded);

// Whether the picker for `caller` offers points at all (and starts on them).
bool PickerOffersPoints(std::string_view caller);

}  // namespace kestrio::config
