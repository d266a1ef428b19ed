#pragma once
// Widgets the alarm, message and serial event editors share: the flag grid with its three buttons,
// the 32 serial port boxes with "Select All" and "Clear All", and the numeric boxes' key filter and
// clamp. Each only shows what the configuration rules give and hands the rows or ticks back.
#include <QGroupBox>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/item_editor_common.h"
#include "config/state_tables.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kestrio {
class Prompter;
}

namespace kestrio::ui {

inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline QString Q(const char* text) { return QString::fromUtf8(text); }

// One column headed "Flag Name", one row per chosen flag, with "&Add", "&Delete" and "&Clear". Delete
// and Clear are wired here; Add opens the picker, which belongs to the editor.
class FlagGrid : public QWidget {
 public:
  FlagGrid(QWidget* parent, const QString& name);

  void SetRows(const std::vector<std::string>& rows);
  std::vector<std::string> Rows() const;
  void AddRow(const std::string& row);
  // Removes the selected row, also the only one: the save looks for any row naming a flag.
  void DeleteSelectedRow();
  void SetEnabled(bool enabled);

  QTableWidget* grid = nullptr;
  QPushButton* cmdAdd = nullptr;
  QPushButton* cmdDelete = nullptr;
  QPushButton* cmdClear = nullptr;
};

// The 32 port boxes ("Port  0" .. "Port  31") in a frame with "Select All" and "Clear All".
class PortBoxes : public QGroupBox {
 public:
  PortBoxes(QWidget* parent, const QString& frameCaption);

  // Puts `widget` above the boxes (the message editor's serial status).
  void Prepend(QWidget* widget);
  config::Ports Ticked() const;
  void SetTicked(const config::Ports& ports);

  std::array<QCheckBox*, config::kSerialPortCount> chkPoint{};
  QPushButton* cmdSelectAll = nullptr;
  QPushButton* cmdClearAll = nullptr;
};

// Tab visits `widgets` in this order; for a form whose boxes were made before the frames they sit in.
void TabInOrder(const std::vector<QWidget*>& widgets);

// Only digits, Backspace and Enter reach `box`; any other typed character is dropped with a beep and
// "Numeric values only.". Keys that type nothing (arrows, Tab, Delete) pass.
void FilterNumericKeys(QLineEdit* box, Prompter& prompter);

// On leaving `box` (focus or Enter), a value above `maximum` becomes the maximum's digits.
void ClampOnLeaving(QLineEdit* box, std::uint64_t maximum);
void Clamp(QLineEdit* box, std::uint64_t maximum);

}  // namespace kestrio::ui
