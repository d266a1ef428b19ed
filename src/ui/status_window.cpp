#include "ui/status_window.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "transport/session.h"

namespace kestrio::ui {

namespace {
// The first fields are the page's own; these last ones belong to the "Last Error:" frame.
constexpr std::size_t kLastErrorFields = 4;
}  // namespace

FrmStatus::FrmStatus(Session& session, StatusRecord& record, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), record_(record) {
  setObjectName("frmStatus");
  setWindowTitle("Status");
  setAttribute(Qt::WA_DeleteOnClose);

  auto* pageFields = new QFormLayout();
  fraLastError = new QGroupBox("Last Error:", this);
  fraLastError->setObjectName("fraLastError");
  auto* errorFields = new QFormLayout(fraLastError);

  const auto lines = StatusLines(record_);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const QString label = QString::fromStdString(lines[i].first);
    auto* field = new QLineEdit(this);
    field->setReadOnly(true);
    field->setMinimumWidth(160);
    field->setObjectName("txt" + QString(label).remove(QRegularExpression("[^A-Za-z]")));
    (i + kLastErrorFields < lines.size() ? pageFields : errorFields)->addRow(label, field);
    fields_.emplace_back(label, field);
  }

  fraConfiguration = new QGroupBox("Configuration Information:", this);
  fraConfiguration->setObjectName("fraConfiguration");
  auto* configButtons = new QGridLayout(fraConfiguration);
  cmdClearEvents = new QPushButton("Clear Digital Events", fraConfiguration);
  cmdClearEvents->setObjectName("cmdClearEvents");
  cmdEraseFlash = new QPushButton("Erase Flash", fraConfiguration);
  cmdEraseFlash->setObjectName("cmdEraseFlash");
  cmdStore = new QPushButton("Store to EEPROM", fraConfiguration);
  cmdStore->setObjectName("cmdStore");
  cmdReset = new QPushButton("Reset to Defaults", fraConfiguration);
  cmdReset->setObjectName("cmdReset");
  configButtons->addWidget(cmdClearEvents, 0, 0);
  configButtons->addWidget(cmdEraseFlash, 0, 1);
  configButtons->addWidget(cmdStore, 1, 0);
  configButtons->addWidget(cmdReset, 1, 1);

  fraOther = new QGroupBox("Other Operations:", this);
  fraOther->setObjectName("fraOther");
  auto* otherButtons = new QHBoxLayout(fraOther);
  cmdRestart = new QPushButton("&Restart from Power-up", fraOther);
  cmdRestart->setObjectName("cmdRestart");
  otherButtons->addWidget(cmdRestart);
  otherButtons->addStretch(1);

  cmdClose = new QPushButton("&Close", this);
  cmdClose->setObjectName("cmdClose");

  auto* right = new QVBoxLayout();
  right->addWidget(fraLastError);
  right->addWidget(fraConfiguration);
  right->addWidget(fraOther);
  right->addStretch(1);
  auto* columns = new QHBoxLayout();
  columns->addLayout(pageFields, 1);
  columns->addLayout(right, 1);
  auto* bottom = new QHBoxLayout();
  bottom->addStretch(1);
  bottom->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(bottom);

  connect(cmdClearEvents, &QPushButton::clicked, this, &FrmStatus::cmdClearEvents_Click);
  connect(cmdEraseFlash, &QPushButton::clicked, this, &FrmStatus::cmdEraseFlash_Click);
  connect(cmdStore, &QPushButton::clicked, this, &FrmStatus::cmdStore_Click);
  connect(cmdReset, &QPushButton::clicked, this, &FrmStatus::cmdReset_Click);
  connect(cmdRestart, &QPushButton::clicked, this, &FrmStatus::cmdRestart_Click);
  connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
  Link& link = session_.GetLink();
  connect(&link, &Link::busyChanged, this, &FrmStatus::OnBusyChanged);
  OnBusyChanged(link.Busy());
  Fill();
}

void FrmStatus::Load() {
  ReadStatusArea(session_.Engine(), record_);
  Fill();
}

void FrmStatus::Fill() {
  const auto lines = StatusLines(record_);
  for (std::size_t i = 0; i < lines.size() && i < fields_.size(); ++i) {
    fields_[i].second->setText(QString::fromStdString(lines[i].second));
    fields_[i].second->setCursorPosition(0);
  }
}

QLineEdit* FrmStatus::Field(const QString& label) const {
  for (const auto& [name, field] : fields_)
    if (name == label) return field;
  return nullptr;
}

void FrmStatus::OnBusyChanged(bool busy) {
  for (QPushButton* b : {cmdClearEvents, cmdEraseFlash, cmdStore, cmdReset, cmdRestart}) b->setEnabled(!busy);
}

void FrmStatus::Run(DeviceCommand command) {
  Link& link = session_.GetLink();
  if (running_ || link.Busy()) return;
  running_ = true;
  // The restart goes through the engine's own reconnect, so it is not checked for a connection here.
  ConnectedFn connected;
  if (command != DeviceCommand::RestartFromPowerUp) connected = [&link] { return link.IsConnected(); };
  RunDeviceCommand(session_.Engine(), command, connected);
  running_ = false;
}

void FrmStatus::cmdClearEvents_Click() { Run(DeviceCommand::ClearDigitalEvents); }
void FrmStatus::cmdEraseFlash_Click() { Run(DeviceCommand::EraseFlash); }
void FrmStatus::cmdStore_Click() { Run(DeviceCommand::StoreToEeprom); }
void FrmStatus::cmdReset_Click() { Run(DeviceCommand::ResetToDefaults); }
void FrmStatus::cmdRestart_Click() { Run(DeviceCommand::RestartFromPowerUp); }

void FrmStatus::closeEvent(QCloseEvent* event) {
  // The window's own command is still on the stack, waiting inside the engine: it must outlive it.
  if (running_) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace kestrio::ui
