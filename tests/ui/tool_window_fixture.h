#pragma once
// The main window on the offscreen platform over a session with an in-process simulated brain; the
// scripted prompter's "show the status window" goes to the main window's hook as the desktop program's.
#include "support/sim_session.h"
// clang-format off
#include "ui/main_window.h"
// clang-format on

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>
#include <string>

namespace kestrio::ui::test {

class ToolWindowTest : public kestrio::test::SimSession {
 protected:
  // Builds the session and the main window; settings written before this are what start-up sees.
  void Open() {
    OpenSession();
    window_ = std::make_unique<FrmMain>(*session_, prompter_);
    prompter_.hook = [this] { window_->Hooks().openStatusWindow(); };
  }
  void ConnectToSim() {
    window_->txtRemoteHost->setText(QString::fromStdString(SimHost()));
    window_->cmdConnect->click();
    ASSERT_TRUE(session_->GetLink().IsConnected());
    prompter_.Clear();
  }
  void StartAndConnect(sim::SimOptions opts = {}) {
    ASSERT_TRUE(StartSim(std::move(opts))) << sim_->Error();
    Open();
    ConnectToSim();
  }
  void TearDown() override {
    window_.reset();
    SimSession::TearDown();
  }
  // Packets sent so far, counted in the log.
  int SentCount() const { return static_cast<int>(kestrio::test::Count(LogText(), "Sending ")); }

  std::unique_ptr<FrmMain> window_;
};

}  // namespace kestrio::ui::test
