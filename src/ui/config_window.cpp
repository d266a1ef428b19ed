#include "ui/config_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "config/config_file.h"
#include "config/names.h"
#include "memmap/atomic_file.h"
#include "transfer/loaded_items.h"
#include "transfer/upload.h"
#include "ui/brain_progress_window.h"
#include "ui/job_guard.h"
#include "ui/navigator.h"
#include "ui/window_context.h"

namespace kestrio::ui {

namespace {

using config::View;

// Texts keep CR LF (and the lists of sets a CR after each entry); a Qt widget breaks lines at LF. The
// break that ends a cell's last line is dropped so the row is as tall as its lines.
QString Shown(std::string_view text) {
  QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  shown.replace("\r\n", "\n").replace('\r', '\n');
  if (shown.endsWith('\n')) shown.chop(1);
  return shown;
}

// "Description|pattern|Description|pattern|" as the file dialogs take it: the descriptions, which
// carry their patterns in brackets.
QString DialogFilter(std::string_view filter) {
  QStringList descriptions;
  const QStringList fields =
      QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split('|');
  for (qsizetype i = 0; i < fields.size(); i += 2) {
    if (!fields[i].trimmed().isEmpty()) descriptions << fields[i].trimmed();
  }
  return descriptions.join(";;");
}

QCheckBox* CheckBox(const char* caption, const char* name, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  box->setChecked(true);
  return box;
}

}  // namespace

FrmStateMain::FrmStateMain(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context), guard_(new JobGuard(this, context.Engine())) {
  setObjectName("frmStateMain");
  setWindowTitle(config::kConfigWindowCaption);
  setModal(true);
  BuildWidgets();
  BuildMenus();
  chooseFile_ = [this](bool forSave, const QString& proposed) {
    // Choosing a file to save to is the answer: it is replaced without a second question.
    if (forSave)
      return QFileDialog::getSaveFileName(this, QString(), proposed, DialogFilter(config::kSaveFilter),
                                          nullptr, QFileDialog::DontConfirmOverwrite);
    const QString filters = DialogFilter(config::kImportFilter);
    QString selected = filters.section(";;", 1, 1);  // the text files
    return QFileDialog::getOpenFileName(this, QString(), proposed, filters, &selected);
  };
  resize(900, 600);
}

void FrmStateMain::BuildWidgets() {
  auto* layout = new QVBoxLayout(this);
  menuBar = new QMenuBar(this);
  layout->setMenuBar(menuBar);

  auto* top = new QHBoxLayout();
  cmb = new QComboBox(this);
  cmb->setObjectName("cmb");
  for (int v = 0; v < config::kViewCount; ++v) {
    const std::string_view title = config::LayoutOf(static_cast<View>(v)).title;
    cmb->addItem(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())), v);
  }
  lblInstructions = new QLabel(this);
  lblInstructions->setObjectName("lblInstructions");
  lblInstructions->setWordWrap(true);
  top->addWidget(cmb);
  top->addWidget(lblInstructions, 1);

  auto* lblSummary = new QLabel(config::kSummaryLabel, this);
  flxSummaries = new QTableWidget(this);
  flxSummaries->setObjectName("flxSummaries");
  flxSummaries->setToolTip(config::kSummaryToolTip);
  flxSummaries->setEditTriggers(QAbstractItemView::NoEditTriggers);
  flxSummaries->setSelectionMode(QAbstractItemView::SingleSelection);
  flxSummaries->verticalHeader()->hide();
  flxSummaries->installEventFilter(this);

  auto* buttons = new QHBoxLayout();
  cmdAdd = new QPushButton(config::kAddCaption, this);
  cmdAdd->setObjectName("cmdAdd");
  cmdModify = new QPushButton(this);
  cmdModify->setObjectName("cmdModify");
  cmdDelete = new QPushButton(this);
  cmdDelete->setObjectName("cmdDelete");
  cmdClose = new QPushButton(config::kCloseCaption, this);
  cmdClose->setObjectName("cmdClose");
  for (QPushButton* b : {cmdAdd, cmdModify, cmdDelete, cmdClose}) {
    // Enter belongs to the grid (it runs Modify), never to whichever button a dialog would default to.
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  buttons->addStretch(1);

  auto* fraChecks = new QGroupBox(config::kChecksLabel, this);
  auto* checks = new QVBoxLayout(fraChecks);
  checks->addWidget(new QLabel(config::kChecksNote, fraChecks));
  auto* boxes = new QHBoxLayout();
  chkTimerSooner = CheckBox(config::kChkTimerSooner, "chkTimerSooner", fraChecks);
  chkName = CheckBox(config::kChkName, "chkName", fraChecks);
  chkTimer = CheckBox(config::kChkTimer, "chkTimer", fraChecks);
  chkAlarm = CheckBox(config::kChkAlarm, "chkAlarm", fraChecks);
  chkSerEvent = CheckBox(config::kChkSerEvent, "chkSerEvent", fraChecks);
  chkMessage = CheckBox(config::kChkMessage, "chkMessage", fraChecks);
  chkTransition = CheckBox(config::kChkTransition, "chkTransition", fraChecks);
  for (QCheckBox* c : {chkTimerSooner, chkName, chkTimer, chkAlarm, chkSerEvent, chkMessage, chkTransition})
    boxes->addWidget(c);
  checks->addLayout(boxes);

  layout->addLayout(top);
  layout->addWidget(lblSummary);
  layout->addWidget(flxSummaries, 1);
  layout->addLayout(buttons);
  layout->addWidget(fraChecks);

  connect(cmb, &QComboBox::currentIndexChanged, this, &FrmStateMain::Refresh);
  connect(flxSummaries, &QTableWidget::cellDoubleClicked, this, &FrmStateMain::cmdModify_Click);
  connect(cmdAdd, &QPushButton::clicked, this, &FrmStateMain::cmdAdd_Click);
  connect(cmdModify, &QPushButton::clicked, this, &FrmStateMain::cmdModify_Click);
  connect(cmdDelete, &QPushButton::clicked, this, &FrmStateMain::cmdDelete_Click);
  connect(cmdClose, &QPushButton::clicked, this, &FrmStateMain::reject);
}

