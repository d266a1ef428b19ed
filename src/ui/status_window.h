#pragma once
// frmStatus: the brain's status page (revisions, network settings, the last failed transaction) and
// the whole-device commands. Loading reads the status area once; the window is not refreshed after.
#include <QWidget>
#include <vector>

#include "memmap/device_commands.h"
#include "memmap/status_service.h"

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace kestrio::ui {

class JobGuard;
class WindowContext;

class FrmStatus : public QWidget {
  Q_OBJECT

 public:
  // Shows the session's status record: every read overwrites it.
  explicit FrmStatus(WindowContext& context, QWidget* parent = nullptr);

  // Reads the status area and fills every field (from the record as it is when the read fails).
  void Load();
  // The field showing `label` ("Power-Up Clear:", ..., "Destination Offset:"), or nullptr.
  QLineEdit* Field(const QString& label) const;

 public slots:
  void cmdClearEvents_Click();
  void cmdEraseFlash_Click();
  void cmdStore_Click();
  void cmdReset_Click();
  void cmdRestart_Click();

 private:
  void Fill();
  void Run(DeviceCommand command);
  void OnBusyChanged(bool busy);

  WindowContext& context_;
  StatusRecord& record_;
  JobGuard* guard_;
  std::vector<std::pair<QString, QLineEdit*>> fields_;

 public:
  QGroupBox* fraLastError = nullptr;
  QGroupBox* fraConfiguration = nullptr;
  QGroupBox* fraOther = nullptr;
  QPushButton* cmdClearEvents = nullptr;
  QPushButton* cmdEraseFlash = nullptr;
  QPushButton* cmdStore = nullptr;
  QPushButton* cmdReset = nullptr;
  QPushButton* cmdRestart = nullptr;
  QPushButton* cmdClose = nullptr;
};

}  // namespace kestrio::ui
