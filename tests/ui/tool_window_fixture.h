#pragma once
// The main window on the offscreen platform over a session with an in-process simulated brain; the
// scripted prompter's "show the status window" goes to the main window's hook as the desktop program's.
#include "support/sim_session.h"
// clang-format off
#include "ui/main_window.h"
// clang-format on
#include "ui/navigator.h"
#include "ui/unit_window.h"
#include "ui/window_context.h"

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
    window_ = std::make_unique<FrmMain>(*session_);
    prompter_.hook = [this] { window_->Context().Navigate().OpenStatusWindow(); };
  }
  void ConnectToSim() {
    window_->txtRemoteHost->setText(QString::fromStdString(SimHost()));
    window_->cmdConnect->click();
    ASSERT_TRUE(session_->IsConnected());
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

// Records what the main window asks to open, by name, instead of opening it.
class RecordingNavigator : public Navigator {
 public:
  void OpenStatusWindow() override { opened.push_back("status"); }
  void OpenMemoryMapWindow() override { opened.push_back("memory map"); }
  void OpenManualPackets() override { opened.push_back("manual"); }
  void OpenOptionPage(const QString& pageFile) override { opened.push_back("page " + pageFile.toStdString()); }
  void OpenPointsWindow(bool configure) override { opened.push_back(configure ? "configure" : "read/write"); }
  void ClosePointsWindow() override { opened.push_back("close points"); }
  void OpenDownloadWindow() override { opened.push_back("download"); }
  void OpenConfigurationWindow() override { opened.push_back("configuration"); }
  void ResetEventStates() override { opened.push_back("reset events"); }
  bool OpenNameWindow(config::View, int item, QWidget*) override {
    opened.push_back("name " + std::to_string(item));
    return false;
  }
  void OpenItemEditor(config::Editor, int item, QWidget*) override {
    opened.push_back("editor " + std::to_string(item));
  }
  void ShowPacket(const QString&) override { opened.push_back("decoder"); }
  void ShowTxRxTime(const QString&) override {}
  void OpenUnitJob(UnitJob job) override {
    opened.push_back(job == UnitJob::Backup ? "backup" : job == UnitJob::Restore ? "restore" : "report");
  }
  std::vector<std::string> opened;
};

}  // namespace kestrio::ui::test
