#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include "core/data_files.h"
#include "core/session.h"
#include "ui/main_rules.h"
#include "ui/navigator.h"
#include "ui/unit_window.h"
#include "ui/option_page_menu.h"
#include "ui/window_context.h"

namespace kestrio::ui {

FrmMain::FrmMain(Session& session, QWidget* parent)
    : QMainWindow(parent), prompter_(session.Ui()), context_(std::make_unique<WindowContext>(session)) {
  setObjectName("frmMain");
  setWindowTitle(kAppTitle);
  navigator_ = std::make_unique<MainNavigator>(this, *context_);
  SetNavigator(navigator_.get());
  BuildWidgets();
  BuildMenus();
  AddOptionPages(*this, session.AdvancedMenu());
  WireSession();
  navigator_->SetTxRxTimeSink([this](const QString& text) { lblTXRXTime->setText(text); });
  // Start-up: the session has read the settings; the host field shows the last host used.
  txtRemoteHost->setText(QString::fromStdString(context_->Host()));
  resize(640, 480);
}

void FrmMain::SetNavigator(Navigator* navigator) {
  nav_ = navigator;
  context_->SetNavigator(*navigator);
}

Navigator& FrmMain::Nav() { return *nav_; }

FrmMain::~FrmMain() = default;

void FrmMain::BuildWidgets() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);

  auto* step1 = new QGroupBox("Step 1", central);
  auto* step1Layout = new QHBoxLayout(step1);
  auto* lblHost = new QLabel("Remote Host/IP address:", step1);
  txtRemoteHost = new QLineEdit(step1);
  txtRemoteHost->setObjectName("txtRemoteHost");
  txtRemoteHost->setToolTip("Remote host name or IP address of the brain (host, or host:port)");
  lblHost->setBuddy(txtRemoteHost);
  cmdConnect = new QPushButton("&CONNECT", step1);
  cmdConnect->setObjectName("cmdConnect");
  step1Layout->addWidget(lblHost);
  step1Layout->addWidget(txtRemoteHost, 1);
  step1Layout->addWidget(cmdConnect);

  auto* steps = new QHBoxLayout();
  auto* step2 = new QGroupBox("Step 2", central);
  auto* step2Layout = new QHBoxLayout(step2);
  cmdConfigure = new QPushButton("CON&FIGURE", step2);
  cmdConfigure->setObjectName("cmdConfigure");
  cmdReadWrite = new QPushButton("&READ/WRITE", step2);
  cmdReadWrite->setObjectName("cmdReadWrite");
  step2Layout->addWidget(cmdConfigure);
  step2Layout->addWidget(cmdReadWrite);
  auto* step3 = new QGroupBox("Step 3", central);
  auto* step3Layout = new QHBoxLayout(step3);
  cmdDisconnect = new QPushButton("&DISCONNECT", step3);
  cmdDisconnect->setObjectName("cmdDisconnect");
  step3Layout->addWidget(cmdDisconnect);
  steps->addWidget(step2, 2);
  steps->addWidget(step3, 1);

  txtMsgBox = new QPlainTextEdit(central);
  txtMsgBox->setObjectName("txtMsgBox");
  txtMsgBox->setReadOnly(true);
  // Keep the caret visible and movable so the operator can click and select in the log.
  txtMsgBox->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  txtMsgBox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  txtMsgBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);

  auto* footer = new QHBoxLayout();
  auto* lblComm = new QLabel("Communication information:", central);
  lblTXRXTime = new QLabel(central);
  lblTXRXTime->setObjectName("lblTXRXTime");
  lblTXRXTime->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lblTraffic = new QLabel(central);
  lblTraffic->setObjectName("lblTraffic");
  footer->addWidget(lblComm);
  footer->addWidget(lblTXRXTime);
  footer->addWidget(lblTraffic, 1);

  layout->addWidget(step1);
  layout->addLayout(steps);
  layout->addWidget(txtMsgBox, 1);
  layout->addLayout(footer);
  setCentralWidget(central);

  connect(cmdConnect, &QPushButton::clicked, this, &FrmMain::cmdConnect_Click);
  connect(cmdConfigure, &QPushButton::clicked, this, &FrmMain::cmdConfigure_Click);
  connect(cmdReadWrite, &QPushButton::clicked, this, &FrmMain::cmdReadWrite_Click);
  connect(cmdDisconnect, &QPushButton::clicked, this, &FrmMain::cmdDisconnect_Click);
  connect(txtRemoteHost, &QLineEdit::returnPressed, this, &FrmMain::cmdConnect_Click);
  connect(txtRemoteHost, &QLineEdit::textChanged, this, &FrmMain::PushHost);
}

