// The receive side: an arbitrary byte stream, cut into arbitrary chunks as the network might
// deliver it, turned into hex text, split into packets by their headers, then described and
// judged as the log does. Nothing may be lost, duplicated or read out of range, and the split
// must not depend on the chunking (up to a packet of unknown kind, which takes what is at hand).
//
// Input layout: byte 0 picks how many chunk sizes follow (1-8); each of those bytes is a chunk
// size (0 means 256); the rest is the stream, cut by the sizes in turn.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "protocol/hex.h"
#include "protocol/packet.h"

namespace {

using kestrio::fuzz::FuzzInput;

// The longest packet a header can claim: a 65535-byte block rounded to whole quadlets plus the
// 16-byte header, in digits. No complete header may make us keep more than this.
constexpr std::size_t kMaxPacketDigits = ((0xFFFF + 3) / 4 * 4 + 16) * 2;

// Joins chunks into packets the way the connection does, checking each step against PacketLength.
// Inputs are small, so every digit received is kept and packets are recorded as spans of it.
class Reassembler {
 public:
  struct Span {
    std::size_t from, length;
  };

  void Deliver(const std::uint8_t* data, std::size_t size) {
    received_ += kestrio::BytesToHex(data, size);
    while (at_ < received_.size()) {
      const std::string_view rest = std::string_view(received_).substr(at_);
      const std::size_t needed = kestrio::WholePacketLength(rest);
      const std::size_t length = kestrio::PacketLength(rest);
      KESTRIO_FUZZ_CHECK(length <= rest.size());
      if (needed != 0) KESTRIO_FUZZ_CHECK(length == std::min(needed, rest.size()));
      if (needed == 0 || rest.size() < needed) break;  // the rest is still on its way
      packets_.push_back({at_, needed});
      at_ += needed;
    }
    // What is kept for later never exceeds one packet.
    KESTRIO_FUZZ_CHECK(received_.size() - at_ <= kMaxPacketDigits);
  }

  const std::string& Received() const { return received_; }
  const std::vector<Span>& Packets() const { return packets_; }
  std::string_view Packet(std::size_t i) const {
    return std::string_view(received_).substr(packets_[i].from, packets_[i].length);
  }
  // How many packets come before the first one of unknown kind: those are fixed by the bytes alone.
  std::size_t KnownPrefix() const {
    std::size_t n = 0;
    while (n < packets_.size() && kestrio::IsKnownTcode(kestrio::PacketTcode(Packet(n)))) ++n;
    return n;
  }

 private:
  std::string received_;
  std::size_t at_ = 0;
  std::vector<Span> packets_;
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
  std::string_view stream = in.Rest();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.data());

  Reassembler chunked;
  std::size_t at = 0;
  for (std::size_t i = 0; at < stream.size(); ++i) {
    std::size_t n = std::min(chunks[i % chunks.size()], stream.size() - at);
    chunked.Deliver(bytes + at, n);
    at += n;
  }
  // The whole stream in one delivery splits the same way, up to a packet of unknown kind.
  Reassembler whole;
  whole.Deliver(bytes, stream.size());

  // Nothing lost or duplicated: the packets are consecutive and end where the kept digits begin.
  KESTRIO_FUZZ_CHECK(chunked.Received() == whole.Received());
  std::size_t next = 0;
  for (std::size_t i = 0; i < chunked.Packets().size(); ++i) {
    KESTRIO_FUZZ_CHECK(chunked.Packets()[i].from == next);
    next += chunked.Packets()[i].length;
    CheckPacket(chunked.Packet(i));
  }
  KESTRIO_FUZZ_CHECK(next <= chunked.Received().size());

  const std::size_t a = chunked.KnownPrefix();
  const std::size_t b = whole.KnownPrefix();
  for (std::size_t i = 0; i < std::min(a, b); ++i) KESTRIO_FUZZ_CHECK(chunked.Packet(i) == whole.Packet(i));
  if (a == chunked.Packets().size() && b == whole.Packets().size()) KESTRIO_FUZZ_CHECK(a == b);
  return 0;
}
