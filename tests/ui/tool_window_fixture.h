#pragma once
// The main window connected to an in-process simulated brain over TCP, with a scripted prompter whose
// "show the status window" goes to the main window's hook as the desktop program's prompter does.
// The simulator header comes before any Qt header: its rack has a member named like Qt's `slots` keyword.
#include "sim/server.h"
// clang-format off
#include "ui/main_window.h"
// clang-format on

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>

#include "protocol/prompter.h"
#include "transport/session.h"

namespace kestrio::ui::test {

class HookedPrompter : public ScriptedPrompter {
 public:
  void ShowStatus() override {
    ScriptedPrompter::ShowStatus();
    if (hook) hook();
  }
  std::function<void()> hook;
};

class ToolWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  // Starts the simulator with `opts`, builds the session and the main window and connects.
  void StartAndConnect(sim::SimOptions opts = {}) {
    sim_ = std::make_unique<sim::SimServer>(std::move(opts));
    ASSERT_TRUE(sim_->Start("127.0.0.1", 0)) << sim_->Error();
    session_ = std::make_unique<Session>(prompter_, dir_.filePath("kestrio.ini").toStdString());
    window_ = std::make_unique<FrmMain>(*session_, prompter_);
    prompter_.hook = [this] { window_->Hooks().openStatusWindow(); };
    window_->txtRemoteHost->setText(QString("127.0.0.1:%1").arg(sim_->Port()));
    window_->cmdConnect->click();
    ASSERT_TRUE(session_->GetLink().IsConnected());
    prompter_.Clear();
  }

  void TearDown() override {
    window_.reset();
    session_.reset();
    if (sim_) sim_->Stop();
  }

  std::string LogText() const { return session_->Log().Text().toStdString(); }
  // How many packets have been sent so far, from the message log.
  int SentCount() const {
    const std::string log = LogText();
    int n = 0;
    for (std::size_t at = log.find("Sending "); at != std::string::npos; at = log.find("Sending ", at + 1))
      ++n;
    return n;
  }

  QTemporaryDir dir_;
  HookedPrompter prompter_;
  std::unique_ptr<sim::SimServer> sim_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<FrmMain> window_;
};

}  // namespace kestrio::ui::test
