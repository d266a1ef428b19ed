#pragma once
// frmSNMP: one option page, a list of brain settings described by a page file. The page model
// (options/option_page_model.h) holds the rows and their rules; the options services read and write
// them. This window shows the model in 56 rows of two columns and passes on the operator's edits.
#include <QString>
#include <QWidget>
#include <array>

#include "options/option_page_model.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrio::ui {

class JobGuard;
class WindowContext;

class FrmSNMP : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRows = options::kMaxOptions;

  // Reads the page file; a file that cannot be read leaves the page without options.
  FrmSNMP(WindowContext& context, const QString& pageFile, QWidget* parent = nullptr);

  // Loading ends with every value read from the brain.
  void Load();
  const options::OptionPageModel& Page() const { return page_; }
  const QString& PageFile() const { return pageFile_; }

 public slots:
  void cmdReadAll_Click();
  void Command1_Click();
  void cmdAll_Click();
  void cmdClear_Click();
  void cmdMoreLess_Click();

 private:
  void BuildWidgets();
  void Fill();
  void ShowColumns();
  void OnTick(int row, bool ticked);
  void OnBusyChanged(bool busy);

  WindowContext& context_;
  JobGuard* guard_;
  QString pageFile_;
  options::OptionPageModel page_;

 public:
  std::array<QLabel*, kRows> lblNum{};
  std::array<QLabel*, kRows> OptionLabel{};
  std::array<QLineEdit*, kRows> OptionText{};
  std::array<QCheckBox*, kRows> chkUse{};
  // The extra columns shown by "&View" in place of the label, value and Write box.
  std::array<QComboBox*, kRows> cmbAddress{};
  std::array<QLineEdit*, kRows> txtFormat{};
  std::array<QLineEdit*, kRows> txtAccess{};
  std::array<QLineEdit*, kRows> txtLen{};
  QPushButton* cmdReadAll = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* cmdAll = nullptr;
  QPushButton* cmdClear = nullptr;
  QPushButton* cmdMoreLess = nullptr;
  QPushButton* cmdClose = nullptr;
};

}  // namespace kestrio::ui
