#pragma once
// frmStatus: the brain's status page (revisions, network settings, the last failed transaction) and
// the whole-device commands. Loading reads the status area once; the window is not refreshed after.
#include <QWidget>
#include <vector>

#include "memmap/device_commands.h"
#include "memmap/status_service.h"

class QCloseEvent;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace kestrio {
class Session;
}

namespace kestrio::ui {

class FrmStatus : public QWidget {
  Q_OBJECT

 public:
  // `record` is the session's status record: every read overwrites it.
  FrmStatus(Session& session, StatusRecord& record, QWidget* parent = nullptr);

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

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Fill();
  void Run(DeviceCommand command);
  void OnBusyChanged(bool busy);

  Session& session_;
  StatusRecord& record_;
  bool running_ = false;  // one of our commands waits for its reply
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
