#pragma once
// Point and flag names and the small name window's rules. The window is opened for one point or
// flag and names that one: the item is fixed when it opens, not read again from the grid on OK.
#include <string>
#include <string_view>

#include "config/state_tables.h"
#include "config/summaries.h"

namespace kestrio::config {

inline constexpr char kInvalidName[] = "Invalid name.";
inline constexpr char kNameTooLong[] = "A name has at most 15 characters.";
inline constexpr char kNameOnLabel[] = "ON State";
inline constexpr char kNameOffLabel[] = "Automically named OFF State";
inline constexpr char kNameOk[] = "&OK";
inline constexpr char kNameCancel[] = "&Cancel";

// Store or clear the name of point or flag `pointNum` (0..63) in the table of `view`: points in the
// points view, flags in the flags view. False, changing nothing, in other views or out of range.
bool SavePointName(StateGlobals& tables, View view, std::string_view name, int pointNum);
bool ClearName(StateGlobals& tables, View view, int pointNum);
// The stored name the window opens with; "" in other views or out of range.
std::string NameOf(const StateGlobals& tables, View view, int pointNum);

// The read-only preview beside the name box: the name under which the point or flag shows when OFF.
std::string OffPreview(std::string_view typed);

struct NameWindowResult {
  bool saved = false;   // the name was stored; the window closes
  std::string message;  // refusal to show; the window stays open with the text as typed
};

// OK in the name window opened for `item`: an empty box or one of more than 15 characters is
// refused and changes nothing; otherwise the name is stored as typed (blanks included).
NameWindowResult NameWindowOk(StateGlobals& tables, View view, int item, std::string_view typed);

// The summary row selected after the name window closes: one further down only when a name was
// saved and the row is above `lastRow`, so the next point can be named at once.
int RowAfterNameWindow(int selectedRow, int lastRow, bool saved);

}  // namespace kestrio::config
