#pragma once
// frmMain: the program's main window. It holds the host field, the step buttons, the message log
// and the menus, and hands every operation to the session's Link. Other windows plug in through
// MainWindowHooks; the status, memory-map and manual packet hooks open this window's own tool windows
// by default, the rest do nothing until set.
#include <QMainWindow>
#include <QPointer>
#include <functional>

#include "memmap/status_service.h"
#include "protocol/prompter.h"

class QAction;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace kestrio {
class Session;
}

namespace kestrio::ui {

class FrmPacketDecoder;
class FrmStatus;
class FrmMemoryMap;
class FrmManual;

// What the main window opens; a test or main() may point any of them elsewhere.
struct MainWindowHooks {
  std::function<void()> closePointsWindow;
  std::function<void(bool configureMode)> openPointsWindow;  // CONFIGURE (true), READ/WRITE (false)
  std::function<void()> openStatusWindow;                    // View Status..., and the prompter's ShowStatus
  std::function<void()> openMemoryMapWindow;                 // Read/Write Memory Map...
  std::function<void()> openManualPackets;                   // Send Packets Manually...
  std::function<void()> openDownloadWindow;                  // Configure Events/Timers when connected (modal)
  std::function<void()> openConfigurationWindow;             // ... when working off-line (modal)
  // After the configuration windows close: every digital event and timer back to "no state".
  std::function<void()> resetEventStates;
};

class FrmMain : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kMaxOptionPageEntries = 20;

  FrmMain(Session& session, Prompter& prompter, QWidget* parent = nullptr);
  ~FrmMain() override;

  MainWindowHooks& Hooks() { return hooks_; }

  // Adds an option-page entry to the Advanced menu, above its fixed entries. Returns nullptr once
  // the menu holds kMaxOptionPageEntries of them.
  QAction* AddOptionPageEntry(const QString& caption, std::function<void()> open);

  bool AutoParsingOn() const { return autoParsingOn_; }
  bool WorkingOffLine() const { return workingOffLine_; }
  FrmPacketDecoder* PacketDecoder();  // created on first use

  // Sets the title to the demo caption and the host field to the embedded simulator.
  void SetDemoTarget(const QString& host, quint16 port);

  // The tool windows the hooks open by default. An open window is only brought to the front (the
  // status window is not read again); a closed one is created and loaded.
  void OpenStatusWindow();
  void OpenMemoryMapWindow();
  void OpenManualPackets();
  // The open windows, or nullptr.
  FrmStatus* StatusWindow() const;
  FrmMemoryMap* MemoryMapWindow() const;
  FrmManual* ManualWindow() const;
  // The brain's status as last read; every status read overwrites it.
  StatusRecord& Status() { return statusRecord_; }

 signals:
  // The window was closed or Exit chosen: the program ends.
  void exitRequested();

 public slots:
  void cmdConnect_Click();
  void cmdConfigure_Click();
  void cmdReadWrite_Click();
  void cmdDisconnect_Click();
  void mnuViewStatus_Click();
  void mnuSetTimeout_Click();
  void mnuExit_Click();
  void mnuConfigureEvents_Click();
  void mnuMemoryMap_Click();
  void mnuSendPackets_Click();
  void mnuAutoParsing_Click();
  void mnuHelp_Click();
  void mnuAbout_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildWidgets();
  void BuildMenus();
  void WireSession();
  void OnLogAppended(const QString& text);
  void OnLogReplaced(const QString& text);
  void KeepCaretAtEnd();
  void OnLogCaretMoved();
  void OnLogSelection();
  void OnBusyChanged(bool busy);
  // True when connected; otherwise tells the operator and returns false.
  bool RequireConnection();
  void PushHostToLink();
  void Call(const std::function<void()>& hook);

  Session& session_;
  Prompter& prompter_;
  MainWindowHooks hooks_;
  bool autoParsingOn_ = false;
  bool workingOffLine_ = false;
  bool mirroring_ = false;  // the window itself is moving the log's caret
  bool closing_ = false;
  int optionPageEntries_ = 0;

 public:
  // Controls, named as the operator's guide and the tests refer to them.
  QLineEdit* txtRemoteHost = nullptr;
  QPushButton* cmdConnect = nullptr;
  QPushButton* cmdConfigure = nullptr;
  QPushButton* cmdReadWrite = nullptr;
  QPushButton* cmdDisconnect = nullptr;
  QPlainTextEdit* txtMsgBox = nullptr;
  QLabel* lblTXRXTime = nullptr;
  QMenu* mnuOptions = nullptr;
  QMenu* mnuAdvanced = nullptr;
  QMenu* mnuHelp = nullptr;
  QAction* mnuViewStatus = nullptr;
  QAction* mnuSetTimeout = nullptr;
  QAction* mnuExit = nullptr;
  QAction* mnuOptionPagesEnd = nullptr;  // separator: option-page entries go above it
  QAction* mnuConfigureEvents = nullptr;
  QAction* mnuMemoryMap = nullptr;
  QAction* mnuSendPackets = nullptr;
  QAction* mnuAutoParsing = nullptr;
  QAction* mnuHowToUse = nullptr;
  QAction* mnuAboutKestrio = nullptr;

 private:
  FrmPacketDecoder* decoder_ = nullptr;
  StatusRecord statusRecord_;
  QPointer<FrmStatus> status_;
  QPointer<FrmMemoryMap> memoryMap_;
  QPointer<FrmManual> manual_;
};

}  // namespace kestrio::ui
