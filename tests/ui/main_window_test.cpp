// The main window on the offscreen platform, talking to an in-process simulated brain over TCP.
// A scripted prompter stands in for the message boxes so nothing modal blocks a test.
#include "ui/tool_window_fixture.h"
// clang-format off
#include "ui/status_window.h"
// clang-format on

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTextCursor>
#include <QTimer>

#include "protocol/packet.h"
#include "ui/main_rules.h"
#include "ui/packet_decoder_window.h"

namespace kestrio::ui {
namespace {

const std::string kNotConnectedText = "Operation not allowed - not yet Connected.";

class MainWindowTest : public test::ToolWindowTest {
 protected:
  void SetUp() override {
    ToolWindowTest::SetUp();
    ASSERT_TRUE(StartSim()) << sim_->Error();
  }
  std::string WidgetText() const { return window_->txtMsgBox->toPlainText().toStdString(); }
};

QStringList ActionTexts(const QMenu* menu) {
  QStringList out;
  for (const QAction* a : menu->actions())
    if (!a->isSeparator()) out << a->text();
  return out;
}

TEST_F(MainWindowTest, StartsWithDefaultsAndTheMenusInOrder) {
  Open();
  EXPECT_EQ(window_->txtRemoteHost->text(), "");
  EXPECT_EQ(session_->GetLink().TimeoutSeconds(), 30);
  EXPECT_EQ(window_->lblTXRXTime->text(), "");
  EXPECT_FALSE(window_->AutoParsingOn());
  EXPECT_EQ(window_->windowTitle(), "Kestrio");

  QStringList menus;
  for (const QAction* a : window_->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, QStringList({"&Options", "&Advanced", "&Help"}));
  EXPECT_EQ(ActionTexts(window_->mnuOptions), QStringList({"&View Status...", "Set &Timeout...", "E&xit"}));
  EXPECT_EQ(ActionTexts(window_->mnuAdvanced),
            QStringList({"&Configure Events/Timers", "&Read/Write Memory Map...", "&Send Packets Manually...",
                         "Auto &Parsing Disabled"}));
  EXPECT_EQ(ActionTexts(window_->mnuHelp), QStringList({"How To Use Kestrio", "About Kestrio"}));

  // Option pages go above the fixed entries; the menu holds twenty at most.
  int opened = 0;
  for (int i = 0; i < FrmMain::kMaxOptionPageEntries; ++i)
    ASSERT_NE(window_->AddOptionPageEntry(QString("Page %1").arg(i), [&opened] { ++opened; }), nullptr);
  EXPECT_EQ(window_->AddOptionPageEntry("One too many", [] {}), nullptr);
  EXPECT_EQ(window_->mnuAdvanced->actions().first()->text(), "Page 0");
  window_->mnuAdvanced->actions().first()->trigger();
  EXPECT_EQ(opened, 1);

  // A stored host and timeout are what the next start-up shows.
  window_.reset();
  {
    Settings stored(SettingsPath());
    stored.SetDefaultIP("brain.local:2002");
    stored.SetDefaultTimeout(45);
  }
  Open();
  EXPECT_EQ(window_->txtRemoteHost->text(), "brain.local:2002");
  EXPECT_EQ(session_->GetLink().TimeoutSeconds(), 45);
}

// Which answers are accepted is the rules' test; here, the dialog, the engine and the stored setting.
TEST_F(MainWindowTest, TimeoutDialogSetsTheEngineAndTheStoreOnlyForValidAnswers) {
  Open();
  Link& link = session_->GetLink();
  auto answer = [&](std::optional<std::string> text) {
    prompter_.Clear();
    prompter_.inputs.push_back(std::move(text));
    window_->mnuSetTimeout->trigger();
  };

  answer("2.5");
  ASSERT_EQ(prompter_.log.size(), 1u);
  EXPECT_EQ(prompter_.log[0].kind, "input");
  EXPECT_EQ(prompter_.log[0].title, "Set Timeout in Seconds");
  EXPECT_EQ(prompter_.log[0].text, TimeoutPrompt(30));
  EXPECT_EQ(link.TimeoutSeconds(), 2);
  EXPECT_EQ(Settings(SettingsPath()).DefaultTimeout(), 2);

  answer("3001");
  EXPECT_EQ(prompter_.Messages(),
            std::vector<std::string>{
                "'3001' is not a valid timeout value.  Must be non-zero number no greater than  3000."});
  answer(std::nullopt);  // Cancel
  answer(std::string());
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(link.TimeoutSeconds(), 2);
  EXPECT_EQ(Settings(SettingsPath()).DefaultTimeout(), 2);
}

// The exact lines are the engine's test; here, that they reach the window and the host is kept.
TEST_F(MainWindowTest, ConnectShowsTheEnginesLinesAndKeepsTheHost) {
  Open();
  window_->txtRemoteHost->setText(QString::fromStdString(SimHost()));
  window_->cmdConnect->click();
  Link& link = session_->GetLink();
  ASSERT_TRUE(link.IsConnected());
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"\nConnected to: 127.0.0.1"});
  EXPECT_EQ(Settings(SettingsPath()).DefaultIP(), SimHost());
  EXPECT_EQ(WidgetText().rfind("127.0.0.1\nSending Power-up Clear.\n\nSending [Write Quad Request]: ", 0),
            0u);
  EXPECT_TRUE(WidgetText().ends_with("\nReceived:  " + link.LastReply() + " [Write Response]"));
  EXPECT_EQ(WidgetText(), LogText());
  EXPECT_EQ(window_->lblTXRXTime->text().toStdString(), link.TxRxTime());
  EXPECT_EQ(link.TxRxTime().size(), 10u);

