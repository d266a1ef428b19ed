// The main window on the offscreen platform against an in-process simulated brain; a scripted prompter
// stands in for the message boxes.
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

using Strings = std::vector<std::string>;

// What a whole logged exchange gives is the window's test below; here, the selection's limits.
TEST(MainRules, LogSelectionIsDecodedOnlyWhenEnabledShortAndHoldingHexWords) {
  EXPECT_FALSE(SelectionToDecode(false, "0004C1200000000000000000"));
  EXPECT_EQ(SelectionToDecode(true, "\nReceived:  0004C120 [Write Response]").value_or("?"), "0004C120");
  EXPECT_FALSE(SelectionToDecode(true, ""));
  EXPECT_FALSE(SelectionToDecode(true, "Connection closed."));
  EXPECT_TRUE(SelectionToDecode(true, std::string(7999, 'A')));
  EXPECT_FALSE(SelectionToDecode(true, std::string(8000, 'A')));
}

class MainWindowTest : public test::ToolWindowTest {
 protected:
  void SetUp() override {
    ToolWindowTest::SetUp();
    ASSERT_TRUE(StartSim()) << sim_->Error();
    Open();
  }
  std::string WidgetText() const { return window_->txtMsgBox->toPlainText().toStdString(); }
};

TEST_F(MainWindowTest, StartsWithDefaultsMenusAndHelpAndRemembersHostAndTimeout) {
  EXPECT_EQ(window_->txtRemoteHost->text(), "");
  EXPECT_EQ(session_->TimeoutSeconds(), 30);
  EXPECT_EQ(window_->lblTXRXTime->text(), "");
  EXPECT_FALSE(window_->AutoParsingOn());
  EXPECT_EQ(window_->windowTitle(), "Kestrio");
  // The guide line names the guide found beside the program (here the source tree's), which then opens.
  QString guideOpened;
  window_->SetGuideOpener([&guideOpened](const QString& path) { guideOpened = path; });
  window_->mnuHowToUse->trigger();
  ASSERT_EQ(prompter_.log.size(), 1u);
  EXPECT_EQ(prompter_.log[0].title, "Kestrio Help");
  EXPECT_TRUE(prompter_.log[0].text.starts_with(
      "This utility assumes that an Tessel Ethernet brain is connected via Ethernet \n"));
  EXPECT_TRUE(prompter_.log[0].text.ends_with("IP address of the connected Tessel Ethernet brain."));
  EXPECT_TRUE(guideOpened.endsWith("docs/guide.md")) << guideOpened.toStdString();
  EXPECT_NE(prompter_.log[0].text.find("user's guide (" + guideOpened.toStdString() + ")"),
            std::string::npos);

  // Option pages go above the fixed entries; the menu holds twenty at most.
  int opened = 0;
  for (int i = 0; i < FrmMain::kMaxOptionPageEntries; ++i)
    ASSERT_NE(window_->AddOptionPageEntry(QString("Page %1").arg(i), [&opened] { ++opened; }), nullptr);
  EXPECT_EQ(window_->AddOptionPageEntry("One too many", [] {}), nullptr);
  EXPECT_EQ(window_->mnuAdvanced->actions().first()->text(), "Page 0");
  window_->mnuAdvanced->actions().first()->trigger();
  EXPECT_EQ(opened, 1);

  window_.reset();
  Settings(SettingsPath()).SetDefaultIP("brain.local:2002");
  Settings(SettingsPath()).SetDefaultTimeout(45);
  Open();
  EXPECT_EQ(window_->txtRemoteHost->text(), "brain.local:2002");
  EXPECT_EQ(session_->TimeoutSeconds(), 45);
}

