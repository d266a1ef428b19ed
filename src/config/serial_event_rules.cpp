#include "config/serial_event_rules.h"

#include "config/flag_grid.h"
#include "config/item_ranges.h"
#include "config/numbers.h"

namespace kestrio::config {

SerialEventForm LoadSerialEventForm(const StateGlobals& tables, int serialEvent) {
  SerialEventForm form;
  if (serialEvent < 0 || serialEvent >= kSerialEventCount || !IsDefined(tables.serialEvents[serialEvent])) {
    return form;
  }
  const SerialEventRecord& e = tables.serialEvents[serialEvent];
  form.pattern = e.patternString;
  form.resulting = e.resultingString;
  form.ports = PortsOf(e.portMask);
  form.flagRows = FlagRowsOfMasks(tables, e.flagsOn, e.flagsOff);
  form.priority = ListChoice(kPriorities, e.priority);
  form.trapType = e.trapType;
  form.trapPeriod = e.trapPeriod;
  return form;
}

std::optional<std::string> SaveSerialEvent(StateGlobals& tables, int serialEvent,
                                           const SerialEventForm& form) {
  if (serialEvent < 0 || serialEvent >= kSerialEventCount) return RangeMessage(ItemKind::SerialEvent);
  if (form.pattern.empty()) return std::string(kNeedPattern);
  if (!HasAnyFlagRow(form.flagRows)) return std::string(kSerialNeedOneFlag);
  if (!FitsField(form.pattern, kMaxSerialStringBytes) || !FitsField(form.resulting, kMaxSerialStringBytes)) {
    return std::string(kSerialStringTooLong);
  }
  std::string refusal;
  if (!CheckNumericBox(form.trapType, "trap type", kMaxQuadletValue, refusal) ||
      !CheckNumericBox(form.trapPeriod, "trap period", kMaxQuadletValue, refusal)) {
    return refusal;
  }
  const FlagMasks masks = BuildFlagMasks(form.flagRows);
  SerialEventRecord& e = tables.serialEvents[serialEvent];
  e.number = static_cast<std::int16_t>(serialEvent);
  e.patternString = form.pattern;
  e.resultingString = form.resulting;
  e.trapType = form.trapType;
  e.trapPeriod = form.trapPeriod;
  e.portMask = PortMaskOf(form.ports);
  e.flagsOn = masks.on;
  e.flagsOff = masks.off;
  e.priority = form.priority;
  return std::nullopt;
}

}  // namespace kestrio::config