  // The log widget follows the log, and the operator's click moves the caret its rule counts from.
  MessageLog& log = session_->Log();
  log.Clear();
  log.AddMsg(std::string(9990, 'a'));
  QTextCursor cursor = window_->txtMsgBox->textCursor();
  cursor.setPosition(0);
  window_->txtMsgBox->setTextCursor(cursor);
  EXPECT_EQ(log.Caret(), 0);
  log.AddMsg(std::string(20, 'd'));
  EXPECT_EQ(WidgetText(), std::string(9990, 'a') + std::string(20, 'd'));
  EXPECT_EQ(window_->txtMsgBox->textCursor().position(), 10010);
  log.SetCaret(9990);
  log.AddMsg("\n" + std::string(19, 'c'));  // would pass the limit: replaces the log
  EXPECT_EQ(WidgetText(), "\n" + std::string(19, 'c'));
  EXPECT_EQ(window_->txtMsgBox->textCursor().position(), 20);
}

TEST_F(MainWindowTest, AutoParsingToggleChangesCaptionAndSaysSo) {
  Open();
  window_->mnuAutoParsing->trigger();
  EXPECT_TRUE(window_->AutoParsingOn());
  EXPECT_TRUE(window_->mnuAutoParsing->isChecked());
  EXPECT_EQ(window_->mnuAutoParsing->text(), "AutoParsing Enabled");
  ASSERT_EQ(prompter_.log.size(), 1u);
  EXPECT_EQ(prompter_.log[0].text, "AutoParsing is now: Enabled.");
  EXPECT_EQ(prompter_.log[0].title, "AutoParsing");

  window_->mnuAutoParsing->trigger();
  EXPECT_FALSE(window_->AutoParsingOn());
  EXPECT_FALSE(window_->mnuAutoParsing->isChecked());
  EXPECT_EQ(window_->mnuAutoParsing->text(), "AutoParsing Disabled");
  EXPECT_EQ(prompter_.log.back().text, "AutoParsing is now: Disabled.");
}

TEST_F(MainWindowTest, WindowsNeedingAConnectionAreRefusedUntilConnected) {
  Open();
  std::vector<std::string> opened;
  MainWindowHooks& hooks = window_->Hooks();
  hooks.closePointsWindow = [&] { opened.push_back("close points"); };
  hooks.openPointsWindow = [&](bool configure) { opened.push_back(configure ? "configure" : "read/write"); };
  hooks.openStatusWindow = [&] { opened.push_back("status"); };
  hooks.openMemoryMapWindow = [&] { opened.push_back("memory map"); };
  hooks.openManualPackets = [&] { opened.push_back("manual"); };

  window_->cmdConfigure->click();
  window_->cmdReadWrite->click();
  window_->mnuViewStatus->trigger();
  window_->mnuMemoryMap->trigger();
  window_->mnuSendPackets->trigger();  // needs no connection
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>(4, kNotConnectedText));
  EXPECT_EQ(opened, (std::vector<std::string>{"close points", "close points", "manual"}));

  ConnectToSim();
  opened.clear();
  window_->cmdConfigure->click();
  window_->cmdReadWrite->click();
  window_->mnuViewStatus->trigger();
  window_->mnuMemoryMap->trigger();
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(opened, (std::vector<std::string>{"close points", "configure", "close points", "read/write",
                                              "status", "memory map"}));
}

TEST_F(MainWindowTest, HelpBoxHasItsTitle) {
  Open();
  window_->mnuHowToUse->trigger();
  ASSERT_EQ(prompter_.log.size(), 1u);
  EXPECT_EQ(prompter_.log[0].title, "Kestrio Help");
  EXPECT_NE(prompter_.log[0].text.find("IP address of the connected Tessel Ethernet brain."),
            std::string::npos);
}

TEST_F(MainWindowTest, DisconnectAndExitCloseTheConnection) {
  Open();
  ConnectToSim();
  window_->cmdDisconnect->click();
  EXPECT_EQ(session_->GetLink().State(), Link::kStateClosed);
  EXPECT_TRUE(WidgetText().ends_with("\nConnection closed."));

  ConnectToSim();
  QSignalSpy exits(window_.get(), &FrmMain::exitRequested);
  window_->show();
  window_->mnuExit->trigger();
  EXPECT_EQ(exits.count(), 1);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(session_->GetLink().State(), Link::kStateClosed);
  EXPECT_TRUE(WidgetText().ends_with("\nConnection closed."));
}

