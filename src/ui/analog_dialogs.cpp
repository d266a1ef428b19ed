#include "ui/analog_dialogs.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "points/point_texts.h"
#include "points/point_write.h"
#include "points/points_service.h"
#include "protocol/prompter.h"

namespace kestrio::ui {

namespace t = points::text;

FrmAnalogOutputDataEntry::FrmAnalogOutputDataEntry(Prompter& ui, const QString& range, QWidget* parent)
    : QDialog(parent), ui_(ui) {
  setObjectName("frmAnalogOutputDataEntry");
  setWindowTitle(t::kEntryCaption);
  setModal(true);
  lblRange = new QLabel(range, this);
  lblRange->setObjectName("lblRange");
  txtNewValue = new QLineEdit(this);
  txtNewValue->setObjectName("txtNewValue");
  btnOk = new QPushButton(t::kEntryOk, this);
  btnOk->setObjectName("btnOk");
  btnOk->setDefault(true);
  btnCancel = new QPushButton(t::kEntryCancel, this);
  btnCancel->setObjectName("btnCancel");

  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(btnOk);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblRange);
  layout->addWidget(txtNewValue);
  layout->addLayout(buttons);

  connect(btnOk, &QPushButton::clicked, this, &FrmAnalogOutputDataEntry::btnOk_Click);
  connect(btnCancel, &QPushButton::clicked, this, &FrmAnalogOutputDataEntry::btnCancel_Click);
}

void FrmAnalogOutputDataEntry::btnOk_Click() {
  // Text without a number is refused here rather than written as 0.
  std::optional<std::string> accepted = points::AcceptAnalogEntry(txtNewValue->text().toStdString());
  if (!accepted) {
    ui_.Message(t::kEntryConversionFailed);
    return;
  }
  value_ = std::move(accepted);
  accept();
}

void FrmAnalogOutputDataEntry::btnCancel_Click() {
  value_.reset();
  reject();
}

FrmAnalogGainOffset::FrmAnalogGainOffset(Engine& engine, int point, const QString& valueText, QWidget* parent)
    : QDialog(parent), engine_(engine), point_(point) {
  setObjectName("frmAnalogGainOffset");
  setWindowTitle(QString::fromStdString(points::GainOffsetCaption(point, valueText.toStdString())));
  setModal(true);
  fraAction = new QGroupBox(t::kGainOffsetFrame, this);
  fraAction->setObjectName("fraAction");
  optOffset = new QRadioButton(t::kOffsetOption, fraAction);
  optOffset->setObjectName("optOffset");
  optGain = new QRadioButton(t::kGainOption, fraAction);
  optGain->setObjectName("optGain");
  // The offset comes first in a calibration, so it is the one offered.
  optOffset->setChecked(true);
  auto* options = new QVBoxLayout(fraAction);
  options->addWidget(optOffset);
  options->addWidget(optGain);
  btnSet = new QPushButton(t::kSetButton, this);
  btnSet->setObjectName("btnSet");
  btnCancel = new QPushButton(t::kCancelButton, this);
  btnCancel->setObjectName("btnCancel");

  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(btnSet);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fraAction);
  layout->addLayout(buttons);

  connect(btnSet, &QPushButton::clicked, this, &FrmAnalogGainOffset::btnSet_Click);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmAnalogGainOffset::btnSet_Click() {
  points::TriggerCalibration(engine_, point_,
                             optGain->isChecked() ? points::Calibration::Gain : points::Calibration::Offset);
  accept();
}

}  // namespace kestrio::ui
