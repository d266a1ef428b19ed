#include "ui/item_editors.h"

#include <optional>
#include <string>

#include "config/item_ranges.h"
#include "ui/alarm_window.h"
#include "ui/digital_event_window.h"
#include "ui/message_window.h"
#include "ui/serial_event_window.h"
#include "ui/window_context.h"

namespace kestrio::ui {

namespace {

template <typename Editor, typename... Extra>
bool Edit(WindowContext& context, config::ItemKind kind, int item, QWidget* parent, Extra... extra) {
  std::string message;
  const std::optional<int> open = config::ItemToOpen(context.Configuration(), kind, item, message);
  if (!open) {
    context.Ui().Message(message);
    return false;
  }
  Editor editor(context, *open, extra..., parent);
  editor.exec();
  return editor.Changed();
}

}  // namespace

bool EditDigitalEventOrTimer(WindowContext& context, int item, bool timer, QWidget* parent) {
  return Edit<FrmNameTransitions>(context, timer ? config::ItemKind::Timer : config::ItemKind::DigitalEvent,
                                  item, parent, timer, item == -1);
}

bool EditAlarm(WindowContext& context, int item, QWidget* parent) {
  return Edit<FrmNameAlarms>(context, config::ItemKind::Alarm, item, parent);
}

bool EditMessage(WindowContext& context, int item, QWidget* parent) {
  return Edit<FrmNameMessages>(context, config::ItemKind::Message, item, parent);
}

bool EditSerialEvent(WindowContext& context, int item, QWidget* parent) {
  return Edit<FrmNameSerialEvents>(context, config::ItemKind::SerialEvent, item, parent);
}

}  // namespace kestrio::ui
