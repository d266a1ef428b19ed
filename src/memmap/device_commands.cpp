#include "memmap/device_commands.h"

#include "protocol/hex.h"
#include "protocol/packet.h"

namespace kestrio {

namespace {

constexpr char kWarningTitle[] = "WARNING!!";

struct CommandWords {
  const char* log;  // after a line break; empty for none
  const char* failure;
  const char* success;  // empty for none
  const char* title;    // of the failure message; empty for the application's own
};

CommandWords Words(DeviceCommand c) {
  switch (c) {
    case DeviceCommand::PowerUpClear:
      return {"Sending Power-up Clear.", "PUC not successful.", "", ""};
    case DeviceCommand::ResetToDefaults:
      return {"Resetting to defaults.", "Reset not successful.", "", kWarningTitle};
    case DeviceCommand::StoreToEeprom:
      return {"Storing to EEProm.", "EEProm Store not successful.", "", kWarningTitle};
    case DeviceCommand::EraseFlash:
      return {"Erasing Flash.", "Erase not successful.", "", kWarningTitle};
    case DeviceCommand::RestartFromPowerUp:
      return {"", "Restart from powerup not successful.", "Restart from powerup complete.", ""};
    case DeviceCommand::ClearDigitalEvents:
      return {"Clearing Digital Events.", "Clear not successful.", "", kWarningTitle};
  }
  return {"", "", "", ""};
}

constexpr char kEraseQuestion[] =
    "Are you sure you want to \nwipe out all the configuration \nparameters currently in memory?";

}  // namespace

std::string CommandValue(DeviceCommand command) { return ToHex(static_cast<std::uint32_t>(command), 8); }

std::string CommandConfirmation(DeviceCommand command) {
  switch (command) {
    case DeviceCommand::ClearDigitalEvents:
      return "Are you sure you want to wipe out \nall the digital event configuration \n"
             "parameters currently in memory?";
    case DeviceCommand::EraseFlash:
      return kEraseQuestion;
    case DeviceCommand::StoreToEeprom:
      return "Are you sure you want to \nstore all the current configuration \nparameters into memory?";
    case DeviceCommand::ResetToDefaults:
      return std::string(kEraseQuestion) +
             "\n\nSelecting 'yes' will clear:\n"
             "Gains and offsets, counters (which are also deactivated),\n"
             "latches, min/max data, totalization values, and averaging info.\n"
             "Digital outputs are turned off Analog outputs are set to\n"
             "zero scale (0 counts).";
    default:
      return {};
  }
}

Reply SendCommandQuadlet(Engine& engine, DeviceCommand command) {
  const std::string packet = engine.Builder().BuildWriteQuadRequest(
      CommandValue(command), memory_map::AddressText(memory_map::kCommand.base));
  return engine.SendAndAwaitReply(packet, kWriteQuadRequest);
}

bool RunDeviceCommand(Engine& engine, DeviceCommand command) {
  const CommandWords words = Words(command);
  const std::string question = CommandConfirmation(command);
  if (!question.empty()) {
    if (engine.Ui().Ask(question, false, kWarningTitle) != Answer::Yes) return false;
    if (!engine.IsConnected()) {
      engine.AddMsg(kNotConnectedLog);
      return false;
    }
  }
  if (*words.log != '\0') engine.AddMsg(std::string("\n") + words.log);
  // A timeout or a missing connection leaves the reply flags clear; it is still no acknowledgement.
  if (!JudgeReply(SendCommandQuadlet(engine, command), engine.Ui(), words.failure, words.title)) return false;
  if (*words.success != '\0') engine.Ui().Message(words.success);
  return true;
}

}  // namespace kestrio
