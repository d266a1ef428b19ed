#include "ui/serial_event_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/serial_event_rules.h"
#include "ui/editor_widgets.h"

namespace kestrio::ui {

FrmNameSerialEvents::FrmNameSerialEvents(WindowContext& context, int item, QWidget* parent)
    : ItemEditorDialog(context, parent) {
  setObjectName("frmNameSerialEvents");
  setWindowTitle(Q(config::kSerialEventCaption));

  txtPatternString = new QLineEdit(this);
  txtPatternString->setObjectName("txtPatternString");
  txtResultingString = new QLineEdit(this);
  txtResultingString->setObjectName("txtResultingString");
  // Each string and its zero byte fill at most the brain's 40-byte field.
  txtPatternString->setMaxLength(static_cast<int>(config::kMaxSerialStringBytes));
  txtResultingString->setMaxLength(static_cast<int>(config::kMaxSerialStringBytes));
  fraPorts = new PortBoxes(this, Q(config::kSerialPortsFrame));
  flxSerial = new FlagGrid(this, "flxSerial");
  auto* fraFlags = new QGroupBox(Q(config::kSerialFlagsFrame), this);
  (new QVBoxLayout(fraFlags))->addWidget(flxSerial);
  connect(flxSerial->cmdAdd, &QPushButton::clicked, this,
          [this] { AddFlag(*flxSerial, config::kPickerSerial); });

  auto* fraSnmp = new QGroupBox(Q(config::kSnmpFrame), this);
  cmbPriority = new QComboBox(fraSnmp);
  for (const char* entry : config::kPriorities) cmbPriority->addItem(Q(entry));
  txtTrapType = new QLineEdit(fraSnmp);
  txtTrapPeriod = new QLineEdit(fraSnmp);
  auto* snmp = new QGridLayout(fraSnmp);
  snmp->addWidget(new QLabel(Q(config::kPriorityLabel), fraSnmp), 0, 0);
  snmp->addWidget(cmbPriority, 0, 1);
  snmp->addWidget(new QLabel(Q(config::kTrapTypeLabel), fraSnmp), 1, 0);
  snmp->addWidget(txtTrapType, 1, 1);
  snmp->addWidget(new QLabel(Q(config::kSerialTrapPeriodLabel), fraSnmp), 2, 0);
  snmp->addWidget(txtTrapPeriod, 2, 1);

  auto* strings = new QGridLayout();
  strings->addWidget(new QLabel(Q(config::kPatternLabel), this), 0, 0);
  strings->addWidget(txtPatternString, 0, 1);
  strings->addWidget(new QLabel(Q(config::kResultingLabel), this), 1, 0);
  strings->addWidget(txtResultingString, 1, 1);
  auto* right = new QVBoxLayout();
  right->addWidget(fraFlags, 1);
  right->addWidget(fraSnmp);
  auto* middle = new QHBoxLayout();
  middle->addWidget(fraPorts);
  middle->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(strings);
  layout->addLayout(middle, 1);
  layout->addLayout(CommandRow(config::kJumpToSerialEvent));
  NoDefaultButton();

  ShowItem(item);
}

void FrmNameSerialEvents::ShowItem(int item) {
  item_ = item;
  const config::SerialEventForm form = config::LoadSerialEventForm(Tables(), item);
  txtPatternString->setText(Q(form.pattern));
  txtResultingString->setText(Q(form.resulting));
  fraPorts->SetTicked(form.ports);
  flxSerial->SetRows(form.flagRows);
  cmbPriority->setCurrentText(Q(form.priority));
  txtTrapType->setText(Q(form.trapType));
  txtTrapPeriod->setText(Q(form.trapPeriod));
  ShowNumber();
}

bool FrmNameSerialEvents::Save() {
  config::SerialEventForm form;
  form.pattern = txtPatternString->text().toStdString();
  form.resulting = txtResultingString->text().toStdString();
  form.ports = fraPorts->Ticked();
  form.flagRows = flxSerial->Rows();
  form.priority = cmbPriority->currentText().toStdString();
  form.trapType = txtTrapType->text().toStdString();
  form.trapPeriod = txtTrapPeriod->text().toStdString();
  return Stored(config::SaveSerialEvent(Tables(), item_, form));
}

}  // namespace kestrio::ui
