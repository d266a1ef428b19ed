#pragma once
// frmManual ("Manual Mode"): a packet typed as hex digits, sent once or on a timer, and example packets
// of each type shown in the packet decoder window. It needs no connection: the engine reconnects.
#include <QString>
#include <QWidget>
#include <array>

#include "core/scan_registry.h"

class QButtonGroup;
class QCloseEvent;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kestrio::ui {

class JobGuard;
class WindowContext;

class FrmManual : public QWidget {
  Q_OBJECT

 public:
  // Example packets go to the packet decoder window and round-trip times to the main window's
  // footer, through the navigator. Auto Send registers with the scan registry, so a timeout or a lost
  // connection stops it as it stops a scan.
  explicit FrmManual(WindowContext& context, QWidget* parent = nullptr);

  bool AutoSending() const { return autoSending_; }
  // Packets this window handed to the engine (including those sent by the timer).
  int PacketsSent() const { return packetsSent_; }

 public slots:
  void cmdDoCommand_Click();
  void btnSendString_Click();
  void btnAuto_Click();
  void btnScanTime_Click();
  void tmrAutoScanner_Timer();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void UpdateButtons();
  void SetAutoSending(bool on);

  WindowContext& context_;
  JobGuard* guard_;
  bool autoSending_ = false;
  int packetsSent_ = 0;
  ScanRegistry::Registration scan_;

 public:
  QGroupBox* fraCmd = nullptr;
  QButtonGroup* optCmdGroup = nullptr;
  std::array<QRadioButton*, 8> optCmd{};  // by option index; index 4 has no option (nullptr)
  QPushButton* cmdDoCommand = nullptr;
  QLineEdit* txtSendString = nullptr;
  QPushButton* btnSendString = nullptr;
  QPushButton* btnAuto = nullptr;
  QPushButton* btnScanTime = nullptr;
  QTimer* tmrAutoScanner = nullptr;
};

}  // namespace kestrio::ui
