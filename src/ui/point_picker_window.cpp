#include "ui/point_picker_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "config/item_editor_common.h"
#include "config/picker_rules.h"
#include "ui/editor_widgets.h"

namespace kestrio::ui {

FrmAddAPoint::FrmAddAPoint(const config::StateGlobals& tables, std::vector<int> excludedPoints,
                           std::vector<int> excludedFlags, QWidget* parent)
    : QDialog(parent),
      tables_(tables),
      excludedPoints_(std::move(excludedPoints)),
      excludedFlags_(std::move(excludedFlags)) {
  setObjectName("frmAddAPoint");
  setModal(true);
  frmAddPoint = new QGroupBox(this);
  optDigital = new QRadioButton(Q(config::kDigitalPointsOption), frmAddPoint);
  optFlags = new QRadioButton(Q(config::kFlagsOption), frmAddPoint);
  cmbFlags = new QComboBox(frmAddPoint);
  cmbFlags->setMinimumWidth(200);
  cmdOK = new QPushButton(Q(config::kOk), this);
  cmdCancel = new QPushButton(Q(config::kCancel), this);
  cmdOK->setDefault(true);

  auto* options = new QHBoxLayout();
  options->addWidget(optDigital);
  options->addWidget(optFlags);
  auto* frame = new QVBoxLayout(frmAddPoint);
  frame->addLayout(options);
  frame->addWidget(cmbFlags);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frmAddPoint);
  layout->addLayout(buttons);

  connect(optDigital, &QRadioButton::clicked, this, &FrmAddAPoint::optDigital_Click);
  connect(optFlags, &QRadioButton::clicked, this, &FrmAddAPoint::optFlags_Click);
  connect(cmdOK, &QPushButton::clicked, this, &FrmAddAPoint::cmdOK_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

  const bool points = config::PickerOffersPoints(tables_.pickerCaller);
  optDigital->setVisible(points);
  optFlags->setVisible(points);
  optDigital->setChecked(points);
  optFlags->setChecked(!points);
  Fill(points);
}

void FrmAddAPoint::Fill(bool digital) {
  digital_ = digital;
  setWindowTitle(Q(digital ? config::kAddAPointCaption : config::kAddAFlagCaption));
  frmAddPoint->setTitle(Q(digital ? config::kSelectPointFrame : config::kSelectFlagFrame));
  cmbFlags->clear();
  entries_ = config::PickerEntries(tables_, digital, digital ? excludedPoints_ : excludedFlags_);
  for (const config::PickerEntry& e : entries_) cmbFlags->addItem(Q(e.text), e.number);
  cmbFlags->setCurrentIndex(cmbFlags->count() > 0 ? 0 : -1);
}

void FrmAddAPoint::optDigital_Click() { Fill(true); }

void FrmAddAPoint::optFlags_Click() { Fill(false); }

void FrmAddAPoint::cmdOK_Click() {
  // With every point or flag already chosen the list is empty and OK adds nothing.
  const int index = cmbFlags->currentIndex();
  if (index >= 0 && index < static_cast<int>(entries_.size())) {
    const config::PickerEntry& e = entries_[static_cast<std::size_t>(index)];
    choice_ = PickedPoint{digital_, e.number, e.on};
  }
  accept();
}

}  // namespace kestrio::ui
