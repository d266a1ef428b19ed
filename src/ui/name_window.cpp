#include "ui/name_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/config_window_rules.h"
#include "config/names.h"
#include "ui/window_context.h"

namespace kestrio::ui {

FrmNameChange::FrmNameChange(WindowContext& context, config::View view, int item, QWidget* parent)
    : QDialog(parent), context_(context), view_(view), item_(item) {
  setObjectName("frmNameChange");
  setWindowTitle(QString::fromStdString(config::NameWindowCaption(view, item)));
  setModal(true);

  txtPointNameChange = new QLineEdit(this);
  txtPointNameChange->setObjectName("txtPointNameChange");
  txtPointNameChange->setMaxLength(static_cast<int>(config::kMaxNameLength));
  txtOffState = new QLineEdit(this);
  txtOffState->setObjectName("txtOffState");
  txtOffState->setReadOnly(true);
  cmdOK = new QPushButton(config::kNameOk, this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setDefault(true);  // Enter in the name box runs OK
  cmdCancel = new QPushButton(config::kNameCancel, this);
  cmdCancel->setObjectName("cmdCancel");

  auto* form = new QFormLayout();
  form->addRow(config::kNameOnLabel, txtPointNameChange);
  form->addRow(config::kNameOffLabel, txtOffState);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);

  connect(txtPointNameChange, &QLineEdit::textChanged, this, [this](const QString& text) {
    txtOffState->setText(QString::fromStdString(config::OffPreview(text.toStdString())));
  });
  connect(cmdOK, &QPushButton::clicked, this, &FrmNameChange::cmdOK_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &FrmNameChange::reject);
  txtPointNameChange->setText(QString::fromStdString(config::NameOf(context_.Configuration(), view, item)));
  txtOffState->setText(QString::fromStdString(config::OffPreview(txtPointNameChange->text().toStdString())));
}

void FrmNameChange::cmdOK_Click() {
  const config::NameWindowResult result =
      config::NameWindowOk(context_.Configuration(), view_, item_, txtPointNameChange->text().toStdString());
  if (!result.message.empty()) {
    context_.Ui().Message(result.message);
    return;
  }
  saved_ = result.saved;
  accept();
}

}  // namespace kestrio::ui
