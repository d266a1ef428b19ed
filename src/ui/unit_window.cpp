#include "ui/unit_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "memmap/atomic_file.h"
#include "ui/window_context.h"
#include "unit/backup.h"
#include "unit/report.h"
#include "unit/restore.h"
#include "unit/verify.h"

namespace kestrio::ui {

namespace {

const char* TitleOf(UnitJob job) {
  switch (job) {
    case UnitJob::Backup:
      return "Back Up Unit";
    case UnitJob::Restore:
      return unit::kRestoreTitle;
    case UnitJob::Report:
      return "Commissioning Report";
  }
  return "";
}

std::string Lines(const std::vector<std::string>& said) {
  std::string out;
  for (const std::string& s : said) out += s + "\n";
  return out;
}

std::string VerifyText(const unit::VerifyResult& v) {
  std::string out;
  for (const unit::UnitDifference& d : v.differences) out += unit::DifferenceText(d) + "\n";
  for (const std::string& part : v.unread) out += "Could not read back: " + part + ".\n";
  if (v.ok()) return out + "The unit matches the backup.\n";
  if (!v.differences.empty())
    out += std::to_string(v.differences.size()) +
           (v.differences.size() == 1 ? " difference.\n" : " differences.\n");
  return out;
}

}  // namespace

UnitChoosers& UnitFileChoosers() {
  static UnitChoosers choosers{
      [](QWidget* parent) { return QFileDialog::getSaveFileName(parent, "Back Up Unit: new folder"); },
      [](QWidget* parent) {
        return QFileDialog::getExistingDirectory(parent, "Restore Unit: backup folder");
      },
      [](QWidget* parent) {
        return QFileDialog::getSaveFileName(parent, "Commissioning Report", {},
                                            "Markdown (*.md);;HTML (*.html)");
      },
  };
  return choosers;
}

FrmUnitJob::FrmUnitJob(WindowContext& context, UnitJob job, QWidget* parent)
    : QDialog(parent), context_(context), job_(job), guard_(this, context.Engine()) {
  setWindowTitle(TitleOf(job));
  auto* layout = new QVBoxLayout(this);
  lblStep_ = new QLabel(this);
  lblStep_->setObjectName("lblStep");
  txtResult_ = new QPlainTextEdit(this);
  txtResult_->setObjectName("txtResult");
  txtResult_->setReadOnly(true);
  auto* cmdClose = new QPushButton("&Close", this);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
  layout->addWidget(lblStep_);
  layout->addWidget(txtResult_);
  layout->addWidget(cmdClose);
  resize(640, 420);
}

bool FrmUnitJob::Start() {
  UnitChoosers& c = UnitFileChoosers();
  const QString path = job_ == UnitJob::Backup    ? c.backupFolder(this)
                       : job_ == UnitJob::Restore ? c.restoreFolder(this)
                                                  : c.reportFile(this);
  if (path.isEmpty()) return false;
  show();
  guard_.Run([&] { Run(path); });
  return true;
}

QString FrmUnitJob::ResultText() const { return txtResult_->toPlainText(); }

void FrmUnitJob::Step(const std::string& step) {
  lblStep_->setText(QString::fromStdString(step + "..."));
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void FrmUnitJob::Show(const std::string& text) {
  lblStep_->setText("Finished.");
  txtResult_->setPlainText(QString::fromStdString(text));
}

void FrmUnitJob::Run(const QString& path) {
  Session& session = context_.UnitSession();
  const std::string where = path.toStdString();
  const unit::UnitProgress progress = [this](const std::string& step) { Step(step); };
  if (!context_.IsConnected()) {
    Show("Not connected: connect to the unit first.\n");
    return;
  }
  switch (job_) {
    case UnitJob::Backup: {
      const unit::BackupResult b = unit::BackupUnit(session, where, progress);
      std::string text = Lines(b.said);
      if (!b.ok) {
        Show(text + b.error + "\n");
        return;
      }
      for (const unit::Gap& g : b.manifest.gaps) text += "Gap: " + g.category + ": " + g.reason + "\n";
      Show(text + "Saved the unit to " + where + ".\n");
      return;
    }
    case UnitJob::Restore: {
      std::string error;
      const auto backup = unit::LoadBackup(where, error);
      if (!backup) {
        Show(error + " Nothing was written.\n");
        return;
      }
      const unit::RestoreResult r = unit::RestoreUnit(session, *backup, progress);
      std::string text = Lines(r.said);
      for (const std::string& s : r.done) text += "Done: " + s + "\n";
      if (r.declined) {
        Show(text + "Nothing was written.\n");
      } else if (!r.ok()) {
        Show(text + unit::RestoreStoppedText(r) + "\n");
      } else {
        Show(text + VerifyText(unit::VerifyUnit(session, *backup, progress)));
      }
      return;
    }
    case UnitJob::Report: {
      const auto format = path.endsWith(".html", Qt::CaseInsensitive) ? unit::ReportFormat::Html
                                                                      : unit::ReportFormat::Markdown;
      const unit::ReportResult r = unit::UnitReport(session, format, progress);
      std::string text = Lines(r.said);
      for (const std::string& part : r.unread) text += "Could not read: " + part + ".\n";
      std::string saveError;
      if (!AtomicSave(where, r.text, saveError)) {
        Show(text + saveError + "\n");
        return;
      }
      Show(text + "Saved the report to " + where + ".\n");
      return;
    }
  }
}

}  // namespace kestrio::ui
