#pragma once
// frmNameSerialEvents: one serial event, the pattern the brain watches for on the chosen ports, the
// string it answers with, the flags it sets and its SNMP trap.
#include "ui/item_editor_dialog.h"

class QComboBox;

namespace kestrio::ui {

class FlagGrid;
class PortBoxes;

class FrmNameSerialEvents : public ItemEditorDialog {
  Q_OBJECT

 public:
  FrmNameSerialEvents(WindowContext& context, int item, QWidget* parent = nullptr);

 protected:
  config::ItemKind Kind() const override { return config::ItemKind::SerialEvent; }
  void ShowItem(int item) override;
  bool Save() override;

 public:
  QLineEdit* txtPatternString = nullptr;
  QLineEdit* txtResultingString = nullptr;
  PortBoxes* fraPorts = nullptr;
  FlagGrid* flxSerial = nullptr;
  QComboBox* cmbPriority = nullptr;
  QLineEdit* txtTrapType = nullptr;
  QLineEdit* txtTrapPeriod = nullptr;
};

}  // namespace kestrio::ui
