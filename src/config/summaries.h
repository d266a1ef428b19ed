#pragma once
// The configuration window's eight views as data: the drop-down entries, each view's layout and
// column headers, and every cell's text, so the window only copies strings into its grid. Data row
// k is grid row k + 1 (row 0 is the header) and shows item k. Undefined items show their number only.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/state_tables.h"

namespace kestrio::config {

enum class View { Points = 0, Flags, DigitalEvents, Timers, Ports, Alarms, Messages, SerialEvents };
inline constexpr int kViewCount = 8;

struct ViewLayout {
  std::string_view title;  // the drop-down entry
  int rows;                // grid rows including the header
  int columns;
  bool addShown;
  std::string_view modifyCaption;
  std::string_view deleteCaption;
};

// `view` outside 0..7 gives the points view's layout.
const ViewLayout& LayoutOf(View view);
std::vector<std::string> HeadersOf(View view);

// The type name of point p (0..63) as the rack read found it, or "" when the read gave none. The
// module/point tables live in another layer, so the caller supplies the lookup.
using PointTypeName = std::function<std::string(int point)>;

struct Summary {
  std::vector<std::string> headers;
  std::vector<std::vector<std::string>> rows;  // rows[k][0] is item k's number, blank-led (" 5")
  // Lines of text each row needs: in the points and flags views the number of sets listed (at
  // least 1), raised to the count of digital events or timers divided by 6 when larger; 1 elsewhere.
  std::vector<int> rowLines;
};

Summary BuildSummary(const StateGlobals& tables, View view, const PointTypeName& pointTypeName = {});

}  // namespace kestrio::config
