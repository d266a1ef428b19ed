#include "ui/memory_map_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "memmap/eeprom_image.h"
#include "memmap/manual_access.h"
#include "protocol/convert.h"
#include "protocol/memory_map.h"
#include "memmap/status_service.h"
#include "ui/job_guard.h"
#include "ui/window_context.h"

namespace kestrio::ui {

namespace {

constexpr char kDefaultMaxBytes[] = "1000";
constexpr char kReadDataHint[] = "Data will appear here, like this: 01 02 03 04";
constexpr char kWriteDataHint[] =
    "Enter data here (in hex, white space will be ignored) like this: 01 02 03 04";
constexpr char kEepromDataHint[] = "Data will appear here";
constexpr char kCountHint[] = "Enter Decimal Number";
constexpr char kCountCalculated[] = "Calculated from Data";
constexpr char kFileFilter[] = "Tag Files (*.tag);;Text Files (*.txt);;All Files (*)";

}  // namespace

FrmMemoryMap::FrmMemoryMap(WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), guard_(new JobGuard(this, context.Engine())) {
  setObjectName("frmMemoryMap");
  setWindowTitle("Memory Map Access");
  setAttribute(Qt::WA_DeleteOnClose);
  BuildWidgets();
  chooseFile_ = [this](const QString& title, bool forSave) {
    const QString start = txtDataFile->text();
    return forSave ? QFileDialog::getSaveFileName(this, title, start, kFileFilter, nullptr,
                                                  QFileDialog::DontConfirmOverwrite)
                   : QFileDialog::getOpenFileName(this, title, start, kFileFilter);
  };
  RequestEngine& engine = context_.Engine();
  connect(&engine, &RequestEngine::busyChanged, this, &FrmMemoryMap::OnBusyChanged);
  OnBusyChanged(engine.Busy());
  optRead->setChecked(true);
  optRead_Click();
  optE2Read->setChecked(true);
  optE2Read_Click();
  SetExpanded(false);
}

void FrmMemoryMap::BuildWidgets() {
  menuBar = new QMenuBar(this);
  mnuFile = menuBar->addMenu("&File");
  mnuOpen = mnuFile->addAction("&Open Data File", this, &FrmMemoryMap::mnuOpen_Click);
  mnuFile->addSeparator();
  mnuSave = mnuFile->addAction("&Save Data File", this, &FrmMemoryMap::mnuSave_Click);
  mnuSaveAs = mnuFile->addAction("&Save Data File As", this, &FrmMemoryMap::mnuSaveAs_Click);

  // MANUAL: direction, address, count, largest block and the button that does it.
  fraManual = new QGroupBox("MANUAL", this);
  fraManual->setObjectName("fraManual");
  optRead = new QRadioButton("Read", fraManual);
  optRead->setObjectName("optRead");
  optWrite = new QRadioButton("Write", fraManual);
  optWrite->setObjectName("optWrite");
  cmbAddress = new QComboBox(fraManual);
  cmbAddress->setObjectName("cmbAddress");
  cmbAddress->setEditable(true);
  // The window opens on the status area's network settings.
  cmbAddress->addItem(QString::fromStdString(memory_map::AddressText(memory_map::kStatus.base + 0x34)));
  cmbAddress->setMinimumContentsLength(14);
  txtNumberofQuadlets = new QLineEdit(fraManual);
  txtNumberofQuadlets->setObjectName("txtNumberofQuadlets");
  txtMaxByte = new QLineEdit(kDefaultMaxBytes, fraManual);
  txtMaxByte->setObjectName("txtMaxByte");
  cmdDoAccess = new QPushButton("Read", fraManual);
  cmdDoAccess->setObjectName("cmdDoAccess");
  cmdDoAccess->setMinimumWidth(90);
  auto* manual = new QGridLayout(fraManual);
  manual->addWidget(optRead, 0, 0);
  manual->addWidget(optWrite, 1, 0);
  manual->addWidget(new QLabel("Memory Map Address:", fraManual), 0, 1);
  manual->addWidget(cmbAddress, 0, 2);
  manual->addWidget(new QLabel("Number of Quadlets:", fraManual), 1, 1);
  manual->addWidget(txtNumberofQuadlets, 1, 2);
  manual->addWidget(new QLabel("Max Bytes to Read:", fraManual), 2, 1);
  manual->addWidget(txtMaxByte, 2, 2);
  manual->addWidget(cmdDoAccess, 0, 3, 3, 1, Qt::AlignVCenter);
  manual->setColumnStretch(2, 1);

  auto* lblData = new QLabel("DATA", this);
  txtData = new QPlainTextEdit(this);
  txtData->setObjectName("txtData");
  txtData->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  txtData->setMinimumHeight(140);
  lblData->setBuddy(txtData);

  // ACTION: the EEPROM image, the data file and the progress line; hidden in the short window.
  fraAction = new QGroupBox("ACTION", this);
  fraAction->setObjectName("fraAction");
  optE2Read = new QRadioButton("Read EEPROM Settings", fraAction);
  optE2Read->setObjectName("optE2Read");
  optE2Write = new QRadioButton("Store Data to EEPROM", fraAction);
  optE2Write->setObjectName("optE2Write");
  txtEEAddress = new QLineEdit(fraAction);
  txtEEAddress->setObjectName("txtEEAddress");
  chkShowAll = new QCheckBox("Show All Read Data", fraAction);
  chkShowAll->setObjectName("chkShowAll");
  cmdDoAuto = new QPushButton("&Read", fraAction);
  cmdDoAuto->setObjectName("cmdDoAuto");
  cmdDoAuto->setMinimumWidth(90);
  txtDataFile = new QLineEdit(fraAction);
  txtDataFile->setObjectName("txtDataFile");
  lblStatus = new QLabel(fraAction);
  lblStatus->setObjectName("lblStatus");
  auto* action = new QGridLayout(fraAction);
  action->addWidget(optE2Read, 0, 0);
  action->addWidget(optE2Write, 1, 0);
  action->addWidget(new QLabel("From:", fraAction), 0, 1);
  action->addWidget(txtEEAddress, 0, 2);
  action->addWidget(chkShowAll, 1, 1, 1, 2);
  action->addWidget(cmdDoAuto, 0, 3, 2, 1, Qt::AlignVCenter);
  action->addWidget(new QLabel("Memory Map Data File:", fraAction), 2, 0);
  action->addWidget(txtDataFile, 2, 1, 1, 3);
  action->addWidget(new QLabel("Status:", fraAction), 3, 0);
  action->addWidget(lblStatus, 3, 1, 1, 3);
  action->setColumnStretch(2, 1);

  cmdMoreLess = new QPushButton("&More", this);
  cmdMoreLess->setObjectName("cmdMoreLess");
  cmdClose = new QPushButton("&Close", this);
  cmdClose->setObjectName("cmdClose");
  auto* buttons = new QHBoxLayout();
  buttons->addWidget(cmdMoreLess);
  buttons->addStretch(1);
  buttons->addWidget(cmdClose);

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menuBar);
  layout->addWidget(fraManual);
  layout->addWidget(lblData);
  layout->addWidget(txtData, 1);
  layout->addWidget(fraAction);
  layout->addLayout(buttons);

