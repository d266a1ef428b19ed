// The status window against the simulated brain: decoded fields, the last-error frame filled after a
// refused request, and the device commands' confirmations and failures.
#include "ui/tool_window_fixture.h"
// clang-format off
#include "ui/status_window.h"
// clang-format on

#include <QAction>
#include <QCoreApplication>

#include "memmap/memmap_service.h"

namespace kestrio::ui {
namespace {

using test::ToolWindowTest;

class StatusWindowTest : public ToolWindowTest {
 protected:
  QString Field(const char* label) {
    QLineEdit* field = window_->StatusWindow()->Field(label);
    EXPECT_NE(field, nullptr) << label;
    return field ? field->text() : QString();
  }
};

TEST_F(StatusWindowTest, ShowsTheDecodedStatusAndOpensOnARefusedRequestWithoutRereading) {
  StartAndConnect();
  window_->mnuViewStatus->trigger();
  FrmStatus* status = window_->StatusWindow();
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(status->isVisible());
  EXPECT_EQ(status->windowTitle(), "Status");
  // Each field's decoding is the status service's test; here, that each line reaches its box.
  EXPECT_EQ(Field("Power-Up Clear:"), "already sent");
  EXPECT_EQ(Field("Kernel Revision:"), "02.01.00.07");
  EXPECT_EQ(Field("MAC Address:"), "02-4B-45-53-54-01");
  EXPECT_EQ(Field("TCP/IP Address:"), "127.0.0.1");
  EXPECT_EQ(Field("Code:"), "0: No error.");
  status->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(window_->StatusWindow(), nullptr);

  // A read the brain refuses opens the window, which shows the brain's own error.
  std::string offset = "FFFFF0900010";
  std::string none;
  const MemMapResult r = MemMapTransfer(session_->Engine(), 1, offset, none, true, true, 1000);
  EXPECT_EQ(r.deviceErrors, 1) << LogText() << ::testing::PrintToString(prompter_.Messages());
  status = window_->StatusWindow();
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(Field("Code:"), "E005: Invalid memory address.");
  EXPECT_EQ(Field("Destination Offset:"), "F0900010");
  EXPECT_FALSE(Field("Transaction Label:").isEmpty());

  // Opening it again only brings it to the front: nothing is sent, nothing changes.
  status->Field("Code:")->setText("untouched");
  const int sent = SentCount();
  window_->mnuViewStatus->trigger();
  prompter_.ShowStatus();
  EXPECT_EQ(SentCount(), sent);
  EXPECT_EQ(window_->StatusWindow(), status);
  EXPECT_EQ(Field("Code:"), "untouched");
}

TEST_F(StatusWindowTest, CommandsAskFirstAndReportTheirFailure) {
  // A flash kept in a folder that does not exist cannot be written: the brain refuses the store.
  StartAndConnect({.stateFile = Path("missing-folder/flash.txt")});
  window_->mnuViewStatus->trigger();
  FrmStatus* status = window_->StatusWindow();
  ASSERT_NE(status, nullptr);
  prompter_.Clear();

  // The confirmation texts and each command's words are the service's test; here, the window's wiring.
  prompter_.answers = {Answer::Yes};
  status->cmdStore->click();
  ASSERT_FALSE(prompter_.log.empty());
  EXPECT_EQ(prompter_.log[0].kind, "ask");
  EXPECT_NE(LogText().find("\nStoring to EEProm."), std::string::npos);
  // The refusal brings the status window forward and says "not successful".
  EXPECT_EQ(prompter_.statusShown, 1);
  EXPECT_EQ(window_->StatusWindow(), status);
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"EEProm Store not successful."});
  prompter_.Clear();
  status->cmdRestart->click();
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"Restart from powerup complete."});

  // Without a connection a confirmed command is only logged as not sent.
  window_->cmdDisconnect->click();
  prompter_.Clear();
  prompter_.answers = {Answer::Yes};
  const int sent = SentCount();
  status->cmdEraseFlash->click();
  EXPECT_EQ(SentCount(), sent);
  EXPECT_NE(LogText().find("\nCould not send command - not connected."), std::string::npos);
}

}  // namespace
}  // namespace kestrio::ui
