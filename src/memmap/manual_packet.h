#pragma once
// The logic of the manual packet window: the example packet of each type, the check of a typed
// packet, sending it once, and the scan time of automatic sending (milliseconds).
#include <array>
#include <optional>
#include <string>

#include "transport/engine.h"

namespace kestrio {

struct ExamplePacket {
  int index;            // the option's index; it equals the tcode except for 0-3
  const char* caption;  // "Write Block Request", ...
  const char* packet;   // hex digits, transaction label 1
};

// The seven examples in the order the window checks its options: 0, 1, 2, 3, 5, 6, 7.
const std::array<ExamplePacket, 7>& ExamplePackets();
// The example of option `index`, or nullopt for an index no option has.
std::optional<std::string> ExamplePacketFor(int index);

// Why a typed packet cannot be sent (it is empty, holds a character that is not a hex digit, or
// has an odd number of digits), or nullopt when it can.
std::optional<std::string> CheckManualPacket(const std::string& text);

struct ManualSendResult {
  bool sent = false;     // the packet went to the engine
  Reply reply;           // how it went
  std::string txRxTime;  // the round-trip time, for the main window's footer
};

// Send String: a text that is not a whole hex packet is refused with a message; a packet whose
// tcode (the 7th digit) is not a known kind is not sent, without a message; otherwise it is sent
// once as typed, with its own tcode.
ManualSendResult SendManualPacket(Engine& engine, const std::string& text);

inline constexpr int kDefaultScanTime = 500;
inline constexpr int kMaxScanTime = 5000;
inline constexpr char kScanTimeTitle[] = "Scan Time";
inline constexpr char kScanTimePrompt[] = "Enter scan rate (in milliseconds:)";

// The typed scan time rounded to an integer (ties to even) when it is 1 to kMaxScanTime; otherwise
// nullopt and `error` holds the refusal ("'" answer "' is not a valid scan time.  Must be ...").
std::optional<int> ParseScanTime(const std::string& answer, std::string& error);

// Asks for a new scan time starting from `current`; returns the new period, or `current` when the
// operator cancels or the answer is refused (the refusal is shown).
int AskScanTime(Prompter& ui, int current);

}  // namespace kestrio
