#pragma once
// frmNameMessages: one event message, its text, the flags that send it, and its serial, e-mail, SNMP
// and stream settings.
#include "ui/item_editor_dialog.h"

class QComboBox;

namespace kestrio::ui {

class FlagGrid;
class PortBoxes;

class FrmNameMessages : public ItemEditorDialog {
  Q_OBJECT

 public:
  FrmNameMessages(WindowContext& context, int item, QWidget* parent = nullptr);

 protected:
  config::ItemKind Kind() const override { return config::ItemKind::Message; }
  void ShowItem(int item) override;
  bool Save() override;

 private:
  // Every numeric box lowered to its maximum, as leaving it does.
  void ClampAll();

 public:
  QLineEdit* txtMessage = nullptr;
  FlagGrid* flxMessages = nullptr;
  QComboBox* cmbPriority = nullptr;
  QComboBox* cmbSerialEnable = nullptr;
  PortBoxes* fraSerial = nullptr;
  QComboBox* cmbEMail = nullptr;
  QLineEdit* txtEmailPeriod = nullptr;
  QComboBox* cmbSNMPEnabled = nullptr;
  QLineEdit* txtTrapType = nullptr;
  QLineEdit* txtTrapPeriod = nullptr;
  QComboBox* cmbPackets = nullptr;
  QLineEdit* txtStreamPeriod = nullptr;
};

}  // namespace kestrio::ui
