#include "ui/gui_prompter.h"

#include <QInputDialog>
#include <QMessageBox>

#include "ui/main_rules.h"

namespace kestrio::ui {
namespace {

QString TitleOrDefault(const std::string& title) {
  return title.empty() ? QString::fromLatin1(kAppTitle) : QString::fromStdString(title);
}

}  // namespace

void GuiPrompter::Message(const std::string& text, const std::string& title) {
  QMessageBox box(QMessageBox::NoIcon, TitleOrDefault(title), QString::fromStdString(text), QMessageBox::Ok,
                  parent_);
  box.exec();
}

Answer GuiPrompter::Ask(const std::string& text, bool withCancel, const std::string& title) {
  QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
  if (withCancel) buttons |= QMessageBox::Cancel;
  QMessageBox box(QMessageBox::Question, TitleOrDefault(title), QString::fromStdString(text), buttons,
                  parent_);
  box.setDefaultButton(QMessageBox::Yes);
  // Escape or the close button counts as Cancel where there is one, otherwise as No.
  box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return withCancel ? Answer::Cancel : Answer::No;
  }
}

std::optional<std::string> GuiPrompter::Input(const std::string& prompt, const std::string& title,
                                              const std::string& initial) {
  bool ok = false;
  const QString text = QInputDialog::getText(parent_, TitleOrDefault(title), QString::fromStdString(prompt),
                                             QLineEdit::Normal, QString::fromStdString(initial), &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

void GuiPrompter::ShowStatus() {
  if (statusHook_) statusHook_();
}

}  // namespace kestrio::ui
