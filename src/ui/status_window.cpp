#include "ui/status_window.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "ui/job_guard.h"
#include "ui/window_context.h"

namespace kestrio::ui {

FrmStatus::FrmStatus(WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window),
      context_(context),
      record_(context.Status()),
      guard_(new JobGuard(this, context.Engine())) {
  setObjectName("frmStatus");
  setWindowTitle("Status");
  setAttribute(Qt::WA_DeleteOnClose);

  auto* pageFields = new QFormLayout();
  fraLastError = new QGroupBox("Last Error:", this);
  fraLastError->setObjectName("fraLastError");
  auto* errorFields = new QFormLayout(fraLastError);

  const StatusView view = ShowStatusRecord(record_);
  auto addField = [&](const StatusField& f, QFormLayout* layout) {
    const QString label = QString::fromStdString(f.label);
    auto* field = new QLineEdit(this);
    field->setReadOnly(true);
    field->setMinimumWidth(160);
    field->setObjectName("txt" + QString(label).remove(QRegularExpression("[^A-Za-z]")));
    layout->addRow(label, field);
    fields_.emplace_back(label, field);
  };
  for (const StatusField& f : view.page) addField(f, pageFields);
  for (const StatusField& f : view.lastError) addField(f, errorFields);

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
  RequestEngine& engine = context_.Engine();
  connect(&engine, &RequestEngine::busyChanged, this, &FrmStatus::OnBusyChanged);
  OnBusyChanged(engine.Busy());
  Fill();
}

void FrmStatus::Load() {
  ReadStatusArea(context_.Engine(), record_);
  Fill();
}

void FrmStatus::Fill() {
  const StatusView view = ShowStatusRecord(record_);
  std::size_t i = 0;
  for (const auto* part : {&view.page, &view.lastError}) {
    for (const StatusField& f : *part) {
      if (i >= fields_.size()) return;
      fields_[i].second->setText(QString::fromStdString(f.value));
      fields_[i].second->setCursorPosition(0);
      ++i;
    }
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
  guard_->Run([&] { RunDeviceCommand(context_.Engine(), command); });
}

void FrmStatus::cmdClearEvents_Click() { Run(DeviceCommand::ClearDigitalEvents); }
void FrmStatus::cmdEraseFlash_Click() { Run(DeviceCommand::EraseFlash); }
void FrmStatus::cmdStore_Click() { Run(DeviceCommand::StoreToEeprom); }
void FrmStatus::cmdReset_Click() { Run(DeviceCommand::ResetToDefaults); }
void FrmStatus::cmdRestart_Click() { Run(DeviceCommand::RestartFromPowerUp); }

}  // namespace kestrio::ui
