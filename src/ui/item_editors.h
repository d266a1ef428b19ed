#pragma once
// The item editors as plain modal calls, for the configuration window's Add and Modify. `item` is the
// item to edit, or -1 for the first unused one (Add with a filled cell selected). When there is none,
// or the number lies outside the table, the range message is shown and no editor opens. Each call
// returns whether the configuration changed.
class QWidget;

namespace kestrio::ui {

class WindowContext;

// A digital event, or a timer when `timer`; a new one (-1) may change kind with "Timed?".
bool EditDigitalEventOrTimer(WindowContext& context, int item, bool timer, QWidget* parent);
bool EditAlarm(WindowContext& context, int item, QWidget* parent);
bool EditMessage(WindowContext& context, int item, QWidget* parent);
bool EditSerialEvent(WindowContext& context, int item, QWidget* parent);

}  // namespace kestrio::ui