void FrmMain::BuildMenus() {
  mnuOptions = menuBar()->addMenu("&Options");
  mnuViewStatus = mnuOptions->addAction("&View Status...", this, &FrmMain::mnuViewStatus_Click);
  mnuSetTimeout = mnuOptions->addAction("Set &Timeout...", this, &FrmMain::mnuSetTimeout_Click);
  mnuLogToFile = mnuOptions->addAction("&Log to File...", this, &FrmMain::mnuLogToFile_Click);
  mnuLogToFile->setCheckable(true);
  // The whole-unit jobs (ui/unit_window.h).
  mnuOptions->addSeparator();
  mnuOptions->addAction("Back Up Unit...", this, [this] { context_->Navigate().OpenUnitJob(UnitJob::Backup); });
  mnuOptions->addAction("Restore Unit...", this, [this] { context_->Navigate().OpenUnitJob(UnitJob::Restore); });
  mnuOptions->addAction("Commissioning Report...", this,
                        [this] { context_->Navigate().OpenUnitJob(UnitJob::Report); });
  mnuOptions->addSeparator();
  mnuExit = mnuOptions->addAction("E&xit", this, &FrmMain::mnuExit_Click);

  mnuAdvanced = menuBar()->addMenu("&Advanced");
  // Option-page entries from the menu file are inserted above this separator.
  mnuOptionPagesEnd = mnuAdvanced->addSeparator();
  mnuOptionPagesEnd->setObjectName("mnuOptionPagesEnd");
  mnuOptionPagesEnd->setVisible(false);
  mnuConfigureEvents =
      mnuAdvanced->addAction("&Configure Events/Timers", this, &FrmMain::mnuConfigureEvents_Click);
  mnuMemoryMap = mnuAdvanced->addAction("&Read/Write Memory Map...", this, &FrmMain::mnuMemoryMap_Click);
  mnuSendPackets = mnuAdvanced->addAction("&Send Packets Manually...", this, &FrmMain::mnuSendPackets_Click);
  mnuAutoParsing = mnuAdvanced->addAction("Auto &Parsing Disabled", this, &FrmMain::mnuAutoParsing_Click);
  mnuAutoParsing->setCheckable(true);
  mnuAutoParsing->setChecked(false);

  mnuHelp = menuBar()->addMenu("&Help");
  mnuHowToUse = mnuHelp->addAction("How To Use Kestrio", this, &FrmMain::mnuHelp_Click);
  mnuAboutKestrio = mnuHelp->addAction("About Kestrio", this, &FrmMain::mnuAbout_Click);
}

void FrmMain::WireSession() {
  MessageLog& log = context_->Log();
  RequestEngine& engine = context_->Engine();
  // A window opened after some logging shows what is already there.
  OnLogReplaced(log.Text());
  connect(&log, &MessageLog::appended, this, &FrmMain::OnLogAppended);
  connect(&log, &MessageLog::replaced, this, &FrmMain::OnLogReplaced);
  connect(txtMsgBox, &QPlainTextEdit::cursorPositionChanged, this, &FrmMain::OnLogCaretMoved);
  connect(txtMsgBox, &QPlainTextEdit::selectionChanged, this, &FrmMain::OnLogSelection);
  connect(&engine, &RequestEngine::beep, this, [] { QApplication::beep(); });
  connect(&engine, &RequestEngine::busyChanged, this, &FrmMain::OnBusyChanged);
  connect(&engine, &RequestEngine::txRxTimeChanged, lblTXRXTime, &QLabel::setText);
  connect(&engine, &RequestEngine::statisticsChanged, this, &FrmMain::ShowStatistics);
  OnBusyChanged(engine.Busy());
  ShowStatistics();
}

