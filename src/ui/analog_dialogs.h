#pragma once
// The two small dialogs of a click on an analog point: frmAnalogOutputDataEntry asks for an analog
// output's new value (checked as a float; the write is the points window's), frmAnalogGainOffset
// starts the offset or gain calibration of an analog input. Both are modal and made for one use.
#include <QDialog>
#include <optional>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrio {
class Engine;
class Prompter;
}  // namespace kestrio

namespace kestrio::ui {

class FrmAnalogOutputDataEntry : public QDialog {
  Q_OBJECT

 public:
  // `range` is the whole label: its design text, a line break and "<from> to <to>".
  FrmAnalogOutputDataEntry(Prompter& ui, const QString& range, QWidget* parent = nullptr);

  // The accepted value's text (the decimal text of the typed number); nullopt until OK succeeded.
  const std::optional<std::string>& Value() const { return value_; }

 public slots:
  void btnOk_Click();
  void btnCancel_Click();

 private:
  Prompter& ui_;
  std::optional<std::string> value_;

 public:
  QLabel* lblRange = nullptr;
  QLineEdit* txtNewValue = nullptr;
  QPushButton* btnOk = nullptr;
  QPushButton* btnCancel = nullptr;
};

class FrmAnalogGainOffset : public QDialog {
  Q_OBJECT

 public:
  // `valueText` is what the point's value box shows now (it goes into the caption).
  FrmAnalogGainOffset(Engine& engine, int point, const QString& valueText, QWidget* parent = nullptr);

 public slots:
  void btnSet_Click();

 private:
  Engine& engine_;
  int point_;

 public:
  QGroupBox* fraAction = nullptr;
  QRadioButton* optOffset = nullptr;
  QRadioButton* optGain = nullptr;
  QPushButton* btnSet = nullptr;
  QPushButton* btnCancel = nullptr;
};

}  // namespace kestrio::ui
