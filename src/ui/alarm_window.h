#pragma once
// frmNameAlarms: one alarm event, its deviation, high and low conditions (each ticked or not, with two
// values and the flags it sets ON and OFF), and the address it watches.
#include <array>

#include "ui/item_editor_dialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

namespace kestrio::ui {

class FlagGrid;

class FrmNameAlarms : public ItemEditorDialog {
  Q_OBJECT

 public:
  FrmNameAlarms(WindowContext& context, int item, QWidget* parent = nullptr);

 public slots:
  // A block's boxes, grid and buttons follow its check box.
  void chkAlarm_Click(int block);

 protected:
  config::ItemKind Kind() const override { return config::ItemKind::Alarm; }
  void ShowItem(int item) override;
  bool Save() override;

 public:
  QLabel* lblHelp = nullptr;
  std::array<QGroupBox*, 3> fraAlarm{};
  std::array<QCheckBox*, 3> chkAlarm{};
  std::array<QLineEdit*, 3> txtLimitORMid{};
  std::array<QLineEdit*, 3> txtDeadORDev{};
  std::array<FlagGrid*, 3> flxAlarms{};
  QGroupBox* fraAdvanced = nullptr;
  QLineEdit* txtAddress = nullptr;
  QComboBox* cmbFloat = nullptr;
};

}  // namespace kestrio::ui
