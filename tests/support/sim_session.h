#pragma once
// A simulated brain on a free loopback port and a fresh session (settings in a temporary folder) with a
// prompter that records every message: the fixture of every test that talks to the simulator over TCP.
// The simulator header comes before any Qt header: its rack has a member named like Qt's `slots` keyword.
#include "sim/server.h"
// clang-format off
#include <gtest/gtest.h>
#include <QTemporaryDir>
// clang-format on
#include <functional>
#include <memory>
#include <string>

#include "protocol/prompter.h"
#include "core/session.h"

namespace kestrio::test {

// "Show the status window" can be routed to a real window, as the desktop program's prompter does.
class HookedPrompter : public ScriptedPrompter {
 public:
  void ShowStatus() override {
    ScriptedPrompter::ShowStatus();
    if (hook) hook();
  }
  std::function<void()> hook;
};

class SimSession : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  void TearDown() override {
    session_.reset();
    StopSim();
  }

  // A fresh brain (power-up clear pending) on `port`, 0 for a free one.
  bool StartSim(sim::SimOptions opts = {}, std::uint16_t port = 0) {
    sim_ = std::make_unique<sim::SimServer>(std::move(opts));
    if (!sim_->Start("127.0.0.1", port)) return false;
    port_ = sim_->Port();
    return true;
  }
  void StopSim() {
    if (sim_) sim_->Stop();
  }
  // Settings written to SettingsPath() before this are what start-up sees.
  void OpenSession() { session_ = std::make_unique<Session>(prompter_, SettingsPath()); }

  std::string SettingsPath() const { return dir_.filePath("kestrio.ini").toStdString(); }
  std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }
  std::string SimHost() const { return "127.0.0.1:" + std::to_string(port_); }
  RequestEngine& engine() { return session_->Engine(); }
  std::string LogText() const { return session_->Log().Utf8(); }

  QTemporaryDir dir_;
  HookedPrompter prompter_;
  std::unique_ptr<sim::SimServer> sim_;
  std::unique_ptr<Session> session_;
  std::uint16_t port_ = 0;
};

// How often `what` occurs in `text`.
inline std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace kestrio::test
