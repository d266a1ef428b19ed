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

const CommandCase kCases[] = {
    {DeviceCommand::PowerUpClear, "\nSending Power-up Clear.", "PUC not successful.", "", ""},
    {DeviceCommand::ResetToDefaults, "\nResetting to defaults.", "Reset not successful.", "WARNING!!", ""},
    {DeviceCommand::StoreToEeprom, "\nStoring to EEProm.", "EEProm Store not successful.", "WARNING!!", ""},
    {DeviceCommand::EraseFlash, "\nErasing Flash.", "Erase not successful.", "WARNING!!", ""},
    {DeviceCommand::RestartFromPowerUp, "", "Restart from powerup not successful.", "",
     "Restart from powerup complete."},
    {DeviceCommand::ClearDigitalEvents, "\nClearing Digital Events.", "Clear not successful.", "WARNING!!",
     ""},
};

// Each command in turn: success with the right packet and words; a brain error opens the status
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
    EXPECT_TRUE(RunDeviceCommand(engine, c.command, [] { return true; }));
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
    EXPECT_FALSE(RunDeviceCommand(gone, c.command, [] { return false; }));
    EXPECT_TRUE(gone.sent.empty() && gone.prompter.Messages().empty());
    EXPECT_EQ(gone.log, std::vector<std::string>{"\nCould not send command - not connected."});
  }
}

TEST(DeviceCommand, QuestionsSayWhatIsCleared) {
  const std::string wipe =
      "Are you sure you want to \nwipe out all the configuration \nparameters currently in memory?";
  EXPECT_EQ(CommandConfirmation(DeviceCommand::EraseFlash), wipe);
  EXPECT_EQ(CommandConfirmation(DeviceCommand::ResetToDefaults),
            wipe +
                "\n\nSelecting 'yes' will clear:\nGains and offsets, counters (which are also deactivated),\n"
                "latches, min/max data, totalization values, and averaging info.\n"
                "Digital outputs are turned off Analog outputs are set to\nzero scale (0 counts).");
  EXPECT_EQ(CommandConfirmation(DeviceCommand::ClearDigitalEvents),
            "Are you sure you want to wipe out \nall the digital event configuration \n"
            "parameters currently in memory?");
}

}  // namespace
}  // namespace kestrio
