#pragma once
// Whole-device commands: one quadlet written to the command quadlet, with the confirmation, log line
// and messages each command has always had.
#include <string>

#include "protocol/memory_map.h"
#include "transport/engine.h"

namespace kestrio {

using memory_map::DeviceCommand;

inline constexpr char kNotConnectedLog[] = "\nCould not send command - not connected.";

// The command value as eight hex digits ("00000003").
std::string CommandValue(DeviceCommand command);

// The Yes/No question asked (titled "WARNING!!") before the command, or "" for none.
std::string CommandConfirmation(DeviceCommand command);

// Sends the command quadlet; the reply as it came, for callers with words of their own.
Reply SendCommandQuadlet(Engine& engine, DeviceCommand command);

// Runs the command: asks its confirmation (anything but Yes sends nothing and logs nothing), refuses
// with kNotConnectedLog when a confirmed command finds no connection, logs its line, sends it and
// reports the outcome. Returns true only when the brain acknowledged it; a timeout or a lost
// connection counts as a failure and shows the command's "not successful" message.
bool RunDeviceCommand(Engine& engine, DeviceCommand command);

}  // namespace kestrio
