#include "transport/receiver.h"

#include "protocol/hex.h"

namespace kestrio {

namespace {
constexpr char kDiscarded[] = " <<Incomplete packet discarded>>";
}  // namespace

void Receiver::Expect(int label) {
  awaiting_ = true;
  label_ = label;
  replied_ = false;
  received_ = 0;
  flags_.Clear();
}

void Receiver::EndWait() {
  awaiting_ = false;
  label_ = -1;
}

bool Receiver::Take(const std::uint8_t* data, std::size_t count) {
  received_ += count;
  AppendHex(pending_, data, count);
  bool replied = false;
  while (!pending_.empty()) {
    const std::size_t needed = WholePacketLength(pending_);
    if (needed == 0 || pending_.size() < needed) break;  // the rest is still on its way
    // Copied into the ring slot's own buffer and cut off the pending digits, both of which keep
    // their capacity: a steady stream of replies allocates nothing here.
    AdvanceRxIndex();
    std::string& packet = ring_[static_cast<std::size_t>(rxIndex_)];
    packet.assign(pending_, 0, needed);
    pending_.erase(0, needed);
    replied = Store(packet) || replied;
  }
  return replied;
}

bool Receiver::Store(const std::string& packet) {
  const bool isReply = awaiting_ && !replied_ &&
                       (label_ < 0 || !IsKnownTcode(PacketTcode(packet)) || PacketLabel(packet) == label_);
  // Described like any packet; one that is not the reply is judged on its own: it says nothing
  // about the request outstanding.
  ReplyFlags scratch;
  const std::string description = DescribePacket(packet, isReply ? flags_ : scratch);
  std::string line;
  line.reserve(12 + packet.size() + description.size());
  line.append("\nReceived:  ").append(packet).append(description);
  log_.AddMsg(line);
  if (!isReply) return false;
  lastReply_ = packet;
  replied_ = true;
  return true;
}

void Receiver::DropPending() {
  if (pending_.empty()) return;
  log_.AddMsg("\nReceived:  " + pending_ + kDiscarded);
  pending_.clear();
}

bool Receiver::LateReplyInProgress(int label) const {
  if (pending_.empty() || label < 0) return false;
  // Fewer than four bytes do not show the tcode yet: nothing says they are not the reply's start.
  if (pending_.size() < 8) return true;
  return IsResponseTcode(PacketTcode(pending_)) && PacketLabel(pending_) == label;
}

}  // namespace kestrio
