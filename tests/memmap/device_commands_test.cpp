#include "memmap/device_commands.h"

#include <gtest/gtest.h>

#include <ostream>

#include "support/fake_engine.h"

namespace kestrio {
namespace {

using test::FakeEngine;
using test::WriteResponse;

struct CommandCase {
  DeviceCommand command;
  std::string packet;   // the first request after start, label 1
  std::string logLine;  // "" for none
  std::string failure;
  std::string failureTitle;
  std::string success;  // "" for none
  bool confirmed;
};

const CommandCase kCases[] = {
    {DeviceCommand::PowerUpClear, "000004000000FFFFF038000000000001", "\nSending Power-up Clear.",
     "PUC not successful.", "", "", false},
    {DeviceCommand::ResetToDefaults, "000004000000FFFFF038000000000002", "\nResetting to defaults.",
     "Reset not successful.", "WARNING!!", "", true},
    {DeviceCommand::StoreToEeprom, "000004000000FFFFF038000000000003", "\nStoring to EEProm.",
     "EEProm Store not successful.", "WARNING!!", "", true},
    {DeviceCommand::EraseFlash, "000004000000FFFFF038000000000004", "\nErasing Flash.",
     "Erase not successful.", "WARNING!!", "", true},
    {DeviceCommand::RestartFromPowerUp, "000004000000FFFFF038000000000005", "",
     "Restart from powerup not successful.", "", "Restart from powerup complete.", false},
    {DeviceCommand::ClearDigitalEvents, "000004000000FFFFF038000000000006", "\nClearing Digital Events.",
     "Clear not successful.", "WARNING!!", "", true},
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << "command " << static_cast<int>(c.command); }

class DeviceCommandTest : public ::testing::TestWithParam<CommandCase> {};

// Success with the right packet and words; a brain error opens the status window and says "not
// successful"; a timeout is never reported as done; a refused confirmation sends and logs nothing.
TEST_P(DeviceCommandTest, ConfirmationSuccessAndEveryFailure) {
  const CommandCase& c = GetParam();
  FakeEngine engine;
  engine.prompter.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
  engine.replies = {WriteResponse(), WriteResponse(5), std::nullopt};
  EXPECT_TRUE(RunDeviceCommand(engine, c.command, [] { return true; }));
  EXPECT_EQ(engine.Packets(), std::vector<std::string>{c.packet});
  if (c.confirmed) {
    ASSERT_FALSE(engine.prompter.log.empty());
    EXPECT_EQ(engine.prompter.log[0].kind, "ask");
    EXPECT_EQ(engine.prompter.log[0].title, "WARNING!!");
  }
  ASSERT_FALSE(engine.log.empty());
  const std::string first = engine.log.front();  // without a line of its own, the packet's
  EXPECT_EQ(c.logLine.empty() ? first.substr(0, 10) : first, c.logLine.empty() ? "\n\nSending " : c.logLine);
  EXPECT_EQ(engine.prompter.Messages(),
            c.success.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.success});

  engine.prompter.Clear();
  EXPECT_FALSE(RunDeviceCommand(engine, c.command));
  EXPECT_EQ(engine.prompter.statusShown, 1);
  ASSERT_FALSE(engine.prompter.log.empty());
  EXPECT_EQ(engine.prompter.log.back().text, c.failure);
  EXPECT_EQ(engine.prompter.log.back().title, c.failureTitle);

  engine.prompter.Clear();
  EXPECT_FALSE(RunDeviceCommand(engine, c.command));
  EXPECT_EQ(engine.prompter.statusShown, 0);
  EXPECT_EQ(engine.prompter.Messages().back(), c.failure);

  if (!c.confirmed) return;
  engine.prompter.Clear();
  engine.log.clear();
  engine.sent.clear();
  engine.prompter.answers = {Answer::No};
  EXPECT_FALSE(RunDeviceCommand(engine, c.command));
  EXPECT_TRUE(engine.sent.empty());
  EXPECT_TRUE(engine.log.empty());
  EXPECT_EQ(engine.prompter.log.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(AllCommands, DeviceCommandTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CommandCase>& info) {
                           return "Value" + std::to_string(static_cast<int>(info.param.command));
                         });

TEST(DeviceCommand, ConfirmedCommandWithoutConnectionOnlyLogs) {
  FakeEngine engine;
  engine.prompter.answers = {Answer::Yes};
  EXPECT_FALSE(RunDeviceCommand(engine, DeviceCommand::EraseFlash, [] { return false; }));
  EXPECT_TRUE(engine.sent.empty());
  EXPECT_EQ(engine.log, std::vector<std::string>{"\nCould not send command - not connected."});
  EXPECT_TRUE(engine.prompter.Messages().empty());
}

TEST(DeviceCommand, ResetQuestionWarnsWhatIsCleared) {
  EXPECT_EQ(CommandConfirmation(DeviceCommand::ResetToDefaults),
            "Are you sure you want to \nwipe out all the configuration \nparameters currently in memory?\n\n"
            "Selecting 'yes' will clear:\nGains and offsets, counters (which are also deactivated),\n"
            "latches, min/max data, totalization values, and averaging info.\n"
            "Digital outputs are turned off Analog outputs are set to\nzero scale (0 counts).");
  EXPECT_EQ(CommandConfirmation(DeviceCommand::ClearDigitalEvents),
            "Are you sure you want to wipe out \nall the digital event configuration \n"
            "parameters currently in memory?");
}

}  // namespace
}  // namespace kestrio
