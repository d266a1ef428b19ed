#include "config/item_ranges.h"

#include "config/numbers.h"
#include "protocol/convert.h"

namespace kestrio::config {

int ItemCount(ItemKind kind) {
  switch (kind) {
    case ItemKind::DigitalEvent:
      return kUsableDigitalEvents;
    case ItemKind::Timer:
      return kTimerCount;
    case ItemKind::Alarm:
      return kAlarmCount;
    case ItemKind::Message:
      return kEventMessageCount;
    case ItemKind::SerialEvent:
      return kSerialEventCount;
  }
  return 0;
}

std::string RangeMessage(ItemKind kind) {
  const std::string count = std::to_string(ItemCount(kind));
  const std::string last = std::to_string(ItemCount(kind) - 1);
  switch (kind) {
    case ItemKind::DigitalEvent:
      return "Maximum " + count + " Digital Events (0-" + last + ").";
    case ItemKind::Timer:
      return "Maximum " + count + " Timers (0-" + last + ").";
    // The alarm editor has always spelt it this way.
    case ItemKind::Alarm:
      return "Maximun " + count + " Alarms (0-" + last + ").";
    case ItemKind::Message:
      return "Maximum " + count + " Messages (0-" + last + ").";
    case ItemKind::SerialEvent:
      return "Maximum " + count + " Serial Events (0-" + last + ").";
  }
  return {};
}

bool IsItemUsed(const StateGlobals& tables, ItemKind kind, int item) {
  if (item < 0 || item >= ItemCount(kind)) return false;
  switch (kind) {
    case ItemKind::DigitalEvent:
      return IsNamedSet(tables, tables.digitalEvents[item].eventState);
    case ItemKind::Timer:
      return IsNamedSet(tables, tables.timers[item].inputState);
    case ItemKind::Alarm:
      return IsDefined(tables.alarms[item]);
    case ItemKind::Message:
      return IsDefined(tables.eventMessages[item]);
    case ItemKind::SerialEvent:
      return IsDefined(tables.serialEvents[item]);
  }
  return false;
}

std::optional<int> FirstUnusedItem(const StateGlobals& tables, ItemKind kind) {
  for (int i = 0; i < ItemCount(kind); ++i) {
    if (!IsItemUsed(tables, kind, i)) return i;
  }
  return std::nullopt;
}

std::optional<int> ItemToOpen(const StateGlobals& tables, ItemKind kind, int requested,
                              std::string& message) {
  const std::optional<int> item =
      requested == -1
          ? FirstUnusedItem(tables, kind)
          : (requested >= 0 && requested < ItemCount(kind) ? std::optional<int>(requested) : std::nullopt);
  message = item ? std::string() : RangeMessage(kind);
  return item;
}

std::optional<int> CheckItemNumber(ItemKind kind, std::string_view typed, std::string& message) {
  const std::optional<long long> n = LenientInteger(typed);
  if (!n || *n < 0 || *n >= ItemCount(kind)) {
    message = RangeMessage(kind);
    return std::nullopt;
  }
  message.clear();
  return static_cast<int>(*n);
}

std::string ItemCaption(ItemKind kind, int item) {
  switch (kind) {
    case ItemKind::DigitalEvent:
      return "Digital Event:" + NumberText(item);
    case ItemKind::Timer:
      return "Timer:" + NumberText(item);
    case ItemKind::Alarm:
      return "Alarm:" + NumberText(item);
    case ItemKind::Message:
      return "Event Message:" + NumberText(item);
    case ItemKind::SerialEvent:
      return "Serial Event:" + NumberText(item);
  }
  return {};
}

}  // namespace kestrio::config
