#include "ui/brain_progress_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "transfer/transfer_texts.h"
#include "ui/job_guard.h"
#include "ui/window_context.h"

namespace kestrio::ui {

namespace text = transfer::text;

FrmBrainProgress::FrmBrainProgress(WindowContext& context, transfer::DownloadTarget target,
                                   transfer::RackReader readRack, QWidget* parent)
    : QDialog(parent), context_(context), target_(target), readRack_(std::move(readRack)) {
  setWindowTitle(text::kProgressCaption);
  setModal(true);
  guard_ = new JobGuard(this, context_.Engine());

  auto* layout = new QVBoxLayout(this);
  lblSelect = new QLabel(text::kProgressLabel, this);
  layout->addWidget(lblSelect);
  auto* frame = new QGroupBox(this);
  auto* grid = new QGridLayout(frame);
  for (int i = 0; i < transfer::kCategories; ++i) {
    chkCategory[i] = new QCheckBox(transfer::Categories()[i].checkBox, frame);
    grid->addWidget(chkCategory[i], i % 3, i / 3);
  }
  layout->addWidget(frame);
  auto* choices = new QHBoxLayout;
  cmdSelectAll = new QPushButton(text::kSelectAll, this);
  cmdClearAll = new QPushButton(text::kClearAll, this);
  choices->addWidget(cmdSelectAll);
  choices->addWidget(cmdClearAll);
  layout->addLayout(choices);
  prgBrainRead = new QProgressBar(this);
  prgBrainRead->setRange(0, 1);
  prgBrainRead->setValue(0);
  layout->addWidget(prgBrainRead);
  auto* buttons = new QHBoxLayout;
  cmdStart = new QPushButton(text::kStart, this);
  cmdCancel = new QPushButton(text::kCancel, this);
  cmdStart->setDefault(true);
  buttons->addWidget(cmdStart);
  buttons->addWidget(cmdCancel);
  layout->addLayout(buttons);

  connect(cmdSelectAll, &QPushButton::clicked, this, &FrmBrainProgress::cmdSelectAll_Click);
  connect(cmdClearAll, &QPushButton::clicked, this, &FrmBrainProgress::cmdClearAll_Click);
  connect(cmdStart, &QPushButton::clicked, this, &FrmBrainProgress::cmdStart_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &FrmBrainProgress::cmdCancel_Click);
  cmdSelectAll_Click();
}

void FrmBrainProgress::cmdSelectAll_Click() {
  for (QCheckBox* c : chkCategory) c->setChecked(true);
}

void FrmBrainProgress::cmdClearAll_Click() {
  for (QCheckBox* c : chkCategory) c->setChecked(false);
}

transfer::DownloadSelection FrmBrainProgress::Selection() const {
  transfer::DownloadSelection s = transfer::DownloadSelection::None();
  for (int i = 0; i < transfer::kCategories; ++i)
    s.Set(transfer::Categories()[i].category, chkCategory[i]->isChecked());
  return s;
}

void FrmBrainProgress::cmdStart_Click() {
  guard_->Run([this] {
    cmdStart->setEnabled(false);
    transfer::BrainReader reader(context_.Engine(), target_, readRack_, [this](int value, int maximum) {
      prgBrainRead->setRange(0, maximum > 0 ? maximum : 1);
      prgBrainRead->setValue(value);
    });
    result_ = reader.Run(Selection());
    cmdStart->setEnabled(true);
  });
  if (result_ && isVisible()) accept();
}

void FrmBrainProgress::cmdCancel_Click() { reject(); }

void FrmBrainProgress::reject() {
  // A running download stops before its next record; the window closes at once.
  if (guard_->Running()) target_.downloadCancelled = true;
  QDialog::reject();
}

std::optional<transfer::DownloadResult> ImportFromBrain(WindowContext& context,
                                                        transfer::DownloadTarget target,
                                                        transfer::RackReader readRack, QWidget* parent) {
  target.downloadCancelled = false;
  FrmBrainProgress window(context, target, std::move(readRack), parent);
  window.exec();
  target.downloadCancelled = false;
  return window.Result();
}

}  // namespace kestrio::ui
