// The Options menu's whole-unit entries over a real navigator: the folder and file choosers are
// replaced, the job runs against the simulated brain and its window lists the outcome.
#include "tool_window_fixture.h"
// clang-format off
#include <gmock/gmock.h>
#include <QAction>
#include <QFile>
#include <QMenuBar>
// clang-format on

namespace kestrio::ui::test {
namespace {

using ::testing::HasSubstr;

class UnitWindowTest : public ToolWindowTest {
 protected:
  void TearDown() override {
    UnitFileChoosers() = saved_;
    ToolWindowTest::TearDown();
  }
  // Triggers the Options menu entry `text` and returns the text of the window it opened.
  std::string Run(const QString& text) {
    for (QAction* a : window_->menuBar()->actions()) {
      if (!a->menu()) continue;
      for (QAction* entry : a->menu()->actions())
        if (entry->text() == text) entry->trigger();
    }
    const auto jobs = window_->findChildren<FrmUnitJob*>();
    if (jobs.isEmpty()) return "(no window)";
    const std::string shown = jobs.last()->ResultText().toStdString();
    for (FrmUnitJob* job : jobs) delete job;
    return shown;
  }
  UnitChoosers saved_ = UnitFileChoosers();
};

TEST_F(UnitWindowTest, BackUpRestoreAndReportRunFromTheOptionsMenu) {
  StartAndConnect();
  const QString folder = QString::fromStdString(Path("unit"));
  const QString report = QString::fromStdString(Path("sheet.html"));
  UnitFileChoosers() = {[&](QWidget*) { return folder; }, [&](QWidget*) { return folder; },
                        [&](QWidget*) { return report; }};

  EXPECT_THAT(Run("Back Up Unit..."), HasSubstr("Saved the unit to " + folder.toStdString() + "."));
  prompter_.answers = {Answer::Yes};
  EXPECT_THAT(Run("Restore Unit..."),
              HasSubstr("Done: Send the store command\nThe unit matches the backup.\n"));
  EXPECT_THAT(Run("Commissioning Report..."), HasSubstr("Saved the report to"));
  QFile sheet(report);
  ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
  EXPECT_THAT(sheet.readAll().toStdString(), HasSubstr("<h2>Option pages</h2>"));

  // A cancelled chooser opens nothing.
  UnitFileChoosers().backupFolder = [](QWidget*) { return QString(); };
  EXPECT_EQ(Run("Back Up Unit..."), "(no window)");
}

}  // namespace
}  // namespace kestrio::ui::test
