#include "ui/manual_window.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "memmap/manual_packet.h"
#include "ui/job_guard.h"
#include "ui/navigator.h"
#include "ui/window_context.h"

namespace kestrio::ui {

FrmManual::FrmManual(WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), guard_(new JobGuard(this, context.Engine())) {
  setObjectName("frmManual");
  setWindowTitle("Manual Mode");
  setAttribute(Qt::WA_DeleteOnClose);

  fraCmd = new QGroupBox("Select Packet Type", this);
  fraCmd->setObjectName("fraCmd");
  optCmdGroup = new QButtonGroup(this);
  auto* options = new QGridLayout(fraCmd);
  int row = 0;
  for (const ExamplePacket& e : ExamplePackets()) {
    auto* opt = new QRadioButton(e.caption, fraCmd);
    opt->setObjectName(QString("optCmd%1").arg(e.index));
    optCmd[static_cast<std::size_t>(e.index)] = opt;
    optCmdGroup->addButton(opt, e.index);
    // Requests in the first column, responses in the second.
    const bool response = e.index >= 5;
    options->addWidget(opt, response ? row - 4 : row, response ? 1 : 0);
    ++row;
  }
  cmdDoCommand = new QPushButton("Show Selected Type...", fraCmd);
  cmdDoCommand->setObjectName("cmdDoCommand");
  options->addWidget(cmdDoCommand, 3, 1);

  txtSendString = new QLineEdit(this);
  txtSendString->setObjectName("txtSendString");
  txtSendString->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  txtSendString->setMinimumWidth(420);
  btnSendString = new QPushButton("Send String", this);
  btnSendString->setObjectName("btnSendString");
  btnAuto = new QPushButton("&Auto Send", this);
  btnAuto->setObjectName("btnAuto");
  btnScanTime = new QPushButton("&Scan Time...", this);
  btnScanTime->setObjectName("btnScanTime");

  tmrAutoScanner = new QTimer(this);
  tmrAutoScanner->setObjectName("tmrAutoScanner");
  tmrAutoScanner->setInterval(kDefaultScanTime);

  auto* sendRow = new QHBoxLayout();
  sendRow->addWidget(txtSendString, 1);
  sendRow->addWidget(btnSendString);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(btnAuto);
  buttons->addWidget(btnScanTime);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fraCmd);
  layout->addWidget(new QLabel("Packet to send (hex digits):", this));
  layout->addLayout(sendRow);
  layout->addLayout(buttons);

  connect(cmdDoCommand, &QPushButton::clicked, this, &FrmManual::cmdDoCommand_Click);
  connect(btnSendString, &QPushButton::clicked, this, &FrmManual::btnSendString_Click);
  connect(btnAuto, &QPushButton::clicked, this, &FrmManual::btnAuto_Click);
  connect(btnScanTime, &QPushButton::clicked, this, &FrmManual::btnScanTime_Click);
  connect(tmrAutoScanner, &QTimer::timeout, this, &FrmManual::tmrAutoScanner_Timer);
  connect(&context_.Engine(), &RequestEngine::busyChanged, this, &FrmManual::UpdateButtons);
  scan_ = ScanRegistry::Registration(context_.Scans(), {[this] { return autoSending_; },
                                                        [this] { SetAutoSending(false); }});
  UpdateButtons();
}

void FrmManual::UpdateButtons() {
  const bool busy = context_.Engine().Busy();
  btnSendString->setEnabled(!autoSending_ && !busy);
  btnScanTime->setEnabled(!autoSending_);
}

void FrmManual::cmdDoCommand_Click() {
  const int index = optCmdGroup->checkedId();
  if (index < 0) return;
  const std::optional<std::string> packet = ExamplePacketFor(index);
  if (packet) context_.Navigate().ShowPacket(QString::fromStdString(*packet));
}

void FrmManual::btnSendString_Click() {
  guard_->Run([this] {
    const ManualSendResult r = SendManualPacket(context_.Engine(), txtSendString->text().toStdString());
    if (r.sent) ++packetsSent_;
    context_.Navigate().ShowTxRxTime(QString::fromStdString(r.txRxTime));
  });
}

void FrmManual::tmrAutoScanner_Timer() {
  // A tick that finds a transaction still waiting is skipped rather than refused by the engine.
  btnSendString_Click();
}

void FrmManual::btnAuto_Click() { SetAutoSending(!autoSending_); }

void FrmManual::SetAutoSending(bool on) {
  autoSending_ = on;
  if (autoSending_) {
    tmrAutoScanner->start();
    btnAuto->setText("&Manual");
  } else {
    tmrAutoScanner->stop();
    btnAuto->setText("&Auto");
  }
  UpdateButtons();
}

void FrmManual::btnScanTime_Click() {
  tmrAutoScanner->setInterval(AskScanTime(context_.Ui(), tmrAutoScanner->interval()));
}

void FrmManual::closeEvent(QCloseEvent* event) {
  // A closed window sends nothing: its timer ends with it. (While its packet waits, the job guard
  // keeps the window open and this is not reached.)
  if (autoSending_) SetAutoSending(false);
  event->accept();
}

}  // namespace kestrio::ui
