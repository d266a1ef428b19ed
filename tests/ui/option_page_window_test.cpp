// The Advanced menu's option pages and the page window's wiring against the simulated brain; the
// page's rules are the page model's and the services' tests.
#include "ui/tool_window_fixture.h"
// clang-format off
#include "ui/option_page_window.h"
// clang-format on

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include "options/option_texts.h"

namespace kestrio::ui {
namespace {

using Strings = std::vector<std::string>;

class OptionPageWindowTest : public test::ToolWindowTest {
 protected:
  void SetUp() override {
    ToolWindowTest::SetUp();
    ASSERT_TRUE(StartSim()) << sim_->Error();
    OpenSession();
    std::string fatal;
    ASSERT_TRUE(session_->LoadProductData(fatal)) << fatal;
    window_ = std::make_unique<FrmMain>(*session_);
  }
  QAction* Entry(const QString& caption) {
    for (QAction* a : window_->mnuAdvanced->actions())
      if (a->text() == caption) return a;
    return nullptr;
  }
};

TEST_F(OptionPageWindowTest, MenuEntriesOpenOnePageWindowThatReadsWritesAndShowsItsColumns) {
  // The entries of the shipped menu come first; each needs a connection.
  ASSERT_GE(window_->mnuAdvanced->actions().size(), 7);
  EXPECT_EQ(window_->mnuAdvanced->actions().first()->text(), "&System");
  QAction* snmp = Entry("S&NMP");
  ASSERT_NE(snmp, nullptr);
  snmp->trigger();
  EXPECT_EQ(prompter_.Messages(), Strings{"Operation not allowed - not yet Connected."});
  EXPECT_EQ(window_->Windows().OptionPageWindow(), nullptr);

  ConnectToSim();
  snmp->trigger();
  FrmSNMP* page = window_->Windows().OptionPageWindow();
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->PageFile().endsWith("SNMP.opt"));
  EXPECT_EQ(page->windowTitle(), options::text::kHeadingValues);
  EXPECT_TRUE(page->lblNum[9]->isVisible());
  EXPECT_FALSE(page->lblNum[10]->isVisible());
  EXPECT_EQ(page->OptionLabel[2]->text(), "Read community");
  EXPECT_EQ(page->OptionText[2]->text(), "public");
  // "Agent port" is read-only: greyed in the button face, its Write box off.
  EXPECT_FALSE(page->OptionText[1]->isEnabled());
  EXPECT_FALSE(page->chkUse[1]->isEnabled());
  EXPECT_EQ(page->OptionText[1]->palette().color(QPalette::Base), page->palette().color(QPalette::Button));
  EXPECT_TRUE(page->OptionText[2]->isEnabled());

  // Typed values of the ticked rows are written, then stored.
  page->OptionText[5]->setText("");
  QTest::keyClicks(page->OptionText[5], "170");
  page->chkUse[5]->click();
  page->Command1->click();
  EXPECT_EQ(prompter_.Messages(), Strings{"EEPROM Store complete."});
  page->OptionText[5]->setText("0");
  page->cmdReadAll->click();
  EXPECT_EQ(page->OptionText[5]->text(), "170");

  page->cmdAll->click();  // every Write box, read-only rows too
  EXPECT_TRUE(page->chkUse[1]->isChecked() && page->chkUse[9]->isChecked());
  page->cmdClear->click();
  EXPECT_FALSE(page->chkUse[1]->isChecked() || page->chkUse[5]->isChecked());

  page->cmdMoreLess->click();
  EXPECT_EQ(page->windowTitle(), options::text::kHeadingMore);
  EXPECT_TRUE(page->cmbAddress[2]->isVisible());
  EXPECT_EQ(page->cmbAddress[2]->currentText(), "FFFFF01000C0");
  EXPECT_FALSE(page->OptionText[2]->isVisible());
  page->cmdMoreLess->click();
  EXPECT_FALSE(page->cmbAddress[2]->isVisible());

  // Another page while one is open only brings the open one forward.
  Entry("&System")->trigger();
  EXPECT_EQ(window_->Windows().OptionPageWindow(), page);
  EXPECT_TRUE(page->PageFile().endsWith("SNMP.opt"));
  page->cmdClose->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window_->Windows().OptionPageWindow(), nullptr);
}

}  // namespace
}  // namespace kestrio::ui
