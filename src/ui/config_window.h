#pragma once
// frmStateMain: the event/reaction configuration's hub. One view of the tables at a time in the summary
// grid, Add/Modify/Delete, the text file commands and the save question on close. Every rule and text
// comes from src/config; the editors open through the navigator. Modal, opened by the navigator.
#include <QDialog>
#include <QString>
#include <functional>
#include <string>

#include "config/config_window_rules.h"
#include "config/summaries.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QTableWidget;

namespace kestrio::ui {

class JobGuard;
class WindowContext;

class FrmStateMain : public QDialog {
  Q_OBJECT

 public:
  // Picks a file: `forSave` false to import, true to save; `proposed` is the name offered. Returns ""
  // when the operator cancels. A QFileDialog unless a test puts its own chooser here.
  using FileChooser = std::function<QString(bool forSave, const QString& proposed)>;

  explicit FrmStateMain(WindowContext& context, QWidget* parent = nullptr);

  // Loading: the first view, then the activation.
  void Load();
  // On first show and on every return from an editor: the instructions, the configuration marked
  // unsaved, the view refreshed, Current_Item 0 and the grid focused.
  void Activate();

  config::View CurrentView() const;
  void SetView(config::View view);
  // SAVED_TO_FILE, Current_Item, Current_Option and the remembered file name.
  config::ConfigWindowState& State() { return state_; }
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

  // Save to File; true when the file was written.
  bool SaveToFile();

 public slots:
  void cmdAdd_Click();
  void cmdModify_Click();
  void cmdDelete_Click();
  void mnuImportFile_Click();
  void mnuSaveFile_Click() { SaveToFile(); }
  // Im&port from Brain: after its question, the download window; Save to &Brain: the upload at once.
  void mnuImportBrain_Click();
  void mnuSaveBrain_Click();

 protected:
  // Close, Escape and the title bar's button all come here: the save question first.
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWidgets();
  void BuildMenus();
  void Refresh();
  // The selected cell as the rules count rows: 1 is item 0; 0 when nothing is selected.
  int SelectedRow() const;
  int SelectedColumn() const;
  std::string SelectedCell() const;
  void SelectRow(int row);
  void BlankRow(int row);
  void OpenEditor(config::Editor editor, int item);

  WindowContext& context_;
  JobGuard* guard_;
  config::ConfigWindowState state_;
  config::Summary summary_;  // what the grid shows, as stored (line breaks as CR)
  FileChooser chooseFile_;

 public:
  QMenuBar* menuBar = nullptr;
  QMenu* mnuFile = nullptr;
  QAction* mnuImportFile = nullptr;
  QAction* mnuImportBrain = nullptr;
  QAction* mnuSaveFile = nullptr;
  QAction* mnuSaveBrain = nullptr;
  QMenu* mnuView = nullptr;
  QMenu* mnuHelp = nullptr;
  QComboBox* cmb = nullptr;
  QTableWidget* flxSummaries = nullptr;
  QLabel* lblInstructions = nullptr;
  QPushButton* cmdAdd = nullptr;
  QPushButton* cmdModify = nullptr;
  QPushButton* cmdDelete = nullptr;
  QPushButton* cmdClose = nullptr;
  // Read by the upload only.
  QCheckBox* chkTimerSooner = nullptr;
  QCheckBox* chkName = nullptr;
  QCheckBox* chkTimer = nullptr;
  QCheckBox* chkAlarm = nullptr;
  QCheckBox* chkSerEvent = nullptr;
  QCheckBox* chkMessage = nullptr;
  QCheckBox* chkTransition = nullptr;
};

}  // namespace kestrio::ui
