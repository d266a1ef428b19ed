#include "ui/option_page_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "options/option_service.h"
#include "options/option_texts.h"
#include "ui/job_guard.h"
#include "ui/window_context.h"

namespace kestrio::ui {

namespace {

namespace text = options::text;

constexpr int kRowsPerColumn = FrmSNMP::kRows / 2;

options::OptionPageModel LoadPage(const QString& pageFile) {
  auto records = options::ReadOptionPage(QFile::encodeName(pageFile).toStdString());
  return options::OptionPageModel(records ? std::move(*records) : std::vector<options::OptionRecord>{});
}

QLineEdit* ShownText(QWidget* parent, int width) {
  auto* box = new QLineEdit(parent);
  box->setReadOnly(true);
  box->setFixedWidth(width);
  return box;
}

}  // namespace

FrmSNMP::FrmSNMP(WindowContext& context, const QString& pageFile, QWidget* parent)
    : QWidget(parent, Qt::Window),
      context_(context),
      guard_(new JobGuard(this, context.Engine())),
      pageFile_(pageFile),
      page_(LoadPage(pageFile)) {
  setObjectName("frmSNMP");
  setAttribute(Qt::WA_DeleteOnClose);
  BuildWidgets();
  RequestEngine& engine = context_.Engine();
  connect(&engine, &RequestEngine::busyChanged, this, &FrmSNMP::OnBusyChanged);
  OnBusyChanged(engine.Busy());
  Fill();
  ShowColumns();
}

void FrmSNMP::BuildWidgets() {
  auto* rows = new QWidget(this);
  auto* grid = new QGridLayout(rows);
  grid->setVerticalSpacing(2);
  const QColor buttonFace = palette().color(QPalette::Button);
  for (int i = 0; i < kRows; ++i) {
    // Two columns of 28: number, then label/value/Write, or the extra columns in the same cells.
    const int row = i % kRowsPerColumn, col = (i / kRowsPerColumn) * 6;
    const options::OptionRow* r = i < page_.Count() ? &page_.Rows()[static_cast<std::size_t>(i)] : nullptr;
    lblNum[i] = new QLabel(QString::number(i + 1), rows);
    lblNum[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    OptionLabel[i] = new QLabel(r ? QString::fromStdString(r->record.label) : QString(), rows);
    OptionLabel[i]->setMinimumWidth(200);
    OptionText[i] = new QLineEdit(rows);
    OptionText[i]->setMinimumWidth(150);
    chkUse[i] = new QCheckBox(text::kWriteBox, rows);
    cmbAddress[i] = new QComboBox(rows);
    cmbAddress[i]->setMinimumWidth(130);
    txtFormat[i] = ShownText(rows, 70);
    txtAccess[i] = ShownText(rows, 50);
    txtLen[i] = ShownText(rows, 45);
    if (r) {
      txtFormat[i]->setText(QString::fromStdString(r->record.format));
      txtAccess[i]->setText(QString::fromStdString(r->record.access));
      txtLen[i]->setText(QString::fromStdString(r->record.length));
    }
    // A read-only field keeps its value box greyed in the button face and its Write box off.
    const bool writable = r && r->writable;
    OptionText[i]->setEnabled(writable);
    chkUse[i]->setEnabled(writable);
    if (!writable) {
      QPalette face = OptionText[i]->palette();
      face.setColor(QPalette::Base, buttonFace);
      OptionText[i]->setPalette(face);
    }
    const QString n = QString::number(i + 1);
    lblNum[i]->setObjectName("lblNum" + n);
    OptionLabel[i]->setObjectName("OptionLabel" + n);
    OptionText[i]->setObjectName("OptionText" + n);
    chkUse[i]->setObjectName("chkUse" + n);
    cmbAddress[i]->setObjectName("cmbAddress" + n);
    grid->addWidget(lblNum[i], row, col);
    grid->addWidget(OptionLabel[i], row, col + 1);
    grid->addWidget(OptionText[i], row, col + 2);
    grid->addWidget(chkUse[i], row, col + 3);
    grid->addWidget(cmbAddress[i], row, col + 1);
    grid->addWidget(txtFormat[i], row, col + 2);
    grid->addWidget(txtAccess[i], row, col + 3);
    grid->addWidget(txtLen[i], row, col + 4);
    connect(OptionText[i], &QLineEdit::textEdited, this,
            [this, i](const QString& typed) { page_.SetValue(i, typed.toStdString()); });
    connect(chkUse[i], &QCheckBox::clicked, this, [this, i](bool ticked) { OnTick(i, ticked); });
  }
  // Rows keep their height and columns their width; the spare room goes below and to the right.
  grid->setColumnMinimumWidth(5, 24);
  grid->setRowStretch(kRowsPerColumn, 1);
  grid->setColumnStretch(11, 1);
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(rows);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  // Tab stops at the options themselves; the area scrolls to the one that has the focus.
  scroll->setFocusPolicy(Qt::NoFocus);

  auto button = [this](const char* caption, const char* name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    return b;
  };
  cmdReadAll = button(text::kRead, "cmdReadAll");
  Command1 = button(text::kWrite, "Command1");
  cmdAll = button(text::kSelectAll, "cmdAll");
  cmdClear = button(text::kClearAll, "cmdClear");
  cmdMoreLess = button(text::kView, "cmdMoreLess");
  cmdClose = button(text::kClose, "cmdClose");
  auto* buttons = new QHBoxLayout();
  for (QPushButton* b : {cmdReadAll, Command1, cmdAll, cmdClear, cmdMoreLess}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scroll, 1);
  layout->addLayout(buttons);

  connect(cmdReadAll, &QPushButton::clicked, this, &FrmSNMP::cmdReadAll_Click);
  connect(Command1, &QPushButton::clicked, this, &FrmSNMP::Command1_Click);
  connect(cmdAll, &QPushButton::clicked, this, &FrmSNMP::cmdAll_Click);
  connect(cmdClear, &QPushButton::clicked, this, &FrmSNMP::cmdClear_Click);
  connect(cmdMoreLess, &QPushButton::clicked, this, &FrmSNMP::cmdMoreLess_Click);
  connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

void FrmSNMP::Load() { cmdReadAll_Click(); }

void FrmSNMP::Fill() {
  for (int i = 0; i < page_.Count() && i < kRows; ++i) {
    const options::OptionRow& r = page_.Rows()[static_cast<std::size_t>(i)];
    OptionText[i]->setText(QString::fromStdString(r.value));
    OptionText[i]->setCursorPosition(0);
    chkUse[i]->setChecked(r.ticked);
    cmbAddress[i]->clear();
    cmbAddress[i]->addItem(QString::fromStdString(r.addressShown));
  }
}

void FrmSNMP::ShowColumns() {
  const bool more = page_.ShowMore();
  for (int i = 0; i < kRows; ++i) {
    const bool listed = i < page_.Count();
    const bool controls = listed && page_.Rows()[static_cast<std::size_t>(i)].hasControls;
    lblNum[i]->setVisible(listed);
    OptionLabel[i]->setVisible(listed && !more);
    for (QWidget* w : {static_cast<QWidget*>(OptionText[i]), static_cast<QWidget*>(chkUse[i])})
      w->setVisible(controls && !more);
    for (QWidget* w : {static_cast<QWidget*>(cmbAddress[i]), static_cast<QWidget*>(txtFormat[i]),
                       static_cast<QWidget*>(txtAccess[i]), static_cast<QWidget*>(txtLen[i])})
      w->setVisible(controls && more);
  }
  setWindowTitle(page_.Caption());
}

void FrmSNMP::OnTick(int row, bool ticked) {
  page_.SetTicked(row, ticked);
  OptionText[row]->setText(QString::fromStdString(page_.Rows()[static_cast<std::size_t>(row)].value));
}

void FrmSNMP::OnBusyChanged(bool busy) {
  for (QPushButton* b : {cmdReadAll, Command1}) b->setEnabled(!busy);
}

void FrmSNMP::cmdReadAll_Click() {
  guard_->Run([this] {
    options::ReadAll(context_.Engine(), page_);
    Fill();
  });
}

void FrmSNMP::Command1_Click() {
  guard_->Run([this] { options::WriteOptions(context_.Engine(), page_); });
}

void FrmSNMP::cmdAll_Click() {
  page_.SelectAll();
  Fill();
}

void FrmSNMP::cmdClear_Click() {
  page_.ClearAll();
  Fill();
}

void FrmSNMP::cmdMoreLess_Click() {
  page_.ToggleView();
  ShowColumns();
}

}  // namespace kestrio::ui
