#pragma once
// The numbered kinds the editors open, their table sizes, which item is unused, and the check of a
// typed item number (the jump boxes). An editor never works on item -1 or past its table.
#include <optional>
#include <string>
#include <string_view>

#include "config/state_tables.h"

namespace kestrio::config {

enum class ItemKind { DigitalEvent, Timer, Alarm, Message, SerialEvent };

// Usable items: 64, 64, 64, 128, 32.
int ItemCount(ItemKind kind);

// "Maximum 64 Digital Events (0-63).", "Maximum 64 Timers (0-63).", "Maximun 64 Alarms (0-63).",
// "Maximum 128 Messages (0-127).", "Maximum 32 Serial Events (0-31)."
std::string RangeMessage(ItemKind kind);

// Whether item i (in range) is taken: a digital event or timer whose Event/input set is named, an
// alarm with a deviation status, a message with a name, a serial event with a pattern.
bool IsItemUsed(const StateGlobals& tables, ItemKind kind, int item);

// The lowest unused item, searched over the usable range only; nullopt when every item is used
// (the editor then shows RangeMessage).
std::optional<int> FirstUnusedItem(const StateGlobals& tables, ItemKind kind);

// The item an editor opens when asked for `requested`: that item when it lies in the table, the
// first unused one for -1 (Add with a filled cell selected). nullopt with `message` = RangeMessage
// when the table is full or the number lies outside it, and then no editor opens.
std::optional<int> ItemToOpen(const StateGlobals& tables, ItemKind kind, int requested, std::string& message);

// A typed item number: its leading number rounded, text without a number meaning 0. Negative
// numbers and numbers past the table give nullopt and `message` = RangeMessage.
std::optional<int> CheckItemNumber(ItemKind kind, std::string_view typed, std::string& message);

// The editor's caption: "Digital Event:", "Timer:", "Alarm:", "Event Message:" or "Serial Event:"
// followed by the blank-led number (" 5").
std::string ItemCaption(ItemKind kind, int item);

}  // namespace kestrio::config
