#pragma once
// frmAddAPoint: the small modal window with which an editor adds one point or flag, ON or OFF, to
// its grid. The digital event/timer editor ("State") picks points or flags; the alarm, message and
// serial event editors pick flags. What the caller's grid already holds is not offered.
#include <QDialog>
#include <optional>
#include <vector>

#include "config/picker_rules.h"
#include "config/state_tables.h"

class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace kestrio::ui {

struct PickedPoint {
  bool digital = false;
  int number = 0;
  bool on = true;
};

class FrmAddAPoint : public QDialog {
  Q_OBJECT

 public:
  // Reads the caller from the tables' picker caller. `excludedPoints` and `excludedFlags` are the
  // numbers already in the caller's grid.
  FrmAddAPoint(const config::StateGlobals& tables, std::vector<int> excludedPoints,
               std::vector<int> excludedFlags, QWidget* parent = nullptr);

  // The entry OK took; nullopt after Cancel, or after OK on an empty list (nothing to add).
  const std::optional<PickedPoint>& Choice() const { return choice_; }

 public slots:
  void optDigital_Click();
  void optFlags_Click();
  void cmdOK_Click();

 private:
  void Fill(bool digital);

  const config::StateGlobals& tables_;
  std::vector<int> excludedPoints_;
  std::vector<int> excludedFlags_;
  bool digital_ = false;
  std::vector<config::PickerEntry> entries_;  // the list's entries, in its order
  std::optional<PickedPoint> choice_;

 public:
  QGroupBox* frmAddPoint = nullptr;
  QRadioButton* optDigital = nullptr;
  QRadioButton* optFlags = nullptr;
  QComboBox* cmbFlags = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;
};

}  // namespace kestrio::ui
