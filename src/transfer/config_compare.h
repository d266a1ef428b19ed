#pragma once
// A configuration compared with what a download read from the brain, by what each would hold on the
// brain: every field is compared in its device encoding, so what a download cannot give back does
// not count (set names, message names, "Disabled" against an empty status, "0.00" against "0"); the
// sets of digital events and timers are compared by their masks. Flag names never reach the brain.
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "config/state_tables.h"

namespace kestrio::transfer {

struct Difference {
  std::string item;   // "Alarm 3 High Limit", or "Alarm 3" when one side has no such item
  std::string file;   // the configuration's text ("defined" / "not defined" for a whole item)
  std::string brain;  // the brain's text
};

// For test failures and logs: item, file and brain texts.
inline std::ostream& operator<<(std::ostream& os, const Difference& d) {
  return os << d.item << ": file \"" << d.file << "\", brain \"" << d.brain << "\"";
}

inline constexpr char kDefined[] = "defined";
inline constexpr char kNotDefined[] = "not defined";

// Backslashes, tabs and line breaks written as \\ \t \r \n (and double quotes as \" when `quotes`), so
// a value stays on its line and apart from its neighbours.
std::string EscapedText(std::string_view text, bool quotes);
// A value as a difference line shows it: in double quotes, escaped as above.
std::string QuotedValue(std::string_view text);

// Table by table in the download's order (point names, alarms, serial events with their priorities,
// messages, digital events, timers), items in index order.
std::vector<Difference> CompareConfigurations(const config::StateGlobals& file,
                                              const config::StateGlobals& brain);

}  // namespace kestrio::transfer
