// The message and input boxes of the desktop prompter, answered by a timer while they are modal.
#include "ui/gui_prompter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace kestrio::ui {
namespace {

// Runs `act` on the modal dialog of type D once it is up.
template <class D>
void WhenModal(std::function<void(D*)> act) {
  QTimer::singleShot(0, [act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return WhenModal<D>(act);
    auto* dialog = qobject_cast<D*>(modal);
    ASSERT_NE(dialog, nullptr);
    act(dialog);
  });
}

TEST(GuiPrompter, MessageBoxUsesTheProgramTitleUnlessGivenOne) {
  GuiPrompter prompter;
  QStringList seen;
  const auto pressOk = [&](QMessageBox* box) {
    seen << box->windowTitle() << box->text() << QString::number(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  };
  WhenModal<QMessageBox>(pressOk);
  prompter.Message("PUC not successful.");
  WhenModal<QMessageBox>(pressOk);
  prompter.Message("AutoParsing is now: Enabled.", "AutoParsing");
  EXPECT_EQ(seen, QStringList({"Kestrio", "PUC not successful.", "1", "AutoParsing",
                               "AutoParsing is now: Enabled.", "1"}));
}

TEST(GuiPrompter, QuestionsMapTheirButtonsToAnswers) {
  GuiPrompter prompter;
  auto ask = [&](QMessageBox::StandardButton press, bool withCancel) {
    WhenModal<QMessageBox>([press](QMessageBox* box) { box->button(press)->click(); });
    return prompter.Ask("Attempt to connect?", withCancel);
  };
  EXPECT_EQ(ask(QMessageBox::Yes, false), Answer::Yes);
  EXPECT_EQ(ask(QMessageBox::No, false), Answer::No);
  EXPECT_EQ(ask(QMessageBox::Cancel, true), Answer::Cancel);
  EXPECT_EQ(ask(QMessageBox::No, true), Answer::No);
}

TEST(GuiPrompter, InputBoxReturnsTheTextOrNothingOnCancelAndShowStatusCallsTheHook) {
  GuiPrompter prompter;
  QString initial;
  WhenModal<QInputDialog>([&](QInputDialog* dialog) {
    initial = dialog->textValue();
    dialog->setTextValue("2.5");
    dialog->accept();
  });
  EXPECT_EQ(prompter.Input("Enter new timeout: ", "Set Timeout in Seconds", "30").value_or("?"), "2.5");
  EXPECT_EQ(initial, "30");
  WhenModal<QInputDialog>([](QInputDialog* dialog) { dialog->reject(); });
  EXPECT_FALSE(prompter.Input("Enter new timeout: ", "Set Timeout in Seconds", "30").has_value());

  int shown = 0;
  prompter.SetStatusHook([&] { ++shown; });
  prompter.ShowStatus();
  EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace kestrio::ui
