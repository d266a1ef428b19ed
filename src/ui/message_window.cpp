#include "ui/message_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "config/message_rules.h"
#include "ui/editor_widgets.h"

namespace kestrio::ui {

namespace {

QComboBox* NewList(QWidget* parent, const std::array<const char*, 2>& entries) {
  auto* list = new QComboBox(parent);
  for (const char* entry : entries) list->addItem(Q(entry));
  return list;
}

// A frame of labelled rows; a null label puts the widget alone on its row.
QGroupBox* Frame(QWidget* parent, const char* caption,
                 std::initializer_list<std::pair<const char*, QWidget*>> rows) {
  auto* frame = new QGroupBox(Q(caption), parent);
  auto* layout = new QVBoxLayout(frame);
  for (const auto& [label, widget] : rows) {
    if (label) layout->addWidget(new QLabel(Q(label), frame));
    widget->setParent(frame);
    layout->addWidget(widget);
  }
  return frame;
}

}  // namespace

FrmNameMessages::FrmNameMessages(WindowContext& context, int item, QWidget* parent)
    : ItemEditorDialog(context, parent) {
  setObjectName("frmNameMessages");
  setWindowTitle(Q(config::kMessageCaption));

  txtMessage = new QLineEdit(this);
  txtMessage->setObjectName("txtMessage");
  // The brain's text field holds this much with its zero byte; the save also counts UTF-8 bytes.
  txtMessage->setMaxLength(static_cast<int>(config::kMaxMessageTextBytes));
  flxMessages = new FlagGrid(this, "flxMessages");
  auto* fraFlags = new QGroupBox(Q(config::kSendWhenFrame), this);
  (new QVBoxLayout(fraFlags))->addWidget(flxMessages);

  cmbPriority = NewList(this, config::kPriorities);
  cmbSerialEnable = NewList(this, config::kStatuses);
  cmbEMail = NewList(this, config::kStatuses);
  cmbSNMPEnabled = NewList(this, config::kStatuses);
  cmbPackets = NewList(this, config::kStatuses);
  txtEmailPeriod = new QLineEdit(this);
  txtTrapType = new QLineEdit(this);
  txtTrapPeriod = new QLineEdit(this);
  txtStreamPeriod = new QLineEdit(this);

  fraSerial = new PortBoxes(this, Q(config::kSerialFrame));
  fraSerial->Prepend(cmbSerialEnable);
  QGroupBox* fraEmail =
      Frame(this, config::kEmailFrame, {{nullptr, cmbEMail}, {config::kEmailPeriodLabel, txtEmailPeriod}});
  QGroupBox* fraSnmp = Frame(this, config::kSnmpFrame,
                             {{config::kPriorityLabel, cmbPriority},
                              {nullptr, cmbSNMPEnabled},
                              {config::kTrapTypeLabel, txtTrapType},
                              {config::kTrapPeriodLabel, txtTrapPeriod}});
  QGroupBox* fraStream = Frame(this, config::kStreamingFrame,
                               {{nullptr, cmbPackets}, {config::kStreamPeriodLabel, txtStreamPeriod}});

  FilterNumericKeys(txtStreamPeriod, Ui());
  FilterNumericKeys(txtEmailPeriod, Ui());
  ClampOnLeaving(txtStreamPeriod, config::kMaxStreamPeriod);
  ClampOnLeaving(txtEmailPeriod, config::kMaxEmailPeriod);
  ClampOnLeaving(txtTrapPeriod, config::kMaxTrapPeriod);
  ClampOnLeaving(txtTrapType, config::kMaxTrapType);
  connect(flxMessages->cmdAdd, &QPushButton::clicked, this,
          [this] { AddFlag(*flxMessages, config::kPickerMessage); });

  auto* settings = new QVBoxLayout();
  settings->addWidget(fraEmail);
  settings->addWidget(fraSnmp);
  settings->addWidget(fraStream);
  auto* middle = new QHBoxLayout();
  middle->addWidget(fraFlags, 1);
  middle->addWidget(fraSerial);
  middle->addLayout(settings);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(Q(config::kMessageTextLabel), this));
  layout->addWidget(txtMessage);
  layout->addLayout(middle, 1);
  layout->addLayout(CommandRow(config::kJumpToMessage));
  NoDefaultButton();

  // The settings' boxes were made before their frames: Tab goes down each column, left to right.
  std::vector<QWidget*> order{
      txtMessage,     flxMessages->grid, flxMessages->cmdAdd, flxMessages->cmdDelete, flxMessages->cmdClear,
      cmbSerialEnable};
  order.insert(order.end(), fraSerial->chkPoint.begin(), fraSerial->chkPoint.end());
  order.insert(order.end(),
               {fraSerial->cmdSelectAll, fraSerial->cmdClearAll, cmbEMail, txtEmailPeriod, cmbPriority,
                cmbSNMPEnabled, txtTrapType, txtTrapPeriod, cmbPackets, txtStreamPeriod, txtJumpTo});
  TabInOrder(order);

  ShowItem(item);
}

void FrmNameMessages::ShowItem(int item) {
  item_ = item;
  const config::MessageForm form = config::LoadMessageForm(Tables(), item);
  txtMessage->setText(Q(form.text));
  flxMessages->SetRows(form.flagRows);
  cmbPriority->setCurrentText(Q(form.priority));
  cmbSerialEnable->setCurrentText(Q(form.serialStatus));
  cmbEMail->setCurrentText(Q(form.emailStatus));
  cmbSNMPEnabled->setCurrentText(Q(form.snmpStatus));
  cmbPackets->setCurrentText(Q(form.streamPackets));
  fraSerial->SetTicked(form.ports);
  txtEmailPeriod->setText(Q(form.emailPeriod));
  txtTrapType->setText(Q(form.trapType));
  txtTrapPeriod->setText(Q(form.trapPeriod));
  txtStreamPeriod->setText(Q(form.streamPeriod));
  ShowNumber();
}

void FrmNameMessages::ClampAll() {
  Clamp(txtStreamPeriod, config::kMaxStreamPeriod);
  Clamp(txtEmailPeriod, config::kMaxEmailPeriod);
  Clamp(txtTrapPeriod, config::kMaxTrapPeriod);
  Clamp(txtTrapType, config::kMaxTrapType);
}

bool FrmNameMessages::Save() {
  // OK pressed by key leaves no box first; the box still shows what is stored.
  ClampAll();
  config::MessageForm form;
  form.text = txtMessage->text().toStdString();
  form.flagRows = flxMessages->Rows();
  form.priority = cmbPriority->currentText().toStdString();
  form.serialStatus = cmbSerialEnable->currentText().toStdString();
  form.emailStatus = cmbEMail->currentText().toStdString();
  form.snmpStatus = cmbSNMPEnabled->currentText().toStdString();
  form.streamPackets = cmbPackets->currentText().toStdString();
  form.ports = fraSerial->Ticked();
  form.emailPeriod = txtEmailPeriod->text().toStdString();
  form.trapType = txtTrapType->text().toStdString();
  form.trapPeriod = txtTrapPeriod->text().toStdString();
  form.streamPeriod = txtStreamPeriod->text().toStdString();
  return Stored(config::SaveMessage(Tables(), item_, form));
}

}  // namespace kestrio::ui
