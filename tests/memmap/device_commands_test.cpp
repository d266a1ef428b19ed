#include "memmap/device_commands.h"

#include <gtest/gtest.h>

#include "support/fake_engine.h"

namespace kestrio {
namespace {

using test::FakeEngine;
using test::WriteResponse;

struct CommandCase {
  DeviceCommand command;
  std::string logLine;  // "" for none
  std::string failure, failureTitle;
  std::string success;  // "" for none
};

// One command of each kind: the power-up clear (no question), a confirmed one, and the restart (the
// only one with a success message).
const CommandCase kCases[] = {
    {DeviceCommand::PowerUpClear, "\nSending Power-up Clear.", "PUC not successful.", "", ""},
    {DeviceCommand::EraseFlash, "\nErasing Flash.", "Erase not successful.", "WARNING!!", ""},
    {DeviceCommand::RestartFromPowerUp, "", "Restart from powerup not successful.", "",
     "Restart from powerup complete."},
};

// Each kind in turn: success with the right packet and words; a brain error opens the status
// window and says "not successful"; a timeout is never reported as done; a refused confirmation sends
// and logs nothing, and so does a confirmed one without a connection.
TEST(DeviceCommand, ConfirmationSuccessAndEveryFailure) {
  for (const CommandCase& c : kCases) {
    const std::string value = std::to_string(static_cast<int>(c.command));
    SCOPED_TRACE(value);
    const bool confirmed = c.failureTitle == "WARNING!!";
    FakeEngine engine;
    engine.prompter.defaultAnswer = Answer::Yes;
    engine.replies = {WriteResponse(), WriteResponse(5), std::nullopt};
    EXPECT_TRUE(RunDeviceCommand(engine, c.command));
    EXPECT_EQ(engine.Packets(), std::vector<std::string>{"000004000000FFFFF03800000000000" + value});
    EXPECT_EQ(engine.prompter.log.size(), (confirmed ? 1u : 0u) + (c.success.empty() ? 0u : 1u));
    // Without a line of its own the log begins with the packet's.
    EXPECT_EQ(engine.log.front().substr(0, c.logLine.empty() ? 10 : std::string::npos),
              c.logLine.empty() ? "\n\nSending " : c.logLine);
    EXPECT_EQ(engine.prompter.Messages(),
              c.success.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.success});
    for (int shown : {1, 0}) {  // the brain's error, then the timeout
      engine.prompter.Clear();
      EXPECT_FALSE(RunDeviceCommand(engine, c.command));
      EXPECT_EQ(engine.prompter.statusShown, shown);
      EXPECT_EQ(engine.prompter.log.back().text, c.failure);
      EXPECT_EQ(engine.prompter.log.back().title, c.failureTitle);
    }
    if (!confirmed) continue;
    FakeEngine refused;  // answers No
    EXPECT_FALSE(RunDeviceCommand(refused, c.command));
    EXPECT_TRUE(refused.sent.empty() && refused.log.empty());
    ASSERT_EQ(refused.prompter.log.size(), 1u);  // the question alone
    EXPECT_EQ(refused.prompter.log[0].title, "WARNING!!");
    FakeEngine gone;  // confirmed, but the connection is closed
    gone.prompter.defaultAnswer = Answer::Yes;
    gone.connected = false;
    EXPECT_FALSE(RunDeviceCommand(gone, c.command));
    EXPECT_TRUE(gone.sent.empty() && gone.prompter.Messages().empty());
    EXPECT_EQ(gone.log, std::vector<std::string>{"\nCould not send command - not connected."});
  }
}

}  // namespace
}  // namespace kestrio