  connect(optRead, &QRadioButton::clicked, this, &FrmMemoryMap::optRead_Click);
  connect(optWrite, &QRadioButton::clicked, this, &FrmMemoryMap::optWrite_Click);
  connect(optE2Read, &QRadioButton::clicked, this, &FrmMemoryMap::optE2Read_Click);
  connect(optE2Write, &QRadioButton::clicked, this, &FrmMemoryMap::optE2Write_Click);
  connect(cmdDoAccess, &QPushButton::clicked, this, &FrmMemoryMap::cmdDoAccess_Click);
  connect(cmdDoAuto, &QPushButton::clicked, this, &FrmMemoryMap::cmdDoAuto_Click);
  connect(cmdMoreLess, &QPushButton::clicked, this, &FrmMemoryMap::cmdMoreLess_Click);
  connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
  resize(640, 360);
}

void FrmMemoryMap::Load() {
  guard_->Run([this] {
    Engine& engine = context_.Engine();
    ReadStatusArea(engine, context_.Status());
    kernelRevision_ = FormatDottedHex(context_.Status().kernelRevision);
    setWindowTitle("Memory Map Access for IP:    " + QString::fromStdString(context_.PeerAddress()) +
                   "   Running kernel version: " + QString::fromStdString(kernelRevision_));
    txtEEAddress->setText(QString::fromStdString(EepromProbeAddress()));
    txtEEAddress->setText(QString::fromStdString(ProbeEepromAddress(engine)));
  });
  SetExpanded(false);
}

bool FrmMemoryMap::Expanded() const { return !fraAction->isHidden(); }

void FrmMemoryMap::SetExpanded(bool expanded) {
  fraAction->setVisible(expanded);
  cmdMoreLess->setText(expanded ? "&Less" : "&More");
  // Give the hidden part's height back (or take it) so the window is short when collapsed.
  const int extra = fraAction->sizeHint().height() + layout()->spacing();
  if (isVisible())
    resize(width(), std::max(minimumSizeHint().height(), height() + (expanded ? extra : -extra)));
}

void FrmMemoryMap::cmdMoreLess_Click() { SetExpanded(!Expanded()); }

void FrmMemoryMap::OnBusyChanged(bool busy) {
  cmdDoAccess->setEnabled(!busy);
  cmdDoAuto->setEnabled(!busy);
}