TEST_F(MainWindowTest, ConfigureEventsAsksBeforeWorkingOffLine) {
  Open();
  int download = 0, offline = 0, resets = 0;
  window_->Hooks().openDownloadWindow = [&] { ++download; };
  window_->Hooks().openConfigurationWindow = [&] { ++offline; };
  window_->Hooks().resetEventStates = [&] { ++resets; };

  prompter_.answers = {Answer::Cancel};
  window_->mnuConfigureEvents->trigger();
  ASSERT_EQ(prompter_.log.size(), 1u);
  EXPECT_EQ(prompter_.log[0].text, "You are not currently connected to any device.\nAttempt to connect?");
  EXPECT_EQ(resets, 0);

  prompter_.Clear();
  prompter_.answers = {Answer::No, Answer::Yes};
  window_->mnuConfigureEvents->trigger();
  ASSERT_EQ(prompter_.log.size(), 2u);
  EXPECT_EQ(prompter_.log[1].text, "Would you like to work off-line?");
  EXPECT_TRUE(window_->WorkingOffLine());
  EXPECT_EQ(offline, 1);
  EXPECT_EQ(resets, 1);

  // Yes to connecting reaches the brain and downloads instead.
  prompter_.Clear();
  window_->txtRemoteHost->setText(QString::fromStdString(SimHost()));
  prompter_.answers = {Answer::Yes};
  window_->mnuConfigureEvents->trigger();
  EXPECT_EQ(prompter_.log[0].text,
            "You are not currently connected to " + SimHost() + ".\nAttempt to connect?");
  EXPECT_FALSE(window_->WorkingOffLine());
  EXPECT_EQ(download, 1);
  EXPECT_EQ(offline, 1);
  EXPECT_EQ(resets, 2);
}

TEST_F(MainWindowTest, SelectedLogPacketsAreDecodedWhenAutoParsingIsOn) {
  Open();
  ConnectToSim();
  // Without Auto Parsing a selection opens nothing.
  window_->txtMsgBox->selectAll();
  EXPECT_FALSE(window_->PacketDecoder()->isVisible());

  window_->mnuAutoParsing->trigger();
  // Select from the sent packet's line to the end: the request and the reply.
  const QString text = window_->txtMsgBox->toPlainText();
  const int from = text.indexOf("Sending [Write");
  ASSERT_GE(from, 0);
  QTextCursor cursor = window_->txtMsgBox->textCursor();
  cursor.setPosition(from);
  cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
  window_->txtMsgBox->setTextCursor(cursor);

  FrmPacketDecoder* decoder = window_->PacketDecoder();
  EXPECT_TRUE(decoder->isVisible());
  const QString decoded = decoder->DecodedText();
  EXPECT_TRUE(decoded.contains("Packet 1: [Write Quad Request], 32 digits")) << decoded.toStdString();
  EXPECT_TRUE(decoded.contains("Packet 2: [Write Response], 24 digits")) << decoded.toStdString();
  EXPECT_TRUE(decoded.contains("FFFFF0380000"));
  EXPECT_FALSE(decoded.contains("!")) << decoded.toStdString();  // no packet reported malformed
}

TEST_F(MainWindowTest, RequestControlsAreDisabledWhileATransactionWaits) {
  Open();
  ConnectToSim();
  window_->mnuViewStatus->trigger();
  FrmStatus* status = window_->StatusWindow();
  ASSERT_NE(status, nullptr);
  sim_->SetFaultPlan({.delayMs = 300});
  bool connectEnabled = true, statusEnabled = true, storeEnabled = true, disconnectEnabled = false;
  // Runs inside the engine's wait, before the delayed reply can arrive.
  QTimer::singleShot(0, window_.get(), [&] {
    connectEnabled = window_->cmdConnect->isEnabled();
    statusEnabled = window_->mnuViewStatus->isEnabled();
    storeEnabled = status->cmdStore->isEnabled();
    disconnectEnabled = window_->cmdDisconnect->isEnabled();
  });
  Link& link = session_->GetLink();
  link.SendAndAwaitReply(link.Builder().BuildReadQuadRequest("FFFFF0300000"), kReadQuadRequest);
  EXPECT_EQ(link.LastOutcome(), Outcome::Replied);
  EXPECT_FALSE(connectEnabled);
  EXPECT_FALSE(statusEnabled);
  EXPECT_FALSE(storeEnabled);
  EXPECT_TRUE(disconnectEnabled);  // the operator can always abandon the connection
  EXPECT_TRUE(window_->cmdConnect->isEnabled());
  EXPECT_TRUE(window_->mnuViewStatus->isEnabled());
  EXPECT_TRUE(status->cmdStore->isEnabled());
}

}  // namespace
}  // namespace kestrio::ui
