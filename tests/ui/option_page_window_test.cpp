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
  QAction* Entry(int i) { return window_->mnuAdvanced->actions().at(i); }
};

TEST_F(OptionPageWindowTest, MenuEntriesOpenOnePageWindowThatReadsWritesAndShowsItsColumns) {
  // The shipped menu's entries come first; each needs a connection.
  EXPECT_EQ(Entry(0)->text(), "&System");
  ASSERT_EQ(Entry(2)->text(), "S&NMP");
  Entry(2)->trigger();
  EXPECT_EQ(prompter_.Messages(), Strings{"Operation not allowed - not yet Connected."});
  EXPECT_EQ(window_->Windows().OptionPageWindow(), nullptr);

  ConnectToSim();
  Entry(2)->trigger();
  FrmSNMP* page = window_->Windows().OptionPageWindow();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->windowTitle(), options::text::kHeadingValues);
  EXPECT_TRUE(page->lblNum[9]->isVisible() && !page->lblNum[10]->isVisible());
  EXPECT_EQ(page->OptionText[2]->text(), "public");
  // "Agent port" is read-only: greyed in the button face, its Write box off.
  EXPECT_FALSE(page->OptionText[1]->isEnabled() || page->chkUse[1]->isEnabled());
  EXPECT_EQ(page->OptionText[1]->palette().color(QPalette::Base), page->palette().color(QPalette::Button));

  // A typed value in a ticked row is written, then stored, and reads back.
  page->OptionText[5]->clear();
  QTest::keyClicks(page->OptionText[5], "170");
  page->chkUse[5]->click();
  page->Command1->click();
  EXPECT_EQ(prompter_.Messages(), Strings{"EEPROM Store complete."});
  page->OptionText[5]->clear();
  page->cmdReadAll->click();
  EXPECT_EQ(page->OptionText[5]->text(), "170");

  page->cmdAll->click();  // every Write box, read-only rows too
  EXPECT_TRUE(page->chkUse[1]->isChecked() && page->chkUse[9]->isChecked());
  page->cmdClear->click();
  EXPECT_FALSE(page->chkUse[1]->isChecked() || page->chkUse[5]->isChecked());
  page->cmdMoreLess->click();
  EXPECT_EQ(page->windowTitle(), options::text::kHeadingMore);
  EXPECT_TRUE(page->cmbAddress[2]->isVisible() && !page->OptionText[2]->isVisible());
  EXPECT_EQ(page->cmbAddress[2]->currentText(), "FFFFF01000C0");

  // Another page while one is open only brings the open one forward.
  Entry(0)->trigger();
  EXPECT_EQ(window_->Windows().OptionPageWindow(), page);
  EXPECT_TRUE(page->PageFile().endsWith("SNMP.opt"));
  page->cmdClose->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window_->Windows().OptionPageWindow(), nullptr);
}

}  // namespace
}  // namespace kestrio::ui
