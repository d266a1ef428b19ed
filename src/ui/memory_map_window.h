#pragma once
// frmMemoryMap: raw reads and writes of any memory-map address, and the brain's EEPROM settings image
// copied to a data (tag) file and back. Every rule is in src/memmap; this window reads its controls,
// calls the service and shows the result.
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QAction;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace kestrio::ui {

class JobGuard;
class WindowContext;

class FrmMemoryMap : public QWidget {
  Q_OBJECT

 public:
  // Picks a file: `forSave` false to open, true to save as. Returns "" when the operator cancels.
  // The window uses a QFileDialog unless a test puts its own chooser here.
  using FileChooser = std::function<QString(const QString& title, bool forSave)>;

  explicit FrmMemoryMap(WindowContext& context, QWidget* parent = nullptr);

  // Loading: reads the status area for the kernel revision, sets the caption, probes the EEPROM image
  // address and collapses the window to its short height.
  void Load();

  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
  // The whole text of the last EEPROM read or file load (the data box may show only its beginning).
  const std::string& WholeText() const { return wholeText_; }
  bool Expanded() const;

 public slots:
  void optRead_Click();
  void optWrite_Click();
  void optE2Read_Click();
  void optE2Write_Click();
  void cmdDoAccess_Click();
  void cmdDoAuto_Click();
  void cmdMoreLess_Click();
  void mnuOpen_Click();
  void mnuSave_Click();
  void mnuSaveAs_Click();

 private:
  void BuildWidgets();
  void OnBusyChanged(bool busy);
  void SetExpanded(bool expanded);
  void ShowText(const std::string& preview);
  bool ChooseFile(bool forSave);
  void SetStatus(const std::string& text);
  double MaxBytes() const;

  WindowContext& context_;
  JobGuard* guard_;
  std::string kernelRevision_;
  std::string wholeText_;
  FileChooser chooseFile_;

 public:
  QMenuBar* menuBar = nullptr;
  QMenu* mnuFile = nullptr;
  QAction* mnuOpen = nullptr;
  QAction* mnuSave = nullptr;
  QAction* mnuSaveAs = nullptr;
  QGroupBox* fraManual = nullptr;
  QRadioButton* optRead = nullptr;
  QRadioButton* optWrite = nullptr;
  QComboBox* cmbAddress = nullptr;
  QLineEdit* txtNumberofQuadlets = nullptr;
  QLineEdit* txtMaxByte = nullptr;
  QPushButton* cmdDoAccess = nullptr;
  QPlainTextEdit* txtData = nullptr;
  QGroupBox* fraAction = nullptr;
  QRadioButton* optE2Read = nullptr;
  QRadioButton* optE2Write = nullptr;
  QLineEdit* txtEEAddress = nullptr;
  QCheckBox* chkShowAll = nullptr;
  QPushButton* cmdDoAuto = nullptr;
  QLineEdit* txtDataFile = nullptr;
  QLabel* lblStatus = nullptr;
  QPushButton* cmdMoreLess = nullptr;
  QPushButton* cmdClose = nullptr;
};

}  // namespace kestrio::ui
