#include "config/config_window_rules.h"

#include "config/names.h"
#include "config/numbers.h"
#include "protocol/convert.h"

namespace kestrio::config {

namespace {

std::optional<ItemKind> KindOf(View view) {
  switch (view) {
    case View::DigitalEvents:
      return ItemKind::DigitalEvent;
    case View::Timers:
      return ItemKind::Timer;
    case View::Alarms:
      return ItemKind::Alarm;
    case View::Messages:
      return ItemKind::Message;
    case View::SerialEvents:
      return ItemKind::SerialEvent;
    default:
      return std::nullopt;
  }
}

Editor EditorOf(ItemKind kind) {
  switch (kind) {
    case ItemKind::DigitalEvent:
      return Editor::DigitalEvent;
    case ItemKind::Timer:
      return Editor::Timer;
    case ItemKind::Alarm:
      return Editor::Alarm;
    case ItemKind::Message:
      return Editor::Message;
    case ItemKind::SerialEvent:
      return Editor::SerialEvent;
  }
  return Editor::None;
}

// The first item a cell lists ("<12 - text> ..." or "5, 12"), when it is an item of `kind`.
std::optional<int> FirstListed(std::string_view cell, ItemKind kind) {
  if (!cell.empty() && cell.front() == '<') cell.remove_prefix(1);
  if (cell.empty()) return std::nullopt;
  const std::optional<long long> n = LenientInteger(cell);
  if (!n || *n < 0 || *n >= ItemCount(kind)) return std::nullopt;
  return static_cast<int>(*n);
}

ModifyTarget Open(const StateGlobals& tables, ItemKind kind, std::optional<int> listed) {
  if (listed) return {EditorOf(kind), *listed, {}};
  if (const std::optional<int> unused = FirstUnusedItem(tables, kind)) return {EditorOf(kind), *unused, {}};
  return {Editor::None, 0, RangeMessage(kind)};
}

}  // namespace

std::string ProposedFileName(const ConfigWindowState& state) {
  return state.fileName.empty() ? std::string(kDefaultFileName) : state.fileName;
}

std::optional<int> ItemForAdd(View view, int selectedRow, std::string_view selectedCell) {
  const std::optional<ItemKind> kind = KindOf(view);
  if (!kind) return std::nullopt;
  const int item = selectedRow - 1;
  if (!selectedCell.empty() || item < 0 || item >= ItemCount(*kind)) return -1;
  return item;
}

Editor EditorForAdd(View view) {
  const std::optional<ItemKind> kind = KindOf(view);
  return kind ? EditorOf(*kind) : Editor::None;
}

ModifyTarget TargetForModify(const StateGlobals& tables, View view, int selectedRow, int selectedColumn,
                             std::string_view selectedCell) {
  const int item = selectedRow - 1;
  switch (view) {
    case View::Points:
    case View::Flags: {
      if (item < 0 || item >= kPointCount) return {};
      if (selectedColumn == 1) return {Editor::Name, item, {}};
      const std::vector<std::string> headers = HeadersOf(view);
      if (selectedColumn < 0 || selectedColumn >= static_cast<int>(headers.size())) return {};
      const std::string& header = headers[selectedColumn];
      if (header.find("Digital") != std::string::npos) {
        return Open(tables, ItemKind::DigitalEvent, FirstListed(selectedCell, ItemKind::DigitalEvent));
      }
      if (header.find("Timer") != std::string::npos) {
        return Open(tables, ItemKind::Timer, FirstListed(selectedCell, ItemKind::Timer));
      }
      return {};
    }
    case View::Ports:
      if (selectedColumn == 1) {
        return Open(tables, ItemKind::SerialEvent, FirstListed(selectedCell, ItemKind::SerialEvent));
      }
      if (selectedColumn == 2)
        return Open(tables, ItemKind::Message, FirstListed(selectedCell, ItemKind::Message));
      return {};
    default: {
      // Cells here hold names and texts, which may begin with "<" too: the row alone says the item.
      const ItemKind kind = *KindOf(view);
      if (item < 0 || item >= ItemCount(kind)) return {Editor::None, 0, RangeMessage(kind)};
      return {EditorOf(kind), item, {}};
    }
  }
}

bool DeleteItem(StateGlobals& tables, View view, int item) {
  if (item < 0) return false;
  switch (view) {
    case View::Points:
    case View::Flags:
      return ClearName(tables, view, item);
    case View::DigitalEvents:
      if (item >= kUsableDigitalEvents) return false;
      tables.digitalEvents[item].eventState = tables.digitalEvents[item].reactionState = NO_STATE;
      return true;
    case View::Timers:
      if (item >= kTimerCount) return false;
      tables.timers[item].inputState = tables.timers[item].outputState = NO_STATE;
      tables.timers[item].number = 0;
      return true;
    case View::Ports:
      return false;
    case View::Alarms:
      if (item >= kAlarmCount) return false;
      tables.alarms[item] = AlarmRecord{};
      return true;
    case View::Messages:
      if (item >= kEventMessageCount) return false;
      tables.eventMessages[item] = EventMessageRecord{};
      return true;
    case View::SerialEvents:
      if (item >= kSerialEventCount) return false;
      tables.serialEvents[item] = SerialEventRecord{};
      return true;
  }
  return false;
}

std::string NameWindowCaption(View view, int item) {
  return (view == View::Flags ? "Name for Flag " : "Name for Point ") + NumberText(item);
}

}  // namespace kestrio::config
