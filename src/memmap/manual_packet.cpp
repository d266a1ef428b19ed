#include "memmap/manual_packet.h"

#include "protocol/convert.h"
#include "protocol/hex.h"
#include "protocol/packet.h"
#include "protocol/reply.h"

namespace kestrio {

const std::array<ExamplePacket, 7>& ExamplePackets() {
  static const std::array<ExamplePacket, 7> kExamples = {{
      {0, "Write Block Request", "000004100000FFFFF0400000"},
      {1, "Write Quadlet Request", "000004000000FFFFF050000000000000"},
      {2, "Read Block Request", "000004500000FFFFF060000000000000"},
      {3, "Read Quadlet Request", "000004400000FFFFF0400000"},
      {5, "Write Response", "000004200000000000000000"},
      {6, "Read Quadlet Response", "00000460000000000000000000000000"},
      {7, "Read Block Response", "0000047000000000000000000000000000000000000000000000000000000000"},
  }};
  return kExamples;
}

std::optional<std::string> ExamplePacketFor(int index) {
  for (const ExamplePacket& e : ExamplePackets()) {
    if (e.index == index) return std::string(e.packet);
  }
  return std::nullopt;
}

std::optional<std::string> CheckManualPacket(const std::string& text) {
  if (text.empty()) return std::string("There is no packet to send.  Type it as hex digits.");
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsHexDigit(text[i])) {
      return "The packet is not sent: character " + std::to_string(i + 1) +
             " is not a hex digit.  Type the packet as hex digits only (0-9, A-F), without blanks.";
    }
  }
  if (text.size() % 2 != 0) {
    return std::string("The packet is not sent: it has an odd number of digits.  Each byte takes two.");
  }
  return std::nullopt;
}

ManualSendResult SendManualPacket(Engine& engine, const std::string& text) {
  ManualSendResult result;
  if (std::optional<std::string> why = CheckManualPacket(text)) {
    engine.Ui().Message(*why);
  } else if (const int tcode = PacketTcode(text); IsKnownTcode(tcode)) {
    result.reply = engine.SendAndAwaitReply(text, tcode);
    result.sent = true;
  }
  result.txRxTime = FormatTxRxTime(result.reply.seconds);
  return result;
}

std::optional<int> ParseScanTime(const std::string& answer, std::string& error) {
  const std::optional<std::int64_t> value = ReadRoundedNumber(answer);
  if (value && *value >= 1 && *value <= kMaxScanTime) return static_cast<int>(*value);
  error = "'" + answer + "' is not a valid scan time.  Must be non-zero number no greater than " +
          NumberText(kMaxScanTime) + ".";
  return std::nullopt;
}

int AskScanTime(Prompter& ui, int current) {
  const std::optional<std::string> answer =
      ui.Input(kScanTimePrompt, kScanTimeTitle, std::to_string(current));
  if (!answer) return current;
  std::string error;
  if (std::optional<int> period = ParseScanTime(*answer, error)) return *period;
  ui.Message(error);
  return current;
}

}  // namespace kestrio
