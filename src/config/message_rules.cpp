#include "config/message_rules.h"

#include "config/flag_grid.h"
#include "config/item_ranges.h"
#include "config/numbers.h"
#include "config/utf8_text.h"

namespace kestrio::config {

MessageForm LoadMessageForm(const StateGlobals& tables, int message) {
  MessageForm form;
  if (message < 0 || message >= kEventMessageCount || !IsDefined(tables.eventMessages[message])) return form;
  const EventMessageRecord& m = tables.eventMessages[message];
  form.text = m.messageText;
  form.flagRows = FlagRowsOfMasks(tables, m.flagsOn, m.flagsOff);
  form.priority = ListChoice(kPriorities, m.priority);
  form.serialStatus = ListChoice(kStatuses, m.serialStatus);
  form.emailStatus = ListChoice(kStatuses, m.emailStatus);
  form.snmpStatus = ListChoice(kStatuses, m.snmpStatus);
  form.streamPackets = ListChoice(kStatuses, m.streamPackets);
  form.ports = PortsOf(m.serialPortMask);
  form.emailPeriod = m.emailPeriod;
  form.trapType = m.trapType;
  form.trapPeriod = m.trapPeriod;
  form.streamPeriod = m.streamPeriod;
  return form;
}

std::optional<std::string> SaveMessage(StateGlobals& tables, int message, const MessageForm& form) {
  if (message < 0 || message >= kEventMessageCount) return RangeMessage(ItemKind::Message);
  if (!HasAnyFlagRow(form.flagRows)) return std::string(kNeedOneFlag);
  if (form.text.empty()) return std::string(kNeedMessageText);
  if (!FitsField(form.text, kMaxMessageTextBytes)) return std::string(kMessageTextTooLong);
  const struct {
    const std::string& text;
    const char* what;
    std::uint64_t maximum;
  } boxes[] = {{form.streamPeriod, "stream period", kMaxStreamPeriod},
               {form.emailPeriod, "e-mail period", kMaxEmailPeriod},
               {form.trapType, "trap type", kMaxTrapType},
               {form.trapPeriod, "trap period", kMaxTrapPeriod}};
  std::string refusal;
  for (const auto& box : boxes) {
    if (!CheckNumericBox(box.text, box.what, box.maximum, refusal)) return refusal;
  }
  const FlagMasks masks = BuildFlagMasks(form.flagRows);
  EventMessageRecord& m = tables.eventMessages[message];
  m.name = FirstChars(form.text, kMessageNameLength);
  m.number = static_cast<std::int16_t>(message);
  m.messageText = form.text;
  m.priority = form.priority;
  m.serialStatus = form.serialStatus;
  m.streamPackets = form.streamPackets;
  m.snmpStatus = form.snmpStatus;
  m.emailStatus = form.emailStatus;
  m.serialPortMask = PortMaskOf(form.ports);
  m.trapPeriod = form.trapPeriod;
  m.trapType = form.trapType;
  m.emailPeriod = form.emailPeriod;
  m.streamPeriod = form.streamPeriod;
  m.flagsOn = masks.on;
  m.flagsOff = masks.off;
  return std::nullopt;
}

}  // namespace kestrio::config
