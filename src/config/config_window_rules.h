#pragma once
// What the configuration window's commands do, over the tables: which item Add and Modify open,
// what Delete empties, and the window's fixed texts. The window reads its selection, calls these,
// and opens what they name.
#include <optional>
#include <string>
#include <string_view>

#include "config/item_ranges.h"
#include "config/state_tables.h"
#include "config/summaries.h"

namespace kestrio::config {

inline constexpr char kConfigWindowCaption[] = "Event and Timer Configuration";
inline constexpr char kSummaryToolTip[] = "Double-click or press <Enter> to change a value.";
inline constexpr char kSummaryLabel[] = " Summary View";
inline constexpr char kConfigInstructions[] =
    "Use this drop-down box to view different configuration information.  Various items, include points "
    "and/or 'flag' bits, can be named.  Names are not required but may make configuration of Digital Events, "
    "etc. easier.\r\n\r\nThe File menu has options for saving either to a on this PC, or a brain (which also "
    "store them into flash memory).";
inline constexpr char kAskSaveOnClose[] = "Would you like to save the current settings\r\nto a text file?";
inline constexpr char kAskImportFromBrain[] =
    "Are you sure?  (Click 'yes' to read \r\ninformation from the brain and replace\r\ncurrently displayed "
    "settings.)";
inline constexpr char kDefaultFileName[] = "Summary";
inline constexpr char kSaveFilter[] = "Text File (*.txt)|*.txt";
inline constexpr char kImportFilter[] = "All Files (*.*)|*.*| Text Files (*.txt)|*.txt|";

// The window's controls and menus. Modify and Delete take their captions from the view's layout.
inline constexpr char kAddCaption[] = "&Add...";
inline constexpr char kCloseCaption[] = "&Close";
inline constexpr char kChecksLabel[] = "For Save and Import";
inline constexpr char kChecksNote[] =
    "items to save on \"Upload to Brain\" (maybe user option in the future?)";
inline constexpr char kChkTimerSooner[] = "Do Timer Sooner (usually works okay)";
inline constexpr char kChkName[] = "Name";
inline constexpr char kChkTimer[] = "Timer";
inline constexpr char kChkAlarm[] = "Alarm";
inline constexpr char kChkSerEvent[] = "Ser Event";
inline constexpr char kChkMessage[] = "Message";
inline constexpr char kChkTransition[] = "D.E.";
inline constexpr char kFileMenu[] = "&File";
inline constexpr char kImportFromFile[] = "Import from &File...";
inline constexpr char kImportFromBrain[] = "Im&port from Brain";
inline constexpr char kSaveToFile[] = "&Save to File...";
inline constexpr char kSaveToBrain[] = "Save to &Brain";
inline constexpr char kViewMenu[] = "&View";
inline constexpr char kHelpMenu[] = "&Help";
inline constexpr char kHelpComingSoon[] = "COMING SOON?";

// The View menu's entries and the view each one selects; the sets have no view of their own.
struct ViewMenuEntry {
  std::string_view caption;
  std::optional<View> view;
};
inline constexpr ViewMenuEntry kViewMenuEntries[] = {
    {"&Digital Points", View::Points},
    {"&Flags", View::Flags},
    {"Configure &States", std::nullopt},
    {"&Digital Events", View::DigitalEvents},
    {"Ti&mers", View::Timers},
    {"&Alarm Events", View::Alarms},
    {"Serial &Events", View::SerialEvents},
    {"Events &Messages", View::Messages},
};

// The window's own state: whether the tables match the last file, the item an editor opens, the
// view kept across an import and the file name proposed by the next save.
struct ConfigWindowState {
  bool savedToFile = false;
  int currentItem = 0;
  int currentOption = 0;
  std::string fileName;
};

// The name the save dialog proposes: the last file imported, or "Summary".
std::string ProposedFileName(const ConfigWindowState& state);

// The item Add opens in view 2, 3, 5, 6 or 7: -1 (the editor takes the first unused item) when the
// selected cell holds text, otherwise the item of the selected row, so an empty row's own item is
// created. nullopt for views without Add.
std::optional<int> ItemForAdd(View view, int selectedRow, std::string_view selectedCell);

enum class Editor { None, Name, DigitalEvent, Timer, Alarm, Message, SerialEvent };

// The editor Add opens in the view; None in the points, flags and ports views.
Editor EditorForAdd(View view);

struct ModifyTarget {
  Editor editor = Editor::None;
  int item = 0;
  // Not empty when no item can be opened (every item of the kind is used); show it instead.
  std::string message;
};

// What Modify (button, double-click, Enter) opens for the selected cell. `selectedRow` is the grid
// row (1 = item 0). Item views open the row's item. In the points and flags views the name column
// opens the name window for the row's point or flag, and the "Digital"/"Timer" columns open the
// first item the cell lists or else the first unused one; in the ports view a cell opens the item
// its first "<n - ...>" entry names, or else the first unused serial event or message.
ModifyTarget TargetForModify(const StateGlobals& tables, View view, int selectedRow, int selectedColumn,
                             std::string_view selectedCell);

// Delete on item `item` of the view: names cleared in views 0 and 1, digital events and timers back
// to NO_STATE (their sets stay), alarms, messages and serial events emptied with Number 0. Returns
// false, changing nothing, for the ports view or an item outside the view's table.
bool DeleteItem(StateGlobals& tables, View view, int item);

// The name window's caption for point or flag `item`: "Name for Point  5", "Name for Flag  12".
std::string NameWindowCaption(View view, int item);

}  // namespace kestrio::config
