#include "protocol/packet.h"

#include "protocol/hex.h"

namespace kestrio {

namespace {

// The refusals of the request builders, shown through the prompter.
constexpr char kReadQuadBadOffset[] = "\nRead Quadlet aborted - Invalid destination offset";
constexpr char kWriteQuadBadOffset[] = "\nWrite Quadlet aborted - Invalid destination offset";
constexpr char kReadBlockBadOffset[] = "\nRead Block aborted - Invalid destination offset";
constexpr char kReadBlockBadLength[] =
    "\nRead Block aborted - data length is 2 bytes (no more than 4 characters)";
constexpr char kWriteBlockBadOffset[] = "\nWrite Block aborted - Invalid destination offset";
constexpr char kWriteBlockOddDigits[] =
    "\nWrite Block aborted - data block input string must be in groups of 2 characters\n";
constexpr char kWriteBlockTooLong[] =
    "\nWrite Block aborted - data block is longer than 65535 bytes (data length is 2 bytes)";

constexpr char kUnrecognized[] = "Unrecognized Data Received from Ethernet device.";

constexpr std::size_t kOffsetDigits = 12;
constexpr std::size_t kMaxBlockBytes = 0xFFFF;

// The offset as the builders accept it: separators dropped, exactly twelve digits left.
bool CleanOffset(std::string_view offset, std::string& cleaned) {
  cleaned = StrippedHex(offset);
  return cleaned.size() == kOffsetDigits;
}

}  // namespace

const std::array<std::string, 8>& PacketTypeNames() {
  static const std::array<std::string, 8> kNames = {
      "[Write Quad Request]", "[Write Block Request]", "[Write Response]",     "[unknown packet type]",
      "[Read Quad Request]",  "[Read Block Request]",  "[Read Quad Response]", "[Read Block Response]",
  };
  return kNames;
}

const std::string& PacketTypeName(int tcode) {
  if (tcode < 0 || tcode > 7) return PacketTypeNames()[3];
  return PacketTypeNames()[static_cast<std::size_t>(tcode)];
}

bool IsKnownTcode(int tcode) { return tcode >= 0 && tcode <= 7 && tcode != 3; }

bool IsResponseTcode(int tcode) { return tcode == 2 || tcode == 6 || tcode == 7; }

int PacketTcode(std::string_view packet) {
  if (packet.size() < 7) return 0;
  char c = packet[6];
  return (c >= '0' && c <= '9') ? c - '0' : 0;
}

std::size_t WholePacketLength(std::string_view text) {
  if (text.size() < 7) return 0;
  switch (PacketTcode(text)) {
    case 0:
    case 6:
      return 32;
    case 2:
    case 4:
      return 24;
    case 5:
      // A read block request names the length it wants but carries no data.
      return 32;
    case 1:
    case 7: {
      if (text.size() < 28) return 0;
      std::size_t n = static_cast<std::size_t>(HexValue(text.substr(24, 4)));  // at most FFFF
      n = (n + 3) / 4 * 4;
      return (n + 16) * 2;
    }
    default:
      return text.size();
  }
}

std::size_t PacketLength(std::string_view text) {
  std::size_t length = WholePacketLength(text);
  if (length == 0) length = text.size();
  return length < text.size() ? length : text.size();
}

int TransactionLabels::NextTransactionLabel() {
  ++counter_;
  if (counter_ < 64) return counter_;
  counter_ = 0;
  return 0;
}

int PacketLabel(std::string_view packet) {
  if (packet.size() < 6) return -1;
  return static_cast<int>(HexValue(packet.substr(4, 2)) >> 2);
}

int PacketRcode(std::string_view packet) {
  if (packet.size() < 13) return 0;
  std::uint64_t v = HexValue(packet.substr(12, 1));
  return static_cast<int>(v);
}

std::string PacketBuilder::BuildHeader(int tcode) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const int label = labels_.NextTransactionLabel() * 4;
  const int code = (tcode & 0x0F) * 16;
  std::string header = "000000000000";
  header[4] = kDigits[(label >> 4) & 0x0F];
  header[5] = kDigits[label & 0x0F];
  header[6] = kDigits[(code >> 4) & 0x0F];
  header[7] = kDigits[code & 0x0F];
  return header;
}

