// The download window over a session with an in-process simulated brain.
#include "support/sim_session.h"
// clang-format off
#include "ui/brain_progress_window.h"
// clang-format on

#include <QApplication>
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "ui/window_context.h"

namespace kestrio::ui {
namespace {

class BrainProgressTest : public kestrio::test::SimSession {
 protected:
  void Start(sim::SimOptions opts = {}) {
    ASSERT_TRUE(StartSim(std::move(opts))) << sim_->Error();
    OpenSession();
    session_->SetHost(SimHost());
    ASSERT_TRUE(session_->Connect(false));
    context_ = std::make_unique<WindowContext>(*session_);
    session_->Configuration().pointNames[0].name = "kept";
    prompter_.Clear();
  }
  transfer::DownloadTarget Target() {
    return {session_->Configuration(), session_->DownloadCancelled(), session_->LoadedConfiguration(),
            &session_->Rack()};
  }
  // Runs the window modally; `act` is done once it shows.
  std::optional<transfer::DownloadResult> Import(const std::function<void(FrmBrainProgress&)>& act) {
    QTimer::singleShot(0, [&] {
      auto* w = qobject_cast<FrmBrainProgress*>(QApplication::activeModalWidget());
      ASSERT_NE(w, nullptr);
      act(*w);
    });
    return ImportFromBrain(*context_, Target(), {});
  }
  int Sent() const { return static_cast<int>(kestrio::test::Count(LogText(), "Sending ")); }

  std::unique_ptr<WindowContext> context_;
};

TEST_F(BrainProgressTest, BoxesStartTickedAndCancelOrNothingTickedReadNothing) {
  Start();
  const int before = Sent();
  auto cancelled = Import([](FrmBrainProgress& w) {
    for (QCheckBox* c : w.chkCategory) EXPECT_TRUE(c->isChecked());
    w.cmdClearAll->click();
    for (QCheckBox* c : w.chkCategory) EXPECT_FALSE(c->isChecked());
    w.cmdSelectAll->click();
    EXPECT_TRUE(w.chkTimers->isChecked());
    w.cmdCancel->click();
  });
  EXPECT_FALSE(cancelled.has_value());
  EXPECT_FALSE(session_->DownloadCancelled());
  EXPECT_EQ(session_->Configuration().pointNames[0].name, "kept");

  // OK with every box cleared empties the configuration, reads nothing and says nothing.
  auto none = Import([](FrmBrainProgress& w) {
    w.cmdClearAll->click();
    w.cmdStart->click();
  });
  ASSERT_TRUE(none.has_value());
  EXPECT_TRUE(none->replaced);
  EXPECT_EQ(session_->Configuration().pointNames[0].name, "");
  EXPECT_EQ(Sent(), before);
  EXPECT_TRUE(prompter_.log.empty());
}

// Cancel pressed while the first record is awaited: that record is the last, the configuration is
// kept, and the flag is clear once the window has closed.
TEST_F(BrainProgressTest, CancelWhileReadingStopsAndKeepsTheConfiguration) {
  sim::SimOptions slow;
  slow.faults.delayMs = 50;
  Start(slow);
  const int before = Sent();
  auto r = Import([](FrmBrainProgress& w) {
    w.cmdClearAll->click();
    w.chkAlarms->setChecked(true);
    QTimer::singleShot(0, &w, [&w] { w.cmdCancel->click(); });
    w.cmdStart->click();
  });
  ASSERT_TRUE(r.has_value());
  EXPECT_TRUE(r->cancelled);
  EXPECT_EQ(Sent(), before + 1);
  EXPECT_EQ(session_->Configuration().pointNames[0].name, "kept");
  EXPECT_FALSE(session_->DownloadCancelled());
}

}  // namespace
}  // namespace kestrio::ui