TEST_F(MainWindowTest, TimeoutDialogSetsTheEngineAndTheStoreOnlyForValidAnswers) {
  auto answer = [&](std::optional<std::string> text) {
    prompter_.Clear();
    prompter_.inputs.push_back(std::move(text));
    window_->mnuSetTimeout->trigger();
  };
  // The engine's timeout and the stored one, which must always agree.
  auto timeout = [&] {
    EXPECT_EQ(session_->TimeoutSeconds(), Settings(SettingsPath()).DefaultTimeout());
    return session_->TimeoutSeconds();
  };
  answer("2.5");
  ASSERT_EQ(prompter_.log.size(), 1u);
  EXPECT_EQ(prompter_.log[0].kind, "input");
  EXPECT_EQ(prompter_.log[0].title, "Set Timeout in Seconds");
  EXPECT_EQ(prompter_.log[0].text,
            "Timeout is currently set at:  30 seconds.\n\nThis is the amount of time Kestrio will\n"
            "wait for a response from the Tessel Ethernet brain\nbefore giving up.\n\nEnter new timeout: ");
  // Answers are rounded; what is out of range or no number is refused in the rule's words.
  const std::pair<const char*, int> accepted[] = {{"2.5", 2}, {"3.5", 4},  {"1", 1},   {"3000", 3000},
                                                  {"5a", 5},  {" 45", 45}, {"0.6", 1}, {"2999.5", 3000}};
  for (const auto& [text, value] : accepted) {
    answer(text);
    EXPECT_EQ(timeout(), value) << text;
  }
  for (const std::string text :
       {"0", "0.4", "3001", "3000.6", "-5", "ten", "abc", "70000", "99999999999999999999999", "."}) {
    answer(text);
    EXPECT_EQ(prompter_.Messages(), Strings{"'" + text +
                                            "' is not a valid timeout value.  Must be non-zero number no "
                                            "greater than  3000."});
  }
  answer(std::nullopt);  // Cancel
  answer(std::string());
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(timeout(), 3000);
}

