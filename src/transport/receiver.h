#pragma once
// The receive side without a socket: arrived bytes become hex text, complete packets are cut off by
// the length their header gives and stored in the 101-slot ring, each is logged and described, and
// the one carrying the outstanding request's label becomes the reply.
//
// - A packet split by the network is joined: the digits of an incomplete one are kept until the rest
//   arrives (at most one packet's worth: a block claims at most 65535 + 16 bytes).
// - Only a packet with the outstanding label ends a wait; a late or stray packet is logged and
//   described but judged on its own. A packet of unknown tcode has no trustworthy label, so while a
//   request waits it counts as its reply. A request whose label cannot be read accepts any packet.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/packet.h"
#include "transport/log_sink.h"

namespace kestrio {

class Receiver {
 public:
  static constexpr int kRingSlots = 101;  // slots 0..100

  explicit Receiver(LogSink& log) : log_(log) {}

  // A request with `label` (-1: any packet) went out; clears the previous reply's judgement.
  void Expect(int label);
  // The wait is over, however it ended.
  void EndWait();

  // Takes arrived bytes. True when the awaited reply came in this call.
  bool Take(const std::uint8_t* data, std::size_t count);

  bool Replied() const { return replied_; }
  const std::string& LastReply() const { return lastReply_; }
  const ReplyFlags& Flags() const { return flags_; }
  // Bytes that arrived since the last Expect.
  std::size_t ReceivedSinceExpect() const { return received_; }

  // Logs the digits of an incomplete packet as discarded and forgets them.
  void DropPending();
  // True when the kept digits may be the beginning of the reply to the request with `label`: too
  // short to show a tcode, or a response carrying that label. Dropping them would turn the rest of
  // that late reply into a bogus packet that swallows the next request's reply.
  bool LateReplyInProgress(int label) const;
  const std::string& PendingDigits() const { return pending_; }

  const std::array<std::string, kRingSlots>& RxBuffer() const { return ring_; }
  int RxIndex() const { return rxIndex_; }

 private:
  void AdvanceRxIndex() { rxIndex_ = (rxIndex_ + 1) % kRingSlots; }
  // True when the stored packet was the reply.
  bool Store(const std::string& packet);

  LogSink& log_;
  std::array<std::string, kRingSlots> ring_;
  int rxIndex_ = 0;
  std::string pending_;
  std::string lastReply_;
  ReplyFlags flags_;
  bool awaiting_ = false;
  int label_ = -1;
  bool replied_ = false;
  std::size_t received_ = 0;
};

}  // namespace kestrio
