// The download window over a session with an in-process simulated brain that answers each request
// 50 ms late, so a click arrives while a record is awaited.
#include "support/sim_session.h"
// clang-format off
#include "ui/brain_progress_window.h"
// clang-format on

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include "ui/window_context.h"

namespace kestrio::ui {
namespace {

class BrainProgressTest : public kestrio::test::SimSession {
 protected:
  // Runs the window modally; `act` is done once it shows.
  std::optional<transfer::DownloadResult> Import(const std::function<void(FrmBrainProgress&)>& act) {
    QTimer::singleShot(0, [&] { act(*qobject_cast<FrmBrainProgress*>(QApplication::activeModalWidget())); });
    return ImportFromBrain(*context_,
                           {session_->Configuration(), session_->DownloadCancelled(),
                            session_->LoadedConfiguration(), &session_->Rack()},
                           {});
  }
  int Sent() const { return static_cast<int>(kestrio::test::Count(LogText(), "Sending ")); }
  std::unique_ptr<WindowContext> context_;
};

// Cancel before OK reads nothing; Cancel while a record is awaited makes it the last and keeps the
// configuration; the flag is clear once the window has closed; OK with every box cleared empties the
// configuration and says nothing.
TEST_F(BrainProgressTest, CancelKeepsTheConfigurationAndLeavesTheFlagClear) {
  sim::SimOptions slow;
  slow.faults.delayMs = 50;
  ASSERT_TRUE(StartSim(slow)) << sim_->Error();
  OpenSession();
  session_->SetHost(SimHost());
  ASSERT_TRUE(session_->Connect(false));
  context_ = std::make_unique<WindowContext>(*session_);
  session_->Configuration().pointNames[0].name = "kept";
  prompter_.Clear();
  const int before = Sent();

  EXPECT_FALSE(Import([](FrmBrainProgress& w) {
                 for (QCheckBox* c : w.chkCategory) EXPECT_TRUE(c->isChecked());
                 w.cmdCancel->click();
               }).has_value());
  const auto cancelled = Import([](FrmBrainProgress& w) {
    w.cmdClearAll->click();
    w.chkAlarms->setChecked(true);
    QTimer::singleShot(0, &w, [&w] { w.cmdCancel->click(); });
    w.cmdStart->click();
  });
  ASSERT_TRUE(cancelled.has_value());
  EXPECT_TRUE(cancelled->cancelled);
  EXPECT_EQ(Sent(), before + 1);
  EXPECT_EQ(session_->Configuration().pointNames[0].name, "kept");
  EXPECT_FALSE(session_->DownloadCancelled());

  const auto none = Import([](FrmBrainProgress& w) {
    w.cmdClearAll->click();
    w.cmdStart->click();
  });
  ASSERT_TRUE(none.has_value());
  EXPECT_EQ(session_->Configuration().pointNames[0].name, "");
  EXPECT_EQ(Sent(), before + 1);
  EXPECT_TRUE(prompter_.log.empty());
}

}  // namespace
}  // namespace kestrio::ui