void FrmMemoryMap::optRead_Click() {
  txtData->setPlaceholderText(kReadDataHint);
  txtNumberofQuadlets->setReadOnly(false);
  txtNumberofQuadlets->setPlaceholderText(kCountHint);
  if (txtNumberofQuadlets->text() == kCountCalculated) txtNumberofQuadlets->clear();
  cmdDoAccess->setText("Read");
}

void FrmMemoryMap::optWrite_Click() {
  txtData->setPlaceholderText(kWriteDataHint);
  // The count follows from the data; a typed count would only be overwritten.
  txtNumberofQuadlets->clear();
  txtNumberofQuadlets->setReadOnly(true);
  txtNumberofQuadlets->setPlaceholderText(kCountCalculated);
  cmdDoAccess->setText("Write");
}

void FrmMemoryMap::optE2Read_Click() {
  txtData->setPlaceholderText(kEepromDataHint);
  cmdDoAuto->setText("&Read");
  chkShowAll->setEnabled(true);
}

void FrmMemoryMap::optE2Write_Click() {
  txtData->setEnabled(true);
  cmdDoAuto->setText("&Store");
  // Still decides which text is stored: the data box's (checked) or the whole text kept by the window.
  chkShowAll->setEnabled(false);
}

double FrmMemoryMap::MaxBytes() const { return LeadingNumber(txtMaxByte->text().toStdString()).value_or(0); }

void FrmMemoryMap::SetStatus(const std::string& text) { lblStatus->setText(QString::fromStdString(text)); }

void FrmMemoryMap::cmdDoAccess_Click() {
  guard_->Run([this] {
    ManualAccessInput input;
    input.write = optWrite->isChecked();
    input.count = txtNumberofQuadlets->text().toStdString();
    input.address = cmbAddress->currentText().toStdString();
    input.data = txtData->toPlainText().toStdString();
    input.maxBytes = txtMaxByte->text().toStdString();
    // The data box empties while the transfer runs, as it always has; refused input comes back as typed.
    txtData->clear();
    const ManualAccessResult r = ManualAccess(context_.Engine(), input);
    txtNumberofQuadlets->setText(QString::fromStdString(r.countText));
    txtData->setPlainText(QString::fromStdString(r.refused ? input.data : r.dataText));
  });
}

void FrmMemoryMap::cmdDoAuto_Click() {
  guard_->Run([this] {
    const StatusFn status = [this](const std::string& text) { SetStatus(text); };
    Engine& engine = context_.Engine();
    if (optE2Read->isChecked()) {
      const std::string from = txtEEAddress->text().toStdString();
      const EepromReadResult r = ReadEepromImage(engine, from, MaxBytes(), kernelRevision_, status);
      if (r.ok) {
        wholeText_ = r.text;
        ShowText(EepromReadPreview(from, r.image));
      }
    } else {
      const std::string box = txtData->toPlainText().toStdString();
      // An empty data box stores nothing, whatever the window still keeps.
      std::string text;
      if (!QString::fromStdString(box).trimmed().isEmpty()) text = chkShowAll->isChecked() ? box : wholeText_;
      StoreEepromImage(engine, text, MaxBytes(), status);
    }
    SetStatus("");
  });
}

void FrmMemoryMap::ShowText(const std::string& preview) {
  txtData->setPlainText(QString::fromStdString(chkShowAll->isChecked() ? wholeText_ : preview));
}

bool FrmMemoryMap::ChooseFile(bool forSave) {
  const QString chosen =
      chooseFile_(QString("Select Tag File ") + (forSave ? "to save as" : "to open"), forSave);
  if (chosen.isEmpty()) return false;
  txtDataFile->setText(chosen);
  return true;
}

void FrmMemoryMap::mnuOpen_Click() {
  if (!ChooseFile(false) || txtDataFile->text().isEmpty()) return;
  SetStatus("Loading file...");
  const LoadedDataFile file = LoadDataFile(txtDataFile->text().toStdString());
  SetStatus("");
  if (!file.ok) {
    context_.Ui().Message(file.error);
    return;
  }
  wholeText_ = file.text;
  ShowText(LoadedTextPreview(wholeText_));
}

void FrmMemoryMap::mnuSave_Click() {
  const QString path = txtDataFile->text();
  if (path.isEmpty()) {
    mnuSaveAs_Click();
    return;
  }
  const std::string text = chkShowAll->isChecked() ? txtData->toPlainText().toStdString() : wholeText_;
  SaveDataFile(context_.Ui(), path.toStdString(), text);
}

void FrmMemoryMap::mnuSaveAs_Click() {
  if (ChooseFile(true)) mnuSave_Click();
}

}  // namespace kestrio::ui
