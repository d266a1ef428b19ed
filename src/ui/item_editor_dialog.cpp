#include "ui/item_editor_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "config/flag_grid.h"
#include "config/item_editor_common.h"
#include "protocol/convert.h"
#include "ui/editor_widgets.h"
#include "ui/point_picker_window.h"
#include "ui/window_context.h"

namespace kestrio::ui {

ItemEditorDialog::ItemEditorDialog(WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context), runModal_([](QDialog& d) { return d.exec(); }) {
  setModal(true);
}

QHBoxLayout* ItemEditorDialog::CommandRow(const char* jumpLabel) {
  lblJumpTo = new QLabel(Q(jumpLabel), this);
  txtJumpTo = new QLineEdit(this);
  txtJumpTo->setObjectName("txtJumpTo");
  txtJumpTo->setMaximumWidth(60);
  cmdGo = new QPushButton(Q(config::kGo), this);
  cmdOK = new QPushButton(Q(config::kOk), this);
  cmdCancel = new QPushButton(Q(config::kCancel), this);
  auto* row = new QHBoxLayout();
  row->addWidget(lblJumpTo);
  row->addWidget(txtJumpTo);
  row->addWidget(cmdGo);
  row->addStretch(1);
  row->addWidget(cmdOK);
  row->addWidget(cmdCancel);
  connect(cmdGo, &QPushButton::clicked, this, &ItemEditorDialog::cmdGo_Click);
  connect(txtJumpTo, &QLineEdit::returnPressed, this, &ItemEditorDialog::cmdGo_Click);
  connect(cmdOK, &QPushButton::clicked, this, &ItemEditorDialog::cmdOK_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
  return row;
}

void ItemEditorDialog::NoDefaultButton() {
  for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
}

void ItemEditorDialog::ShowNumber() {
  setWindowTitle(Q(config::ItemCaption(Kind(), item_)));
  txtJumpTo->setText(Q(NumberText(item_)));
}

void ItemEditorDialog::cmdGo_Click() {
  std::string message;
  const std::optional<int> item = config::CheckItemNumber(Kind(), txtJumpTo->text().toStdString(), message);
  if (!item) {
    Ui().Message(message);
    txtJumpTo->setFocus();
    return;
  }
  ShowItem(*item);
}

void ItemEditorDialog::cmdOK_Click() {
  if (Save()) accept();
}

bool ItemEditorDialog::Stored(const std::optional<std::string>& refusal) {
  if (refusal) Ui().Message(*refusal);
  return !refusal;
}

std::optional<PickedPoint> ItemEditorDialog::Pick(std::string_view caller,
                                                  const std::vector<int>& excludedPoints,
                                                  const std::vector<int>& excludedFlags) {
  config::SetPickerCaller(Tables(), caller);
  FrmAddAPoint picker(Tables(), excludedPoints, excludedFlags, this);
  if (runModal_(picker) != QDialog::Accepted) return std::nullopt;
  return picker.Choice();
}

void ItemEditorDialog::AddFlag(FlagGrid& grid, std::string_view caller) {
  const std::optional<PickedPoint> picked = Pick(caller, {}, config::FlagsInRows(grid.Rows()));
  if (picked) grid.AddRow(config::FlagRowText(Tables(), picked->number, picked->on));
}

config::StateGlobals& ItemEditorDialog::Tables() { return context_.Configuration(); }

Prompter& ItemEditorDialog::Ui() { return context_.Ui(); }

}  // namespace kestrio::ui
