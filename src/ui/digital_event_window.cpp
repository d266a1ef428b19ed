#include "ui/digital_event_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "config/picker_rules.h"
#include "ui/editor_widgets.h"
#include "ui/point_picker_window.h"

namespace kestrio::ui {

namespace {

// The grid's widths and heights in pixels (15 twips each): 2000 and 1000 twips wide, rows 250 high.
constexpr int kNameWidth = 133;
constexpr int kTypeWidth = 67;
constexpr int kRowHeight = 17;

QTableWidget* NewStateGrid(QWidget* parent) {
  auto* grid = new QTableWidget(1, 3, parent);
  grid->setHorizontalHeaderLabels(
      {QString(), Q(config::kStateGridNameHeader), Q(config::kStateGridTypeHeader)});
  grid->verticalHeader()->hide();
  // Column 0 holds the number, which the operator does not need to see.
  grid->setColumnHidden(0, true);
  grid->setColumnWidth(1, kNameWidth);
  grid->setColumnWidth(2, kTypeWidth);
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setRowHeight(0, 0);
  return grid;
}

}  // namespace

FrmNameTransitions::FrmNameTransitions(WindowContext& context, int item, bool timer, bool newItem,
                                       QWidget* parent)
    : ItemEditorDialog(context, parent), timer_(timer) {
  setObjectName("frmNameTransitions");
  setWindowTitle(Q(config::kStateEditorDesignCaption));

  auto* fraConfigure = new QGroupBox(Q(config::kConfigureFrame), this);
  auto* sidesLayout = new QHBoxLayout(fraConfigure);
  for (int side = 0; side < 2; ++side) {
    const auto s = static_cast<std::size_t>(side);
    fraSide[s] = new QGroupBox(Q(side == 0 ? config::kEventFrame : config::kReactionFrame), fraConfigure);
    cmbStateTransition[s] = new QComboBox(fraSide[s]);
    cmbStateTransition[s]->setObjectName(side == 0 ? "cmbStateTransition1" : "cmbStateTransition2");
    flxStates[s] = NewStateGrid(fraSide[s]);
    cmdAdd[s] = new QPushButton(Q(config::kStateAdd), fraSide[s]);
    cmdDelete[s] = new QPushButton(Q(config::kStateDelete), fraSide[s]);
    cmdClear[s] = new QPushButton(Q(config::kStateClear), fraSide[s]);
    cmdRename[s] = new QPushButton(Q(config::kStateRename), fraSide[s]);
    auto* buttons = new QHBoxLayout();
    for (QPushButton* b : {cmdAdd[s], cmdDelete[s], cmdClear[s], cmdRename[s]}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(fraSide[s]);
    layout->addWidget(cmbStateTransition[s]);
    layout->addWidget(flxStates[s], 1);
    layout->addLayout(buttons);
    sidesLayout->addWidget(fraSide[s]);

    connect(cmdAdd[s], &QPushButton::clicked, this, [this, side] { cmdAdd_Click(side); });
    connect(flxStates[s], &QTableWidget::cellDoubleClicked, this, [this, side] { cmdAdd_Click(side); });
    connect(cmdDelete[s], &QPushButton::clicked, this, [this, side] { cmdDelete_Click(side); });
    connect(cmdClear[s], &QPushButton::clicked, this, [this, side] { cmdClear_Click(side); });
    connect(cmdRename[s], &QPushButton::clicked, this, [this, side] { cmdRename_Click(side); });
    connect(cmbStateTransition[s], &QComboBox::currentIndexChanged, this,
            [this, side] { cmbStateTransition_Click(side); });
  }

  chkTimed = new QCheckBox(Q(config::kTimedCheck), this);
  fraTimer = new QGroupBox(Q(config::kTimerSettingsFrame), this);
  txtPreset = new QLineEdit(fraTimer);
  txtPreset->setObjectName("txtPreset");
  auto* timerLayout = new QVBoxLayout(fraTimer);
  timerLayout->addWidget(new QLabel(Q(config::kTimerPresetLabel), fraTimer));
  timerLayout->addWidget(txtPreset);
  auto* fraNote = new QLabel(Q(config::kTimerSettingsNote), this);
  fraNote->setWordWrap(true);

  auto* fraInstructions = new QGroupBox(Q(config::kInstructionsFrame), this);
  lblInstructions = new QLabel(Q(config::kStateEditorInstructions), fraInstructions);
  lblInstructions->setWordWrap(true);
  (new QVBoxLayout(fraInstructions))->addWidget(lblInstructions);

  auto* side = new QVBoxLayout();
  side->addWidget(chkTimed);
  side->addWidget(fraTimer);
  side->addWidget(fraNote);
  side->addWidget(fraInstructions);
  side->addStretch(1);
  auto* top = new QHBoxLayout();
  top->addWidget(fraConfigure, 1);
  top->addLayout(side);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(CommandRow(config::kJumpToDigitalEvent));
  connect(chkTimed, &QCheckBox::clicked, this, &FrmNameTransitions::chkTimed_Click);
  NoDefaultButton();

  Load(item, newItem);
}

config::ItemKind FrmNameTransitions::Kind() const {
  return timer_ ? config::ItemKind::Timer : config::ItemKind::DigitalEvent;
}

void FrmNameTransitions::Load(int item, bool newItem) {
  item_ = item;
  newItem_ = newItem;
  const std::vector<std::pair<int, std::string>> sets = config::NamedSets(Tables());
  const config::StateEditorInput shown = config::LoadStateEditor(Tables(), timer_, item);
  for (std::size_t s = 0; s < 2; ++s) {
    QComboBox* combo = cmbStateTransition[s];
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const auto& [number, name] : sets) combo->addItem(Q(name), number);
    const std::optional<int> selected = shown.sides[s].selectedSet;
    combo->setCurrentIndex(selected ? combo->findData(*selected) : -1);
    SetRows(static_cast<int>(s), shown.sides[s].rows);
  }
  // A digital event opens without "Timed?"; a timer opens with it ticked. Only a number chosen for
  // the operator may change its kind.
  chkTimed->setChecked(timer_);
  chkTimed->setVisible(timer_);
  chkTimed->setEnabled(newItem_);
  txtPreset->setText(Q(shown.preset));
  ShowMode();
  ShowNumber();
}

void FrmNameTransitions::ShowMode() {
  fraTimer->setVisible(timer_);
  lblJumpTo->setText(Q(timer_ ? config::kJumpToTimer : config::kJumpToDigitalEvent));
}

void FrmNameTransitions::chkTimed_Click(bool checked) {
  // The kind follows the box; a new item takes the first unused number of its new kind, so the save
  // never lands on an item of the other kind.
  if (newItem_) {
    std::string message;
    const std::optional<int> item = config::NewItemNumber(Tables(), checked, message);
    if (!item) {
      Ui().Message(message);
      chkTimed->setChecked(!checked);
      return;
    }
    item_ = *item;
  }
  timer_ = checked;
  ShowMode();
  ShowNumber();
}

std::vector<config::StateGridRow> FrmNameTransitions::Rows(int side) const {
  const QTableWidget* grid = flxStates[static_cast<std::size_t>(side)];
  const auto cell = [grid](int r, int c) {
    const QTableWidgetItem* item = grid->item(r, c);
    return item ? item->text().toStdString() : std::string();
  };
  std::vector<config::StateGridRow> rows;
  for (int r = 0; r + 1 < grid->rowCount(); ++r) rows.push_back({cell(r, 0), cell(r, 1), cell(r, 2)});
  return rows;
}

void FrmNameTransitions::SetRows(int side, const std::vector<config::StateGridRow>& rows) {
  QTableWidget* grid = flxStates[static_cast<std::size_t>(side)];
  grid->setRowCount(0);
  grid->setRowCount(1);
  grid->setRowHeight(0, 0);
  for (const config::StateGridRow& row : rows) AppendRow(side, row);
}

void FrmNameTransitions::AppendRow(int side, const config::StateGridRow& row) {
  // The new row takes the place of the empty last row, and a new empty row of height 0 follows.
  QTableWidget* grid = flxStates[static_cast<std::size_t>(side)];
  const int r = grid->rowCount() - 1;
  grid->insertRow(r);
  grid->setItem(r, 0, new QTableWidgetItem(Q(row.number)));
  grid->setItem(r, 1, new QTableWidgetItem(Q(row.name)));
  grid->setItem(r, 2, new QTableWidgetItem(Q(row.type)));
  grid->setRowHeight(r, kRowHeight);
}

std::optional<int> FrmNameTransitions::SelectedSet(int side) const {
  const QComboBox* combo = cmbStateTransition[static_cast<std::size_t>(side)];
  if (combo->currentIndex() < 0) return std::nullopt;
  return combo->currentData().toInt();
}

void FrmNameTransitions::cmbStateTransition_Click(int side) {
  const std::optional<int> set = SelectedSet(side);
  SetRows(side, set ? config::RowsOfSet(Tables(), *set) : std::vector<config::StateGridRow>{});
}

void FrmNameTransitions::cmdAdd_Click(int side) {
  Tables().pickForEvent = side == 0;
  const std::vector<config::StateGridRow> rows = Rows(side);
  const std::optional<PickedPoint> picked =
      Pick(config::kPickerState, config::NumbersInRows(rows, true), config::NumbersInRows(rows, false));
  if (!picked) return;
  AppendRow(Tables().pickForEvent ? 0 : 1,
            config::MakeStateRow(Tables(), picked->digital, picked->number, picked->on));
}

void FrmNameTransitions::cmdDelete_Click(int side) {
  // Any data row goes, the only one too; the empty last row stays.
  QTableWidget* grid = flxStates[static_cast<std::size_t>(side)];
  const int r = grid->currentRow();
  if (r >= 0 && r + 1 < grid->rowCount()) grid->removeRow(r);
}

void FrmNameTransitions::cmdClear_Click(int side) { SetRows(side, {}); }

void FrmNameTransitions::cmdRename_Click(int side) {
  const std::optional<int> set = SelectedSet(side);
  const std::string oldName = cmbStateTransition[static_cast<std::size_t>(side)]->currentText().toStdString();
  const std::optional<std::string> renamed = config::RenameSet(Tables(), set, oldName, Ui());
  if (!renamed) return;
  renamed_ = true;
  // Both drop-downs list the set.
  for (QComboBox* combo : cmbStateTransition) {
    const int index = combo->findData(*set);
    if (index >= 0) combo->setItemText(index, Q(*renamed));
  }
}

bool FrmNameTransitions::Save() {
  config::StateEditorInput input;
  input.timer = timer_;
  input.item = item_;
  input.preset = txtPreset->text().toStdString();
  for (int side = 0; side < 2; ++side) {
    input.sides[static_cast<std::size_t>(side)] = {
        SelectedSet(side), cmbStateTransition[static_cast<std::size_t>(side)]->currentText().toStdString(),
        Rows(side)};
  }
  return config::SaveStateEditor(Tables(), input, Ui());
}

}  // namespace kestrio::ui
