#pragma once
// frmManual ("Manual Mode"): a packet typed as hex digits, sent once or on a timer, and example packets
// of each type shown in the packet decoder window. It needs no connection: the engine reconnects.
#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class QButtonGroup;
class QCloseEvent;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kestrio {
class Session;
}

namespace kestrio::ui {

class FrmManual : public QWidget {
  Q_OBJECT

 public:
  // Where the window's results go in the main window.
  struct Outputs {
    std::function<void(const QString& packet)> showPacket;  // the packet decoder window
    std::function<void(const QString& text)> showTxRxTime;  // the main window's lblTXRXTime
  };

  FrmManual(Session& session, Outputs outputs, QWidget* parent = nullptr);

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

  Session& session_;
  Outputs outputs_;
  bool autoSending_ = false;
  bool running_ = false;  // a packet of ours waits inside the engine
  int packetsSent_ = 0;

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
