#pragma once
// frmMain: the program's main window. It holds the host field, the step buttons, the message log and
// the menus; it connects through the session and opens every other window through its navigator.
#include <QMainWindow>
#include <functional>
#include <memory>

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

class MainNavigator;
class Navigator;
class WindowContext;

class FrmMain : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kMaxOptionPageEntries = 20;

  explicit FrmMain(Session& session, QWidget* parent = nullptr);
  ~FrmMain() override;

  // Opens the other windows; a test may put its own navigator in place.
  MainNavigator& Windows() { return *navigator_; }
  void SetNavigator(Navigator* navigator);
  WindowContext& Context() { return *context_; }

  // Adds an option-page entry to the Advanced menu, above its fixed entries. Returns nullptr once
  // the menu holds kMaxOptionPageEntries of them.
  QAction* AddOptionPageEntry(const QString& caption, std::function<void()> open);

  bool AutoParsingOn() const { return autoParsingOn_; }
  bool WorkingOffLine() const { return workingOffLine_; }

  // Picks the file "Log to File..." appends to; "" when the operator cancels. A file dialog unless a
  // test puts its own chooser here.
  void SetLogFileChooser(std::function<QString()> chooser) { chooseLogFile_ = std::move(chooser); }

  // Opens the user guide after the help box; the desktop's viewer unless a test puts its own here.
  void SetGuideOpener(std::function<void(const QString&)> open) { openGuide_ = std::move(open); }

  // Sets the title to the demo caption and the host field to the embedded simulator.
  void SetDemoTarget(const QString& host, quint16 port);

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
  void mnuLogToFile_Click();
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
  void ShowStatistics();
  // True when connected; otherwise tells the operator and returns false.
  bool RequireConnection();
  void PushHost();
  Navigator& Nav();

  Prompter& prompter_;
  std::unique_ptr<MainNavigator> navigator_;
  std::unique_ptr<WindowContext> context_;
  Navigator* nav_ = nullptr;  // the navigator in use
  std::function<QString()> chooseLogFile_;
  std::function<void(const QString&)> openGuide_;
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
  QLabel* lblTraffic = nullptr;  // requests, replies, timeouts and failed replies since CONNECT
  QMenu* mnuOptions = nullptr;
  QMenu* mnuAdvanced = nullptr;
  QMenu* mnuHelp = nullptr;
  QAction* mnuViewStatus = nullptr;
  QAction* mnuSetTimeout = nullptr;
  QAction* mnuLogToFile = nullptr;
  QAction* mnuExit = nullptr;
  QAction* mnuOptionPagesEnd = nullptr;  // separator: option-page entries go above it
  QAction* mnuConfigureEvents = nullptr;
  QAction* mnuMemoryMap = nullptr;
  QAction* mnuSendPackets = nullptr;
  QAction* mnuAutoParsing = nullptr;
  QAction* mnuHowToUse = nullptr;
  QAction* mnuAboutKestrio = nullptr;
};

}  // namespace kestrio::ui