void FrmStateMain::BuildMenus() {
  mnuFile = menuBar->addMenu(config::kFileMenu);
  mnuImportFile = mnuFile->addAction(config::kImportFromFile, this, &FrmStateMain::mnuImportFile_Click);
  mnuImportBrain = mnuFile->addAction(config::kImportFromBrain, this, &FrmStateMain::mnuImportBrain_Click);
  mnuSaveFile = mnuFile->addAction(config::kSaveToFile, this, &FrmStateMain::mnuSaveFile_Click);
  mnuSaveBrain = mnuFile->addAction(config::kSaveToBrain, this, &FrmStateMain::mnuSaveBrain_Click);
  // The transfer to and from the brain enables these when it connects them.

  mnuView = menuBar->addMenu(config::kViewMenu);
  for (const config::ViewMenuEntry& entry : config::kViewMenuEntries) {
    QAction* action = mnuView->addAction(
        QString::fromUtf8(entry.caption.data(), static_cast<qsizetype>(entry.caption.size())));
    if (!entry.view) {
      action->setEnabled(false);
      continue;
    }
    const View view = *entry.view;
    connect(action, &QAction::triggered, this, [this, view] { SetView(view); });
  }
  mnuHelp = menuBar->addMenu(config::kHelpMenu);
  mnuHelp->addAction(config::kHelpComingSoon)->setEnabled(false);
}

void FrmStateMain::Load() {
  SetView(View::Points);
  Activate();
}

void FrmStateMain::Activate() {
  lblInstructions->setText(Shown(config::kConfigInstructions));
  state_.savedToFile = false;
  Refresh();
  state_.currentItem = 0;
  flxSummaries->setFocus();
}

View FrmStateMain::CurrentView() const { return static_cast<View>(std::max(cmb->currentIndex(), 0)); }

void FrmStateMain::SetView(View view) { cmb->setCurrentIndex(static_cast<int>(view)); }

void FrmStateMain::Refresh() {
  const View view = CurrentView();
  const config::ViewLayout& layout = config::LayoutOf(view);
  summary_ = config::BuildSummary(context_.Configuration(), view,
                                  [this](int point) { return context_.RackPointTypeName(point); });
  const int keepRow = flxSummaries->currentRow();
  const int keepColumn = flxSummaries->currentColumn();

  flxSummaries->setRowCount(0);
  flxSummaries->setColumnCount(static_cast<int>(summary_.headers.size()));
  QStringList headers;
  for (const std::string& h : summary_.headers) headers << Shown(h);
  flxSummaries->setHorizontalHeaderLabels(headers);
  flxSummaries->setRowCount(static_cast<int>(summary_.rows.size()));
  const int lineHeight = flxSummaries->fontMetrics().lineSpacing();
  for (int r = 0; r < static_cast<int>(summary_.rows.size()); ++r) {
    const std::vector<std::string>& row = summary_.rows[r];
    for (int c = 0; c < static_cast<int>(row.size()); ++c) {
      flxSummaries->setItem(r, c, new QTableWidgetItem(Shown(row[c])));
    }
    const int lines = summary_.rowLines[r];
    if (lines > 1) flxSummaries->setRowHeight(r, lines * lineHeight + lineHeight / 2);
  }
  flxSummaries->resizeColumnsToContents();

  cmdAdd->setVisible(layout.addShown);
  cmdModify->setText(QString::fromUtf8(layout.modifyCaption.data(), layout.modifyCaption.size()));
  cmdDelete->setText(QString::fromUtf8(layout.deleteCaption.data(), layout.deleteCaption.size()));
  if (keepRow >= 0 && flxSummaries->rowCount() > 0) {
    flxSummaries->setCurrentCell(std::min(keepRow, flxSummaries->rowCount() - 1),
                                 std::clamp(keepColumn, 0, flxSummaries->columnCount() - 1));
  }
}

int FrmStateMain::SelectedRow() const { return flxSummaries->currentRow() + 1; }

int FrmStateMain::SelectedColumn() const { return flxSummaries->currentColumn(); }

