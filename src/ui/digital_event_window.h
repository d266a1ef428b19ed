#pragma once
// frmNameTransitions: one digital event or timer, its Event ("If...") and Reaction ("Then...") each
// composed in a grid of points and flags or taken from a named set. OK stores both sides as sets and
// points the item at them; renames act on the sets at once.
#include <array>
#include <vector>

#include "config/state_editor_rules.h"
#include "ui/item_editor_dialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QTableWidget;

namespace kestrio::ui {

class FrmNameTransitions : public ItemEditorDialog {
  Q_OBJECT

 public:
  // Opens on item `item` (0..63) of the digital events, or of the timers when `timer`. `newItem`
  // when the number was chosen for the operator (Add): only then may "Timed?" change the kind, and
  // each change numbers the item again in the other table.
  FrmNameTransitions(WindowContext& context, int item, bool timer, bool newItem, QWidget* parent = nullptr);

  bool Timer() const { return timer_; }
  bool Changed() const override { return ItemEditorDialog::Changed() || renamed_; }
  // A side's data rows (the trailing empty row left out).
  std::vector<config::StateGridRow> Rows(int side) const;

 public slots:
  void cmdAdd_Click(int side);
  void cmdDelete_Click(int side);
  void cmdClear_Click(int side);
  void cmdRename_Click(int side);
  void cmbStateTransition_Click(int side);
  void chkTimed_Click(bool checked);

 protected:
  config::ItemKind Kind() const override;
  void ShowItem(int item) override { Load(item, false); }
  bool Save() override;

 private:
  void Load(int item, bool newItem);
  void ShowMode();
  void SetRows(int side, const std::vector<config::StateGridRow>& rows);
  void AppendRow(int side, const config::StateGridRow& row);
  std::optional<int> SelectedSet(int side) const;

  bool timer_ = false;
  bool newItem_ = false;
  bool renamed_ = false;

 public:
  QLabel* lblInstructions = nullptr;
  std::array<QGroupBox*, 2> fraSide{};
  std::array<QComboBox*, 2> cmbStateTransition{};
  std::array<QTableWidget*, 2> flxStates{};
  std::array<QPushButton*, 2> cmdAdd{};
  std::array<QPushButton*, 2> cmdDelete{};
  std::array<QPushButton*, 2> cmdClear{};
  std::array<QPushButton*, 2> cmdRename{};
  QCheckBox* chkTimed = nullptr;
  QGroupBox* fraTimer = nullptr;
  QLineEdit* txtPreset = nullptr;
};

}  // namespace kestrio::ui
