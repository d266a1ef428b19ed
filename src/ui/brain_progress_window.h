#pragma once
// frmBrainProgress: "Im&port from Brain" after its confirmation. The operator ticks what to read and
// presses OK; the download runs inside OK's handler with the progress bar advancing per record, and
// Cancel (also while it runs) sets the session's cancel flag and closes the window. The configuration
// window is the caller's to open afterwards; a category that stopped early has been named by then.
#include <QDialog>
#include <array>
#include <optional>

#include "transfer/brain_reader.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace kestrio::ui {

class JobGuard;
class WindowContext;

class FrmBrainProgress : public QDialog {
  Q_OBJECT

 public:
  // `target` is the session's configuration, cancel flag, loaded items and rack; `readRack` reads the
  // rack's point types for the points category (none: names only).
  FrmBrainProgress(WindowContext& context, transfer::DownloadTarget target, transfer::RackReader readRack,
                   QWidget* parent = nullptr);

  // The download's result once OK has run; nullopt when the window was closed without it.
  const std::optional<transfer::DownloadResult>& Result() const { return result_; }

 public slots:
  void cmdSelectAll_Click();
  void cmdClearAll_Click();
  void cmdStart_Click();
  void cmdCancel_Click();
  // Escape and the window's own close are Cancel.
  void reject() override;

 private:
  transfer::DownloadSelection Selection() const;

  WindowContext& context_;
  transfer::DownloadTarget target_;
  transfer::RackReader readRack_;
  JobGuard* guard_;
  std::optional<transfer::DownloadResult> result_;

 public:
  QLabel* lblSelect = nullptr;
  // In the order of transfer::Categories(): points, alarms, digital events, messages, serial, timers.
  std::array<QCheckBox*, transfer::kCategories> chkCategory{};
  QCheckBox*& chkPoints = chkCategory[0];
  QCheckBox*& chkAlarms = chkCategory[1];
  QCheckBox*& chkDigitalEvents = chkCategory[2];
  QCheckBox*& chkMessages = chkCategory[3];
  QCheckBox*& chkSerialEvents = chkCategory[4];
  QCheckBox*& chkTimers = chkCategory[5];
  QPushButton* cmdSelectAll = nullptr;
  QPushButton* cmdClearAll = nullptr;
  QPushButton* cmdStart = nullptr;
  QPushButton* cmdCancel = nullptr;
  QProgressBar* prgBrainRead = nullptr;
};

// Shows the window modally over `parent` with the cancel flag cleared before it opens and after it
// closes, so a Cancel pressed before OK cannot make a later download, upload or rack read stop at
// once. Returns the download's result, or nullopt when the window was closed without OK.
std::optional<transfer::DownloadResult> ImportFromBrain(WindowContext& context,
                                                        transfer::DownloadTarget target,
                                                        transfer::RackReader readRack,
                                                        QWidget* parent = nullptr);

}  // namespace kestrio::ui
