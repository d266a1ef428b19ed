#pragma once
// Whole-device commands: one quadlet written to the command quadlet at FFFFF0380000, with the
// confirmation, log line and messages each command has always had.
#include <functional>
#include <string>

#include "transport/engine.h"

namespace kestrio {

inline constexpr char kCommandQuadletOffset[] = "FFFFF0380000";
inline constexpr char kNotConnectedLog[] = "\nCould not send command - not connected.";

enum class DeviceCommand : int {
  PowerUpClear = 1,
  ResetToDefaults = 2,
  StoreToEeprom = 3,
  EraseFlash = 4,
  RestartFromPowerUp = 5,
  ClearDigitalEvents = 6,
};

// Tells whether the connection is open; an empty function counts as connected (the engine then
// reconnects silently or says "**NOT CONNECTED**" itself).
using ConnectedFn = std::function<bool()>;

// The command value as eight hex digits ("00000003").
std::string CommandValue(DeviceCommand command);

// The Yes/No question asked (titled "WARNING!!") before the command, or "" for none.
std::string CommandConfirmation(DeviceCommand command);

// Runs the command: asks its confirmation (anything but Yes sends nothing and logs nothing),
// refuses with kNotConnectedLog when the confirmed commands find no connection, logs its line,
// sends it and reports the outcome. Returns true only when the brain acknowledged it; a timeout or a
// lost connection counts as a failure and shows the command's "not successful" message.
bool RunDeviceCommand(Engine& engine, DeviceCommand command, const ConnectedFn& connected = {});

// The power-up clear that follows every connection: logs "Sending Power-up Clear.", sends it and on
// failure shows "PUC not successful.".
inline bool SendPowerUpClear(Engine& engine) { return RunDeviceCommand(engine, DeviceCommand::PowerUpClear); }

}  // namespace kestrio