std::string PacketBuilder::BuildReadQuadRequest(std::string_view offset) {
  std::string header = BuildHeader(kReadQuadRequest);
  std::string cleaned;
  if (!CleanOffset(offset, cleaned)) {
    prompter_.Message(kReadQuadBadOffset);
    return "";
  }
  return header.append(cleaned);
}

std::string PacketBuilder::BuildWriteQuadRequest(std::string_view data, std::string_view offset) {
  std::string header = BuildHeader(kWriteQuadRequest);
  std::string cleaned;
  if (!CleanOffset(offset, cleaned)) {
    prompter_.Message(kWriteQuadBadOffset);
    return "";
  }
  // The data goes out as typed: short data is padded with zeros on the right, long data is cut.
  std::string quad = (std::string(data) + "00000000").substr(0, 8);
  return header + cleaned + quad;
}

std::string PacketBuilder::BuildReadBlockRequest(std::string_view length, std::string_view offset) {
  std::string header = BuildHeader(kReadBlockRequest);
  std::string cleaned;
  if (!CleanOffset(offset, cleaned)) {
    prompter_.Message(kReadBlockBadOffset);
    return "";
  }
  std::string len = StrippedHex(length);
  if (len.size() >= 5) {
    prompter_.Message(kReadBlockBadLength);
    return "";
  }
  // One buffer of the packet's size: every transfer's block reads are built here.
  std::string packet;
  packet.reserve(32);
  packet.append(header).append(cleaned).append(4 - len.size(), '0').append(len).append("0000");
  return packet;
}

std::string PacketBuilder::BuildWriteBlockRequest(std::string_view data, std::string_view offset) {
  std::string header = BuildHeader(kWriteBlockRequest);
  std::string cleaned;
  if (!CleanOffset(offset, cleaned)) {
    prompter_.Message(kWriteBlockBadOffset);
    return "";
  }
  std::string block = StrippedHex(data);
  if (block.size() % 2 != 0) {
    prompter_.Message(kWriteBlockOddDigits + block);
    return "";
  }
  // Four data_length digits cannot name a longer block; sending one would mislabel the packet.
  if (block.size() / 2 > kMaxBlockBytes) {
    prompter_.Message(kWriteBlockTooLong);
    return "";
  }
  std::string packet;
  packet.reserve(32 + block.size() + 7);
  packet.append(header).append(cleaned).append(ToHex(block.size() / 2, 4)).append("0000").append(block);
  while (packet.size() % 8 != 0) packet.push_back('0');
  return packet;
}

std::string DescribePacket(std::string_view packet, ReplyFlags& flags) {
  if (packet.empty()) {
    flags.ReplyError = true;
    return " No data received.";
  }
  int tcode = PacketTcode(packet);
  if (!IsKnownTcode(tcode)) {
    flags.UnknownReply = true;
    return " <<Data of unknown type>>";
  }
  if (IsResponseTcode(tcode)) {
    // The byte after the source ID, read as decimal digits up to the first other character:
    // any defined non-zero rcode (40 to 70) fails the transaction.
    int rcode = 0;
    for (std::size_t i = 12; i < 14 && i < packet.size(); ++i) {
      char c = packet[i];
      if (c < '0' || c > '9') break;
      rcode = rcode * 10 + (c - '0');
    }
    if (rcode != 0) flags.ReplyError = true;
  }
  return " " + PacketTypeName(tcode);
}

bool ReplyFailed(const ReplyFlags& flags, Prompter& prompter) {
  if (flags.ReplyError) return true;
  if (flags.UnknownReply) {
    prompter.Message(kUnrecognized);
    return true;
  }
  return false;
}

}  // namespace kestrio
