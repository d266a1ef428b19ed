// The message and input boxes of the desktop prompter, answered by a timer while they are modal.
#include "ui/gui_prompter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace kestrio::ui {
namespace {

// Runs `act` on the modal dialog once it is up.
void WhenModal(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return WhenModal(act);
    act(modal);
  });
}

TEST(GuiPrompter, MessageBoxUsesTheProgramTitleUnlessGivenOne) {
  GuiPrompter prompter;
  QString title, text;
  WhenModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    EXPECT_EQ(box->buttons().size(), 1);
    box->button(QMessageBox::Ok)->click();
  });
  prompter.Message("PUC not successful.");
  EXPECT_EQ(title, "Kestrio");
  EXPECT_EQ(text, "PUC not successful.");

  WhenModal([&](QWidget* w) {
    title = w->windowTitle();
    qobject_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
  });
  prompter.Message("AutoParsing is now: Enabled.", "AutoParsing");
  EXPECT_EQ(title, "AutoParsing");
}

TEST(GuiPrompter, QuestionsMapTheirButtonsToAnswers) {
  GuiPrompter prompter;
  auto ask = [&](QMessageBox::StandardButton press, bool withCancel) {
    WhenModal([press](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      ASSERT_NE(box, nullptr);
      box->button(press)->click();
    });
    return prompter.Ask("Attempt to connect?", withCancel);
  };
  EXPECT_EQ(ask(QMessageBox::Yes, false), Answer::Yes);
  EXPECT_EQ(ask(QMessageBox::No, false), Answer::No);
  EXPECT_EQ(ask(QMessageBox::Cancel, true), Answer::Cancel);
  EXPECT_EQ(ask(QMessageBox::No, true), Answer::No);
}

TEST(GuiPrompter, InputBoxReturnsTheTextOrNothingOnCancel) {
  GuiPrompter prompter;
  QString initial;
  WhenModal([&](QWidget* w) {
    auto* dialog = qobject_cast<QInputDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    initial = dialog->textValue();
    dialog->setTextValue("2.5");
    dialog->accept();
  });
  EXPECT_EQ(prompter.Input("Enter new timeout: ", "Set Timeout in Seconds", "30").value_or("?"), "2.5");
  EXPECT_EQ(initial, "30");

  WhenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
  EXPECT_FALSE(prompter.Input("Enter new timeout: ", "Set Timeout in Seconds", "30").has_value());

  int shown = 0;
  prompter.SetStatusHook([&] { ++shown; });
  prompter.ShowStatus();
  EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace kestrio::ui
