#pragma once
// The whole-unit jobs of the Options menu: "Back Up Unit...", "Restore Unit..." and "Commissioning
// Report...". One window per job: it asks for the folder or file, shows the step under way while
// the job runs, and then lists the outcome (gaps, steps done and not done, each difference).
#include <QDialog>
#include <QString>
#include <functional>
#include <string>

#include "ui/job_guard.h"

class QLabel;
class QPlainTextEdit;

namespace kestrio::ui {

class WindowContext;

enum class UnitJob { Backup, Restore, Report };

// Where the jobs ask for their folder or file: file dialogs, unless a test puts its own here.
// Each returns "" when the operator cancels.
struct UnitChoosers {
  std::function<QString(QWidget* parent)> backupFolder;   // a new folder to back up into
  std::function<QString(QWidget* parent)> restoreFolder;  // an existing backup folder
  std::function<QString(QWidget* parent)> reportFile;     // ending in .html for HTML, else Markdown
};
UnitChoosers& UnitFileChoosers();

class FrmUnitJob : public QDialog {
 public:
  FrmUnitJob(WindowContext& context, UnitJob job, QWidget* parent = nullptr);
  // Asks for the folder or file and runs the job; false when the operator cancelled the chooser.
  bool Start();
  QString ResultText() const;

 private:
  void Run(const QString& path);
  void Step(const std::string& step);
  void Show(const std::string& text);

  WindowContext& context_;
  UnitJob job_;
  QLabel* lblStep_ = nullptr;
  QPlainTextEdit* txtResult_ = nullptr;
  JobGuard guard_;
};

}  // namespace kestrio::ui
