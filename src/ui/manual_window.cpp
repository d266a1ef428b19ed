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
#include "transport/session.h"

namespace kestrio::ui {

FrmManual::FrmManual(Session& session, Outputs outputs, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), outputs_(std::move(outputs)) {
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
  connect(&session_.GetLink(), &Link::busyChanged, this, &FrmManual::UpdateButtons);
  UpdateButtons();
}

void FrmManual::UpdateButtons() {
  const bool busy = session_.GetLink().Busy();
  btnSendString->setEnabled(!autoSending_ && !busy);
  btnScanTime->setEnabled(!autoSending_);
}

void FrmManual::cmdDoCommand_Click() {
  const int index = optCmdGroup->checkedId();
  if (index < 0) return;
  const std::optional<std::string> packet = ExamplePacketFor(index);
  if (packet && outputs_.showPacket) outputs_.showPacket(QString::fromStdString(*packet));
}

void FrmManual::btnSendString_Click() {
  if (running_) return;
  running_ = true;
  const ManualSendResult r = SendManualPacket(session_.Engine(), txtSendString->text().toStdString());
  if (r.sent) ++packetsSent_;
  if (outputs_.showTxRxTime) outputs_.showTxRxTime(QString::fromStdString(r.txRxTime));
  running_ = false;
}

void FrmManual::tmrAutoScanner_Timer() {
  // A tick that finds a transaction still waiting is skipped rather than refused by the engine.
  if (running_ || session_.GetLink().Busy()) return;
  btnSendString_Click();
}

void FrmManual::btnAuto_Click() {
  autoSending_ = !autoSending_;
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
  tmrAutoScanner->setInterval(AskScanTime(session_.Ui(), tmrAutoScanner->interval()));
}

void FrmManual::closeEvent(QCloseEvent* event) {
  // A packet of this window is still waiting inside the engine: the window must outlive it.
  if (running_) {
    event->ignore();
    return;
  }
  tmrAutoScanner->stop();
  autoSending_ = false;
  event->accept();
}

}  // namespace kestrio::ui
