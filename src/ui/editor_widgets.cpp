#include "ui/editor_widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "config/flag_grid.h"
#include "config/numbers.h"
#include "protocol/prompter.h"

namespace kestrio::ui {

namespace {

// 2500 twips at 15 twips per pixel.
constexpr int kFlagColumnWidth = 167;

class NumericKeyFilter : public QObject {
 public:
  NumericKeyFilter(QObject* parent, Prompter& prompter) : QObject(parent), prompter_(prompter) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const QString text = static_cast<QKeyEvent*>(event)->text();
    // Control characters (Backspace, Enter, Tab, Escape, shortcuts) are not typed characters.
    if (text.isEmpty() || text.at(0).unicode() < 0x20) return false;
    const char16_t c = text.at(0).unicode();
    if (c < 0x80 && config::IsNumericKey(static_cast<char>(c))) return false;
    QApplication::beep();
    prompter_.Message(config::kNumericValuesOnly);
    return true;
  }

 private:
  Prompter& prompter_;
};

}  // namespace

FlagGrid::FlagGrid(QWidget* parent, const QString& name) : QWidget(parent) {
  grid = new QTableWidget(0, 1, this);
  grid->setObjectName(name);
  grid->setHorizontalHeaderLabels({Q(config::kFlagGridHeader)});
  grid->verticalHeader()->hide();
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->setColumnWidth(0, kFlagColumnWidth);
  grid->setMinimumWidth(kFlagColumnWidth);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  cmdAdd = new QPushButton(Q(config::kFlagAdd), this);
  cmdDelete = new QPushButton(Q(config::kFlagDelete), this);
  cmdClear = new QPushButton(Q(config::kFlagClear), this);
  auto* buttons = new QVBoxLayout();
  buttons->addWidget(cmdAdd);
  buttons->addWidget(cmdDelete);
  buttons->addWidget(cmdClear);
  buttons->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(grid, 1);
  layout->addLayout(buttons);
  connect(cmdDelete, &QPushButton::clicked, this, [this] { DeleteSelectedRow(); });
  connect(cmdClear, &QPushButton::clicked, this, [this] { SetRows({}); });
}

void FlagGrid::SetRows(const std::vector<std::string>& rows) {
  grid->setRowCount(0);
  for (const std::string& row : rows) AddRow(row);
}

std::vector<std::string> FlagGrid::Rows() const {
  std::vector<std::string> rows;
  for (int r = 0; r < grid->rowCount(); ++r) {
    const QTableWidgetItem* cell = grid->item(r, 0);
    rows.push_back(cell ? cell->text().toStdString() : std::string());
  }
  return rows;
}

void FlagGrid::AddRow(const std::string& row) {
  const int r = grid->rowCount();
  grid->insertRow(r);
  grid->setItem(r, 0, new QTableWidgetItem(Q(row)));
}

void FlagGrid::DeleteSelectedRow() {
  const int r = grid->currentRow();
  if (r >= 0 && r < grid->rowCount()) grid->removeRow(r);
}

void FlagGrid::SetEnabled(bool enabled) {
  for (QWidget* w : {static_cast<QWidget*>(grid), static_cast<QWidget*>(cmdAdd),
                     static_cast<QWidget*>(cmdDelete), static_cast<QWidget*>(cmdClear)}) {
    w->setEnabled(enabled);
  }
}

PortBoxes::PortBoxes(QWidget* parent, const QString& frameCaption) : QGroupBox(frameCaption, parent) {
  auto* boxes = new QGridLayout();
  constexpr int kColumns = 4;
  for (int p = 0; p < config::kSerialPortCount; ++p) {
    auto* box = new QCheckBox(Q(config::PortCaption(p)), this);
    box->setObjectName(QString("chkPoint%1").arg(p));
    chkPoint[static_cast<std::size_t>(p)] = box;
    boxes->addWidget(box, p / kColumns, p % kColumns);
  }
  cmdSelectAll = new QPushButton(Q(config::kSelectAll), this);
  cmdClearAll = new QPushButton(Q(config::kClearAll), this);
  auto* buttons = new QHBoxLayout();
  buttons->addWidget(cmdSelectAll);
  buttons->addWidget(cmdClearAll);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(boxes);
  layout->addLayout(buttons);
  layout->addStretch(1);
  connect(cmdSelectAll, &QPushButton::clicked, this, [this] {
    config::Ports all;
    all.fill(true);
    SetTicked(all);
  });
  connect(cmdClearAll, &QPushButton::clicked, this, [this] { SetTicked({}); });
}

void PortBoxes::Prepend(QWidget* widget) { static_cast<QVBoxLayout*>(layout())->insertWidget(0, widget); }

config::Ports PortBoxes::Ticked() const {
  config::Ports ports{};
  for (std::size_t p = 0; p < ports.size(); ++p) ports[p] = chkPoint[p]->isChecked();
  return ports;
}

void PortBoxes::SetTicked(const config::Ports& ports) {
  for (std::size_t p = 0; p < ports.size(); ++p) chkPoint[p]->setChecked(ports[p]);
}

void FilterNumericKeys(QLineEdit* box, Prompter& prompter) {
  box->installEventFilter(new NumericKeyFilter(box, prompter));
}

void Clamp(QLineEdit* box, std::uint64_t maximum) {
  const QString clamped = Q(config::ClampToMaximum(box->text().toStdString(), maximum));
  if (clamped != box->text()) box->setText(clamped);
}

void ClampOnLeaving(QLineEdit* box, std::uint64_t maximum) {
  QObject::connect(box, &QLineEdit::editingFinished, box, [box, maximum] { Clamp(box, maximum); });
}

void TabInOrder(const std::vector<QWidget*>& widgets) {
  for (std::size_t i = 1; i < widgets.size(); ++i) QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

}  // namespace kestrio::ui
