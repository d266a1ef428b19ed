#include "config/names.h"

#include "config/utf8_text.h"

namespace kestrio::config {

namespace {

NameRecord* Entry(StateGlobals& tables, View view, int pointNum) {
  if (pointNum < 0 || pointNum >= kPointCount) return nullptr;
  if (view == View::Points) return &tables.pointNames[pointNum];
  if (view == View::Flags) return &tables.flagNames[pointNum];
  return nullptr;
}

}  // namespace

bool SavePointName(StateGlobals& tables, View view, std::string_view name, int pointNum) {
  NameRecord* entry = Entry(tables, view, pointNum);
  if (!entry) return false;
  entry->name = name;
  return true;
}

bool ClearName(StateGlobals& tables, View view, int pointNum) {
  return SavePointName(tables, view, "", pointNum);
}

std::string NameOf(const StateGlobals& tables, View view, int pointNum) {
  if (pointNum < 0 || pointNum >= kPointCount) return {};
  if (view == View::Points) return tables.pointNames[pointNum].name;
  if (view == View::Flags) return tables.flagNames[pointNum].name;
  return {};
}

std::string OffPreview(std::string_view typed) { return std::string(typed) + " OFF"; }

NameWindowResult NameWindowOk(StateGlobals& tables, View view, int item, std::string_view typed) {
  if (typed.empty()) return {false, kInvalidName};
  if (CharCount(typed) > kMaxNameLength) return {false, kNameTooLong};
  // Views other than points and flags store nothing, yet the window still closes as before.
  SavePointName(tables, view, typed, item);
  return {true, {}};
}

int RowAfterNameWindow(int selectedRow, int lastRow, bool saved) {
  return saved && selectedRow < lastRow ? selectedRow + 1 : selectedRow;
}

}  // namespace kestrio::config
