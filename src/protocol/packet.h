#pragma once
// Packet layout of the memory-map protocol (IEEE 1394 asynchronous transactions carried as
// hex-digit text), the request builders and the judgement of received packets.
// Positions in comments are 1-based digit positions in the hex text.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/prompter.h"

namespace kestrio {

enum Tcode : int {
  kWriteQuadRequest = 0,
  kWriteBlockRequest = 1,
  kWriteResponse = 2,
  kReadQuadRequest = 4,
  kReadBlockRequest = 5,
  kReadQuadResponse = 6,
  kReadBlockResponse = 7,
};

// The display names of tcodes 0-7, e.g. "[Read Quad Response]"; tcode 3 is "[unknown packet type]".
const std::array<std::string, 8>& PacketTypeNames();
// The display name of any tcode; codes outside 0-7 get "[unknown packet type]".
const std::string& PacketTypeName(int tcode);
bool IsKnownTcode(int tcode);
bool IsResponseTcode(int tcode);  // 2, 6 and 7

// The tcode as the program reads it: the 7th digit as a decimal digit; a letter, a missing
// character or anything else counts as 0.
int PacketTcode(std::string_view packet);

// Length in digits of the packet that begins `text`, never more than the length of `text`.
std::size_t PacketLength(std::string_view text);
// The length in digits the packet that begins `text` has once it is whole, which may be more than
// `text` holds; 0 while not even its header has arrived. Used to join packets split by the network.
std::size_t WholePacketLength(std::string_view text);

// The 6-bit transaction label counter: 1, 2, ... 63, 0, 1, ... Each request takes the next one.
class TransactionLabels {
 public:
  int NextTransactionLabel();
  int Current() const { return counter_; }

 private:
  std::uint16_t counter_ = 0;
};

// The transaction label of a packet (positions 5-6 divided by 4); -1 when the text is too short.
int PacketLabel(std::string_view packet);

// Builds request packets. A rejected input is reported through the prompter and gives "";
// the label has been taken by then.
class PacketBuilder {
 public:
  PacketBuilder(TransactionLabels& labels, Prompter& prompter) : labels_(labels), prompter_(prompter) {}

  std::string BuildHeader(int tcode);
  std::string BuildReadQuadRequest(std::string_view offset);
  std::string BuildWriteQuadRequest(std::string_view data, std::string_view offset);
  std::string BuildReadBlockRequest(std::string_view length, std::string_view offset);
  std::string BuildWriteBlockRequest(std::string_view data, std::string_view offset);

  TransactionLabels& Labels() { return labels_; }

 private:
  TransactionLabels& labels_;
  Prompter& prompter_;
};

// The judgement of what was received since the last request.
struct ReplyFlags {
  bool ReplyError = false;    // an empty packet, or a response with a non-zero rcode
  bool UnknownReply = false;  // a packet whose tcode is not a known kind
  void Clear() { ReplyError = UnknownReply = false; }
};

// The short description logged after a received packet (" [Write Response]", " No data received.",
// " <<Data of unknown type>>"); sets the flags.
std::string DescribePacket(std::string_view packet, ReplyFlags& flags);

// True when the last transaction failed; reports an unknown packet itself.
bool ReplyFailed(const ReplyFlags& flags, Prompter& prompter);

// The rcode digit (position 13) read as one hex digit; 0 when missing or not hex.
int PacketRcode(std::string_view packet);

}  // namespace kestrio
