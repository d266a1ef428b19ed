// The engine's receive side: an arbitrary byte stream, cut into arbitrary chunks as the network might
// deliver it, handed to the Receiver the connection feeds, which turns it into hex text, splits it
// into packets by their headers, logs, describes and judges each. Nothing may be lost, duplicated or
// read out of range, the digits kept for later stay bounded, the split must not depend on the
// chunking (up to a packet of unknown kind, which takes what is at hand), and the reply is the first
// packet with the awaited label.
//
// Input layout: byte 0 picks how many chunk sizes follow (1-8); each of those bytes is a chunk
// size (0 means 256); the next byte is the awaited label (64 and above: any packet); the rest is the
// stream, cut by the sizes in turn.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "protocol/hex.h"
#include "protocol/packet.h"
#include "transport/receiver.h"

namespace {

using kestrio::fuzz::FuzzInput;

// The longest packet a header can claim: a 65535-byte block rounded to whole quadlets plus the
// 16-byte header, in digits. No complete header may make us keep more than this.
constexpr std::size_t kMaxPacketDigits = ((0xFFFF + 3) / 4 * 4 + 16) * 2;

// A Receiver and what it logged: every stored packet is one "\nReceived:  " line.
class Reassembler : public kestrio::LogSink {
 public:
  explicit Reassembler(int label) { rx_.Expect(label); }

  void AddMsg(const std::string& text) override {
    KESTRIO_FUZZ_CHECK(text.rfind("\nReceived:  ", 0) == 0);
    const std::size_t end = text.find(' ', 12);
    KESTRIO_FUZZ_CHECK(end != std::string::npos);
    packets_.push_back(text.substr(12, end - 12));
  }

  void Deliver(const std::uint8_t* data, std::size_t size) {
    received_ += kestrio::BytesToHex(data, size);
    const bool replied = rx_.Take(data, size);
    if (replied) {
      KESTRIO_FUZZ_CHECK(!replied_);  // one reply per request
      replied_ = true;
    }
    // What is kept for later never exceeds one packet.
    KESTRIO_FUZZ_CHECK(rx_.PendingDigits().size() <= kMaxPacketDigits);
  }

  const std::string& Received() const { return received_; }
  const std::vector<std::string>& Packets() const { return packets_; }
  std::string_view Packet(std::size_t i) const { return packets_[i]; }
  const kestrio::Receiver& Rx() const { return rx_; }
  // How many packets come before the first one of unknown kind: those are fixed by the bytes alone.
  std::size_t KnownPrefix() const {
    std::size_t n = 0;
    while (n < packets_.size() && kestrio::IsKnownTcode(kestrio::PacketTcode(Packet(n)))) ++n;
    return n;
  }

 private:
  kestrio::Receiver rx_{*this};
  std::string received_;
  std::vector<std::string> packets_;
  bool replied_ = false;
};

void CheckPacket(std::string_view packet) {
  KESTRIO_FUZZ_CHECK(!packet.empty());
  KESTRIO_FUZZ_CHECK(kestrio::PacketLength(packet) == packet.size());
  kestrio::ReplyFlags flags;
  const std::string description = kestrio::DescribePacket(packet, flags);
  KESTRIO_FUZZ_CHECK(!description.empty() && description[0] == ' ');
  const int tcode = kestrio::PacketTcode(packet);
  KESTRIO_FUZZ_CHECK(tcode >= 0 && tcode <= 9);
  KESTRIO_FUZZ_CHECK(flags.UnknownReply == !kestrio::IsKnownTcode(tcode));
  const int label = kestrio::PacketLabel(packet);
  KESTRIO_FUZZ_CHECK(packet.size() < 6 ? label == -1 : (label >= 0 && label <= 63));
  const int rcode = kestrio::PacketRcode(packet);
  KESTRIO_FUZZ_CHECK(rcode >= 0 && rcode <= 15);
  if (kestrio::IsResponseTcode(tcode)) {
    // A defined failure code always fails the transaction; "00" never does.
    if (rcode >= 1 && rcode <= 9) KESTRIO_FUZZ_CHECK(flags.ReplyError);
    if (packet.substr(12, 2) == "00") KESTRIO_FUZZ_CHECK(!flags.ReplyError);
  } else {
    KESTRIO_FUZZ_CHECK(!flags.ReplyError);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  std::vector<std::size_t> chunks;
  const int count = in.Byte() % 8 + 1;
  for (int i = 0; i < count; ++i) {
    std::uint8_t b = in.Byte();
    chunks.push_back(b == 0 ? 256 : b);
  }
  const int label = in.Byte() < 64 ? 0 : -1;
  std::string_view stream = in.Rest();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.data());

  Reassembler chunked(label);
  std::size_t at = 0;
  for (std::size_t i = 0; at < stream.size(); ++i) {
    std::size_t n = std::min(chunks[i % chunks.size()], stream.size() - at);
    chunked.Deliver(bytes + at, n);
    at += n;
  }
  // The whole stream in one delivery splits the same way, up to a packet of unknown kind.
  Reassembler whole(label);
  whole.Deliver(bytes, stream.size());

  // Nothing lost or duplicated: the packets, then the kept digits, are exactly what was received.
  std::string joined;
  for (const std::string& p : chunked.Packets()) {
    CheckPacket(p);
    joined += p;
  }
  KESTRIO_FUZZ_CHECK(joined + chunked.Rx().PendingDigits() == chunked.Received());

  const std::size_t a = chunked.KnownPrefix();
  const std::size_t b = whole.KnownPrefix();
  for (std::size_t i = 0; i < std::min(a, b); ++i) KESTRIO_FUZZ_CHECK(chunked.Packet(i) == whole.Packet(i));
  if (a == chunked.Packets().size() && b == whole.Packets().size()) KESTRIO_FUZZ_CHECK(a == b);

  // The reply is the first packet carrying the label (or of unknown kind); with none, no reply.
  std::string expected;
  for (const std::string& p : chunked.Packets()) {
    if (label < 0 || !kestrio::IsKnownTcode(kestrio::PacketTcode(p)) || kestrio::PacketLabel(p) == label) {
      expected = p;
      break;
    }
  }
  KESTRIO_FUZZ_CHECK(chunked.Rx().Replied() == !expected.empty());
  if (!expected.empty()) KESTRIO_FUZZ_CHECK(chunked.Rx().LastReply() == expected);
  return 0;
}