// --- Message log view ---

void FrmMain::OnLogAppended(const QString& text) {
  mirroring_ = true;
  QTextCursor cursor(txtMsgBox->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(text);
  mirroring_ = false;
  KeepCaretAtEnd();
}

void FrmMain::OnLogReplaced(const QString& text) {
  mirroring_ = true;
  txtMsgBox->setPlainText(text);
  mirroring_ = false;
  KeepCaretAtEnd();
}

void FrmMain::KeepCaretAtEnd() {
  mirroring_ = true;
  QTextCursor cursor = txtMsgBox->textCursor();
  cursor.movePosition(QTextCursor::End);
  txtMsgBox->setTextCursor(cursor);
  txtMsgBox->ensureCursorVisible();
  mirroring_ = false;
}

void FrmMain::OnLogCaretMoved() {
  // Only the operator's clicks and keys move the model's caret; the model already put it at the end
  // after its own changes.
  if (mirroring_) return;
  context_->Log().SetCaret(txtMsgBox->textCursor().position());
}

void FrmMain::OnLogSelection() {
  if (mirroring_) return;
  // The text edit marks line ends in a selection with the paragraph separator.
  QString selected = txtMsgBox->textCursor().selectedText();
  selected.replace(QChar::ParagraphSeparator, '\n');
  const auto text = SelectionToDecode(autoParsingOn_, selected.toStdString());
  if (text) Nav().ShowPacket(QString::fromStdString(*text));
}

// --- Busy state ---

void FrmMain::OnBusyChanged(bool busy) {
  // While a transaction waits, nothing that would start another one can be pressed.
  for (QWidget* w : {static_cast<QWidget*>(cmdConnect), static_cast<QWidget*>(cmdConfigure),
                     static_cast<QWidget*>(cmdReadWrite)})
    w->setEnabled(!busy);
  for (QAction* a : {mnuViewStatus, mnuConfigureEvents, mnuMemoryMap, mnuSendPackets}) a->setEnabled(!busy);
  for (QAction* a : mnuAdvanced->actions()) {
    if (a == mnuOptionPagesEnd) break;
    a->setEnabled(!busy);
  }
}

// --- Buttons ---

void FrmMain::PushHost() { context_->SetHost(txtRemoteHost->text().toStdString()); }

bool FrmMain::RequireConnection() {
  if (context_->IsConnected()) return true;
  prompter_.Message(kNotConnected);
  return false;
}

void FrmMain::ShowStatistics() {
  const TrafficStats& s = context_->Engine().Statistics();
  lblTraffic->setText(QString("requests %1  replies %2  timeouts %3  failed %4")
                          .arg(s.requests)
                          .arg(s.replies)
                          .arg(s.timeouts)
                          .arg(s.failed));
}

void FrmMain::cmdConnect_Click() {
  if (context_->Engine().Busy()) return;
  context_->Engine().ResetStatistics();
  PushHost();
  context_->Connect(true);
}

void FrmMain::cmdConfigure_Click() {
  Nav().ClosePointsWindow();
  if (RequireConnection()) Nav().OpenPointsWindow(true);
}

void FrmMain::cmdReadWrite_Click() {
  Nav().ClosePointsWindow();
  if (RequireConnection()) Nav().OpenPointsWindow(false);
}

void FrmMain::cmdDisconnect_Click() { context_->Disconnect(); }

// --- Menus ---

void FrmMain::mnuViewStatus_Click() {
  if (RequireConnection()) Nav().OpenStatusWindow();
}

void FrmMain::mnuMemoryMap_Click() {
  if (RequireConnection()) Nav().OpenMemoryMapWindow();
}

void FrmMain::mnuSendPackets_Click() { Nav().OpenManualPackets(); }

void FrmMain::mnuSetTimeout_Click() {
  const int current = context_->TimeoutSeconds();
  const std::optional<std::string> answer =
      prompter_.Input(TimeoutPrompt(current), kTimeoutTitle, std::to_string(current));
  if (!answer) return;
  const TimeoutDecision decision = JudgeTimeoutAnswer(*answer);
  if (!decision.refusal.empty()) {
    prompter_.Message(decision.refusal);
    return;
  }
  if (!decision.value) return;
  context_->SetTimeoutSeconds(*decision.value);
}

void FrmMain::mnuLogToFile_Click() {
  if (!mnuLogToFile->isChecked()) {
    context_->StopLogFile();
    return;
  }
  const QString path =
      chooseLogFile_ ? chooseLogFile_()
                     : QFileDialog::getSaveFileName(this, "Log to File", QString(), "Log Files (*.log);;All Files (*)",
                                                    nullptr, QFileDialog::DontConfirmOverwrite);
  std::string error;
  if (path.isEmpty() || !context_->StartLogFile(path.toStdString(), error)) {
    if (!error.empty()) prompter_.Message(error);
    mnuLogToFile->setChecked(false);
  }
}

void FrmMain::mnuAutoParsing_Click() {
  autoParsingOn_ = !autoParsingOn_;
  mnuAutoParsing->setChecked(autoParsingOn_);
  mnuAutoParsing->setText(QString::fromStdString(AutoParsingCaption(autoParsingOn_)));
  prompter_.Message(AutoParsingMessage(autoParsingOn_), kAutoParsingTitle);
}

void FrmMain::mnuConfigureEvents_Click() {
  workingOffLine_ = false;
  if (context_->IsConnected()) {
    Nav().OpenDownloadWindow();
  } else {
    const std::string host = txtRemoteHost->text().toStdString();
    const Answer connectAnswer = prompter_.Ask(AttemptToConnectQuestion(host), true);
    if (connectAnswer == Answer::Cancel) return;
    if (connectAnswer == Answer::Yes) {
      cmdConnect_Click();
      QCoreApplication::processEvents();
      if (!context_->IsConnected()) prompter_.Message(CouldNotConnectTo(host));
    }
    if (context_->IsConnected()) {
      Nav().OpenDownloadWindow();
    } else {
      const Answer offLine = prompter_.Ask(kWorkOffLineQuestion, true);
      if (offLine == Answer::Cancel) return;
      if (offLine == Answer::Yes) {
        workingOffLine_ = true;
        Nav().OpenConfigurationWindow();
      }
    }
  }
  Nav().ResetEventStates();
}

// The box names the guide's path, so an operator whose desktop cannot open it still finds it.
void FrmMain::mnuHelp_Click() {
  const std::filesystem::path guide = FindUserGuide();
  prompter_.Message(HelpText(guide.string()), kHelpTitle);
  if (guide.empty()) return;
  const QString path = QFile::decodeName(guide.c_str());
  if (openGuide_)
    openGuide_(path);
  else
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void FrmMain::mnuAbout_Click() {
  QMessageBox::about(this, "About Kestrio",
                     QString("<b>Kestrio</b> version %1<br><br>"
                             "Commissioning and test utility for the Tessel Ethernet I/O brain: "
                             "memory-map packets over TCP, rack points, option pages and the "
                             "event/reaction configuration.")
                         .arg(QString::fromStdString(VersionText())));
}

void FrmMain::mnuExit_Click() { close(); }

void FrmMain::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    closing_ = true;
    context_->Disconnect();
    navigator_->CloseAll();
    emit exitRequested();
  }
  event->accept();
}

QAction* FrmMain::AddOptionPageEntry(const QString& caption, std::function<void()> open) {
  if (optionPageEntries_ >= kMaxOptionPageEntries) return nullptr;
  auto* action = new QAction(caption, mnuAdvanced);
  connect(action, &QAction::triggered, this, [open = std::move(open)] {
    if (open) open();
  });
  mnuAdvanced->insertAction(mnuOptionPagesEnd, action);
  mnuOptionPagesEnd->setVisible(true);
  action->setEnabled(!context_->Engine().Busy());
  ++optionPageEntries_;
  return action;
}

void FrmMain::SetDemoTarget(const QString& host, quint16 port) {
  const QString target = QString("%1:%2").arg(host).arg(port);
  setWindowTitle(QString("Kestrio - demo (simulated brain on %1)").arg(target));
  txtRemoteHost->setText(target);
}

}  // namespace kestrio::ui