std::string FrmStateMain::SelectedCell() const {
  const int r = flxSummaries->currentRow();
  const int c = flxSummaries->currentColumn();
  if (r < 0 || c < 0 || r >= static_cast<int>(summary_.rows.size())) return {};
  const std::vector<std::string>& row = summary_.rows[r];
  return c < static_cast<int>(row.size()) ? row[c] : std::string();
}

void FrmStateMain::SelectRow(int row) {
  if (row >= 1 && row <= flxSummaries->rowCount())
    flxSummaries->setCurrentCell(row - 1, std::max(flxSummaries->currentColumn(), 0));
}

void FrmStateMain::BlankRow(int row) {
  std::vector<std::string>& cells = summary_.rows[row - 1];
  for (int c = 1; c < static_cast<int>(cells.size()); ++c) {
    cells[c].clear();
    if (QTableWidgetItem* item = flxSummaries->item(row - 1, c)) item->setText(QString());
  }
}

void FrmStateMain::OpenEditor(config::Editor editor, int item) {
  context_.Navigate().OpenItemEditor(editor, item, this);
  Activate();
}

void FrmStateMain::cmdAdd_Click() {
  state_.savedToFile = false;
  const View view = CurrentView();
  const std::optional<int> item = config::ItemForAdd(view, SelectedRow(), SelectedCell());
  if (!item) return;
  state_.currentItem = *item;
  OpenEditor(config::EditorForAdd(view), *item);
}

void FrmStateMain::cmdModify_Click() {
  state_.savedToFile = false;
  const int row = SelectedRow();
  if (row < 1) return;
  config::StateGlobals& tables = context_.Configuration();
  const View view = CurrentView();
  const config::ModifyTarget target =
      config::TargetForModify(tables, view, row, SelectedColumn(), SelectedCell());
  if (!target.message.empty()) {
    context_.Ui().Message(target.message);
    return;
  }
  if (target.editor == config::Editor::None) return;
  state_.currentItem = target.item;
  if (target.editor != config::Editor::Name) {
    OpenEditor(target.editor, target.item);
    return;
  }
  config::SetPickerCaller(tables, config::kPickerPoints);
  const bool saved = context_.Navigate().OpenNameWindow(view, target.item, this);
  Activate();
  SelectRow(config::RowAfterNameWindow(row, static_cast<int>(summary_.rows.size()), saved));
}

void FrmStateMain::cmdDelete_Click() {
  state_.savedToFile = false;
  const int row = SelectedRow();
  if (row < 1) return;
  // Only a row whose item was deleted is blanked: the ports view deletes nothing and keeps its lists.
  if (config::DeleteItem(context_.Configuration(), CurrentView(), row - 1)) BlankRow(row);
}

void FrmStateMain::mnuImportFile_Click() {
  const QString path = chooseFile_(false, QString::fromStdString(state_.fileName));
  if (path.isEmpty()) return;
  state_.fileName = path.toStdString();
  state_.currentOption = static_cast<int>(CurrentView());
  flxSummaries->hide();
  if (config::ImportConfigurationFile(context_.Configuration(), state_.fileName, context_.Ui())) {
    state_.savedToFile = true;
    // What the file holds is what a later upload must clear if the operator deletes it.
    transfer::NoteLoaded(context_.LoadedConfiguration(), context_.Configuration());
  }
  flxSummaries->show();
  SetView(static_cast<View>(std::max(state_.currentOption, 0)));
  Refresh();
}

void FrmStateMain::mnuImportBrain_Click() {
  if (context_.Ui().Ask(config::kAskImportFromBrain) != Answer::Yes) return;
  ImportFromBrain(context_, context_.DownloadTarget(), context_.RackReader(), this);
  Refresh();
}

void FrmStateMain::mnuSaveBrain_Click() {
  transfer::UploadSelection selection;
  selection.names = chkName->isChecked();
  selection.alarms = chkAlarm->isChecked();
  selection.timers = chkTimer->isChecked();
  selection.timersFirst = chkTimerSooner->isChecked();
  selection.messages = chkMessage->isChecked();
  selection.serialEvents = chkSerEvent->isChecked();
  selection.digitalEvents = chkTransition->isChecked();
  guard_->Run([&] {
    transfer::UploadConfiguration(context_.Engine(), context_.Configuration(), selection,
                                  context_.LoadedConfiguration());
  });
}

bool FrmStateMain::SaveToFile() {
  const QString path = chooseFile_(true, QString::fromStdString(config::ProposedFileName(state_)));
  if (path.isEmpty()) return false;
  if (!config::SaveConfigurationFile(context_.Configuration(), path.toStdString(), AtomicSave, context_.Ui()))
    return false;
  state_.savedToFile = true;
  return true;
}

void FrmStateMain::reject() {
  // A save that is cancelled or fails keeps the window, and with it the work, open.
  if (!state_.savedToFile && context_.Ui().Ask(config::kAskSaveOnClose) == Answer::Yes && !SaveToFile())
    return;
  QDialog::reject();
}

bool FrmStateMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == flxSummaries && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      cmdModify_Click();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace kestrio::ui