// The exact lines are the engine's test; here, that they reach the window and the host is kept.
TEST_F(MainWindowTest, ConnectShowsTheEnginesLinesAndKeepsTheHost) {
  window_->txtRemoteHost->setText(QString::fromStdString(SimHost()));
  window_->cmdConnect->click();
  RequestEngine& engine = session_->Engine();
  ASSERT_TRUE(session_->IsConnected());
  EXPECT_EQ(prompter_.Messages(), Strings{"\nConnected to: 127.0.0.1"});
  EXPECT_EQ(Settings(SettingsPath()).DefaultIP(), SimHost());
  EXPECT_TRUE(
      WidgetText().starts_with("127.0.0.1\nSending Power-up Clear.\n\nSending [Write Quad Request]: "));
  EXPECT_TRUE(WidgetText().ends_with("\nReceived:  " + engine.LastReply() + " [Write Response]"));
  EXPECT_EQ(WidgetText(), LogText());
  EXPECT_FALSE(window_->lblTXRXTime->text().isEmpty());
  EXPECT_EQ(window_->lblTXRXTime->text().toStdString(), engine.TxRxTime());

  // The widget follows appends and replacements, and the operator's click moves the log's caret.
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

TEST_F(MainWindowTest, WindowsNeedingAConnectionAreRefusedUntilConnected) {
  test::RecordingNavigator windows;
  window_->SetNavigator(&windows);
  Strings& opened = windows.opened;
  auto pressAll = [&] {
    prompter_.Clear();
    opened.clear();
    window_->cmdConfigure->click();
    window_->cmdReadWrite->click();
    window_->mnuViewStatus->trigger();
    window_->mnuMemoryMap->trigger();
    window_->mnuSendPackets->trigger();  // needs no connection
  };
  pressAll();
  EXPECT_EQ(prompter_.Messages(), Strings(4, "Operation not allowed - not yet Connected."));
  EXPECT_EQ(opened, (Strings{"close points", "close points", "manual"}));
  ConnectToSim();
  pressAll();
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(opened, (Strings{"close points", "configure", "close points", "read/write", "status",
                             "memory map", "manual"}));
}

TEST_F(MainWindowTest, DisconnectAndExitCloseTheConnection) {
  QSignalSpy exits(window_.get(), &FrmMain::exitRequested);
  window_->show();
  const std::function<void()> closers[] = {[&] { window_->cmdDisconnect->click(); },
                                           [&] { window_->mnuExit->trigger(); }};
  for (const auto& close : closers) {
    ConnectToSim();
    close();
    EXPECT_EQ(session_->GetConnection().State(), ConnectionState::Closed);
    EXPECT_TRUE(WidgetText().ends_with("\nConnection closed."));
  }
  EXPECT_EQ(exits.count(), 1);
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, ConfigureEventsOffersToConnectThenToWorkOffLine) {
  test::RecordingNavigator windows;
  window_->SetNavigator(&windows);
  // Returns the questions asked.
  auto configure = [&](const std::string& host, std::deque<Answer> answers) {
    prompter_.Clear();
    window_->txtRemoteHost->setText(QString::fromStdString(host));
    prompter_.answers = std::move(answers);
    window_->mnuConfigureEvents->trigger();
    Strings asked;
    for (const auto& e : prompter_.log)
      if (e.kind == "ask") asked.push_back(e.text);
    return asked;
  };
  const std::string anyDevice = "You are not currently connected to any device.\nAttempt to connect?";
  const std::string offLine = "Would you like to work off-line?";
  EXPECT_EQ(configure("", {Answer::Cancel}), Strings{anyDevice});
  EXPECT_EQ(configure("", {Answer::No, Answer::Cancel}), (Strings{anyDevice, offLine}));
  EXPECT_TRUE(windows.opened.empty());

  // Nothing listens on port 1: the attempt fails, says so, and working off-line is offered.
  EXPECT_EQ(configure("127.0.0.1:1", {Answer::Yes, Answer::Yes}),
            (Strings{"You are not currently connected to 127.0.0.1:1.\nAttempt to connect?", offLine}));
  EXPECT_EQ(prompter_.Messages(),
            (Strings{"\nCould not connect to: 127.0.0.1:1", "Could not connect to 127.0.0.1:1."}));
  EXPECT_TRUE(window_->WorkingOffLine());
  EXPECT_EQ(windows.opened, (Strings{"configuration", "reset events"}));

  EXPECT_EQ(configure(SimHost(), {Answer::Yes}).size(), 1u);
  EXPECT_FALSE(window_->WorkingOffLine());
  EXPECT_EQ(windows.opened, (Strings{"configuration", "reset events", "download", "reset events"}));
}

TEST_F(MainWindowTest, AutoParsingSaysSoAndDecodesSelectedLogPackets) {
  ConnectToSim();
  window_->txtMsgBox->selectAll();
  EXPECT_FALSE(window_->Windows().PacketDecoder()->isVisible());
  for (const bool on : {true, false}) {
    prompter_.Clear();
    window_->mnuAutoParsing->trigger();
    const std::string word = on ? "Enabled" : "Disabled";
    EXPECT_EQ(window_->AutoParsingOn(), on);
    EXPECT_EQ(window_->mnuAutoParsing->isChecked(), on);
    EXPECT_EQ(window_->mnuAutoParsing->text().toStdString(), "AutoParsing " + word);
    ASSERT_EQ(prompter_.log.size(), 1u);
    EXPECT_EQ(prompter_.log[0].text, "AutoParsing is now: " + word + ".");
    EXPECT_EQ(prompter_.log[0].title, "AutoParsing");
    if (!on) break;
    // Select from the sent packet's line to the end: the request and the reply.
    const int from = window_->txtMsgBox->toPlainText().indexOf("Sending [Write");
    ASSERT_GE(from, 0);
    QTextCursor cursor = window_->txtMsgBox->textCursor();
    cursor.setPosition(from);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    window_->txtMsgBox->setTextCursor(cursor);
    EXPECT_TRUE(window_->Windows().PacketDecoder()->isVisible());
    const QString decoded = window_->Windows().PacketDecoder()->DecodedText();
    EXPECT_TRUE(decoded.contains("Packet 1: [Write Quad Request], 32 digits")) << decoded.toStdString();
    EXPECT_TRUE(decoded.contains("Packet 2: [Write Response], 24 digits")) << decoded.toStdString();
    EXPECT_FALSE(decoded.contains("!")) << decoded.toStdString();  // no packet reported malformed
  }
}

TEST_F(MainWindowTest, RequestControlsAreDisabledWhileATransactionWaits) {
  ConnectToSim();
  window_->mnuViewStatus->trigger();
  FrmStatus* status = window_->Windows().StatusWindow();
  ASSERT_NE(status, nullptr);
  sim_->SetFaultPlan({.delayMs = 300});
  auto enabled = [&] {
    return std::vector<bool>{window_->cmdConnect->isEnabled(), window_->mnuViewStatus->isEnabled(),
                             status->cmdStore->isEnabled(), window_->cmdDisconnect->isEnabled()};
  };
  std::vector<bool> whileWaiting;
  // Runs inside the engine's wait, before the delayed reply can arrive.
  QTimer::singleShot(0, window_.get(), [&] { whileWaiting = enabled(); });
  RequestEngine& engine = session_->Engine();
  const Reply reply =
      engine.SendAndAwaitReply(engine.Builder().BuildReadQuadRequest("FFFFF0300000"), kReadQuadRequest);
  EXPECT_EQ(reply.outcome, Outcome::Replied);
  // The operator can always abandon the connection.
  EXPECT_EQ(whileWaiting, (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(enabled(), (std::vector<bool>{true, true, true, true}));
}

}  // namespace
}  // namespace kestrio::ui
