#include "ui/alarm_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/alarm_rules.h"
#include "ui/editor_widgets.h"

namespace kestrio::ui {

FrmNameAlarms::FrmNameAlarms(WindowContext& context, int item, QWidget* parent)
    : ItemEditorDialog(context, parent) {
  setObjectName("frmNameAlarms");
  setWindowTitle(Q(config::kAlarmCaption));
  lblHelp = new QLabel(Q(config::kAlarmHelp), this);

  auto* blocks = new QHBoxLayout();
  for (int block = 0; block < 3; ++block) {
    const auto k = static_cast<std::size_t>(block);
    fraAlarm[k] = new QGroupBox(Q(config::kAlarmFrames[k]), this);
    chkAlarm[k] = new QCheckBox(Q(config::kAlarmChecks[k]), fraAlarm[k]);
    txtLimitORMid[k] = new QLineEdit(fraAlarm[k]);
    txtDeadORDev[k] = new QLineEdit(fraAlarm[k]);
    flxAlarms[k] = new FlagGrid(fraAlarm[k], QString("flxAlarms%1").arg(block));
    FilterNumericKeys(txtLimitORMid[k], Ui());
    FilterNumericKeys(txtDeadORDev[k], Ui());
    auto* layout = new QVBoxLayout(fraAlarm[k]);
    layout->addWidget(chkAlarm[k]);
    layout->addWidget(new QLabel(Q(config::kLimitOrMidLabels[k]), fraAlarm[k]));
    layout->addWidget(txtLimitORMid[k]);
    layout->addWidget(new QLabel(Q(config::kDeadOrDevLabels[k]), fraAlarm[k]));
    layout->addWidget(txtDeadORDev[k]);
    layout->addWidget(flxAlarms[k], 1);
    blocks->addWidget(fraAlarm[k]);
    connect(chkAlarm[k], &QCheckBox::toggled, this, [this, block] { chkAlarm_Click(block); });
    connect(flxAlarms[k]->cmdAdd, &QPushButton::clicked, this,
            [this, k] { AddFlag(*flxAlarms[k], config::kPickerAlarm); });
  }

  fraAdvanced = new QGroupBox(Q(config::kAdvancedFrame), this);
  txtAddress = new QLineEdit(fraAdvanced);
  txtAddress->setObjectName("txtAddress");
  cmbFloat = new QComboBox(fraAdvanced);
  auto* advanced = new QGridLayout(fraAdvanced);
  advanced->addWidget(new QLabel(Q(config::kAddressLabel), fraAdvanced), 0, 0);
  advanced->addWidget(txtAddress, 1, 0);
  advanced->addWidget(new QLabel(Q(config::kIsFloatLabel), fraAdvanced), 0, 1);
  advanced->addWidget(cmbFloat, 1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblHelp);
  layout->addLayout(blocks, 1);
  layout->addWidget(fraAdvanced);
  layout->addLayout(CommandRow(config::kJumpToAlarm));
  NoDefaultButton();

  ShowItem(item);
}

void FrmNameAlarms::chkAlarm_Click(int block) {
  const auto k = static_cast<std::size_t>(block);
  const bool on = chkAlarm[k]->isChecked();
  txtLimitORMid[k]->setEnabled(on);
  txtDeadORDev[k]->setEnabled(on);
  flxAlarms[k]->SetEnabled(on);
}

void FrmNameAlarms::ShowItem(int item) {
  item_ = item;
  const config::AlarmForm form = config::LoadAlarmForm(Tables(), item);
  for (std::size_t k = 0; k < 3; ++k) {
    const config::AlarmBlock& block = form.blocks[k];
    chkAlarm[k]->setChecked(block.enabled);
    chkAlarm_Click(static_cast<int>(k));
    txtLimitORMid[k]->setText(Q(block.limitOrMid));
    txtDeadORDev[k]->setText(Q(block.deadOrDev));
    flxAlarms[k]->SetRows(block.flagRows);
  }
  txtAddress->setText(Q(form.address));
  // An imported answer that is not in the list is shown, and kept, as stored.
  cmbFloat->clear();
  for (const char* choice : config::kIsFloatChoices) cmbFloat->addItem(Q(choice));
  if (cmbFloat->findText(Q(form.isFloat)) < 0) cmbFloat->addItem(Q(form.isFloat));
  cmbFloat->setCurrentText(Q(form.isFloat));
  ShowNumber();
}

bool FrmNameAlarms::Save() {
  config::AlarmForm form;
  for (std::size_t k = 0; k < 3; ++k) {
    form.blocks[k] = {chkAlarm[k]->isChecked(), txtLimitORMid[k]->text().toStdString(),
                      txtDeadORDev[k]->text().toStdString(), flxAlarms[k]->Rows()};
  }
  form.address = txtAddress->text().toStdString();
  form.isFloat = cmbFloat->currentText().toStdString();
  return Stored(config::SaveAlarm(Tables(), item_, form));
}

}  // namespace kestrio::ui
