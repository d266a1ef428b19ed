#pragma once
// A simulated brain on a loopback port and a fresh session pointed at it: the program's engine and
// services run over real TCP while the brain misbehaves on purpose. Each test owns its own rig.
#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "protocol/memory_map.h"
#include "support/packets.h"
#include "support/sim_session.h"

namespace kestrio::integration {

// The engine's own words for the two ways a transaction ends without a reply.
inline constexpr char kTimeoutOfOneSecond[] = "The timeout of:  1 expired without receiving a reply.";
inline constexpr char kNotConnected[] = "**NOT CONNECTED**";

// The four request kinds the program sends. Block requests carry 1024 bytes.
enum class Kind { ReadQuad, ReadBlock, WriteQuad, WriteBlock };
inline constexpr std::uint32_t kBlockBytes = 1024;
inline const char* KindName(Kind kind) {
  return std::array{"ReadQuad", "ReadBlock", "WriteQuad", "WriteBlock"}[static_cast<int>(kind)];
}
inline void PrintTo(Kind kind, std::ostream* out) { *out << KindName(kind); }  // names, not bytes
inline bool IsQuad(Kind kind) { return kind == Kind::ReadQuad || kind == Kind::WriteQuad; }
inline bool IsWrite(Kind kind) { return kind == Kind::WriteQuad || kind == Kind::WriteBlock; }

class SimRig : public test::SimSession {
 protected:
  void SetUp() override {
    SimSession::SetUp();
    ASSERT_TRUE(StartBrain()) << sim_->Error();
    OpenSession();
    session_->SetHost(SimHost());
    engine().SetTimeoutSeconds(5);
  }

  // A fresh brain on `port` (0: a free one), its memory filled with a pattern so that every quadlet a
  // request can reach reads differently.
  bool StartBrain(std::uint16_t port = 0) {
    if (!StartSim({}, port)) return false;
    sim_->WithBrain([](sim::Brain& brain) {
      brain.Poke(memory_map::kSettings.base, Pattern(0x5E770000u, memory_map::kSettings.size));
      brain.Poke(memory_map::kTimers.base, Pattern(0x71AE0000u, 8 * kBlockBytes));
    });
    return true;
  }

  // Where a request of `kind` and `variant` goes: two variants of a kind reach different memory.
  static std::uint64_t Address(Kind kind, int variant) {
    const auto v = static_cast<std::uint32_t>(variant);
    return IsQuad(kind) ? memory_map::kSettings.base + 4u * (v % 256)
                        : memory_map::kTimers.base + kBlockBytes * (v % 8);
  }
  // The data a write of `variant` carries, never zero.
  static std::string WriteData(Kind kind, int variant) {
    const auto v = static_cast<std::uint32_t>(variant);
    if (kind == Kind::WriteQuad) return ToHex(0xD0000000u + v, 8);
    Bytes data;
    for (std::uint32_t i = 0; i < kBlockBytes; ++i)
      data.push_back(static_cast<std::uint8_t>((i * 31 + v * 7) % 251 + 1));
    return BytesToHex(data);
  }

  // Builds and sends one request; returns the packet sent (its reply is last_).
  std::string Send(Kind kind, int variant) {
    PacketBuilder& builder = session_->Builder();
    const std::string offset = ToHex(Address(kind, variant), 12);
    const std::string request =
        kind == Kind::ReadQuad    ? builder.BuildReadQuadRequest(offset)
        : kind == Kind::ReadBlock ? builder.BuildReadBlockRequest(ToHex(kBlockBytes, 4), offset)
        : kind == Kind::WriteQuad ? builder.BuildWriteQuadRequest(WriteData(kind, variant), offset)
                                  : builder.BuildWriteBlockRequest(WriteData(kind, variant), offset);
    last_ = engine().SendAndAwaitReply(request, std::array{kReadQuadRequest, kReadBlockRequest,
                                                           kWriteQuadRequest,
                                                           kWriteBlockRequest}[static_cast<int>(kind)]);
    return request;
  }

  std::string Peek(std::uint64_t address, std::size_t bytes) {
    return sim_->WithBrain([&](sim::Brain& brain) {
      Bytes out;
      return brain.Peek(address, bytes, out) ? BytesToHex(out) : std::string("(no such memory)");
    });
  }

  // The brain's reply, as hex, to a request of `kind` and `variant` with `label`.
  std::string ExpectedReply(Kind kind, int variant, int label) {
    if (IsWrite(kind)) return test::Response(kWriteResponse, label);
    return IsQuad(kind)
               ? test::Response(kReadQuadResponse, label, 0, Peek(Address(kind, variant), 4))
               : test::Response(kReadBlockResponse, label, 0, Peek(Address(kind, variant), kBlockBytes));
  }

  // Success means: this request's own reply, byte for byte, came back, and a write took effect.
  ::testing::AssertionResult Answered(Kind kind, int variant, const std::string& request) {
    if (last_.outcome != Outcome::Replied)
      return ::testing::AssertionFailure() << "no reply, outcome " << static_cast<int>(last_.outcome);
    if (last_.flags.ReplyError || last_.flags.UnknownReply)
      return ::testing::AssertionFailure() << "reply judged failed: " << last_.packet;
    if (IsWrite(kind)) {
      const std::string data = WriteData(kind, variant);
      const std::string now = Peek(Address(kind, variant), data.size() / 2);
      if (now != data)
        return ::testing::AssertionFailure() << "the write did not take effect: " << now.substr(0, 64);
    }
    const std::string expected = ExpectedReply(kind, variant, PacketLabel(request));
    if (last_.packet != expected || engine().LastReply() != expected)
      return ::testing::AssertionFailure()
             << "the reply is not this request's\n  got      " << last_.packet.substr(0, 80)
             << "\n  expected " << expected.substr(0, 80);
    return ::testing::AssertionSuccess();
  }

  Reply last_;

 private:
  // `bytes` of consecutive quadlets counting up from `first`.
  static Bytes Pattern(std::uint32_t first, std::uint32_t bytes) {
    Bytes out;
    for (std::uint32_t q = 0; q < bytes / 4; ++q)
      for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((first + q) >> shift));
    return out;
  }
};

// Passes every call on to `inner` and runs `fault` just before the Nth request goes out: how a test
// breaks the connection at a chosen point in the middle of a job.
class FaultAtRequest : public ForwardingEngine {
 public:
  FaultAtRequest(Engine& inner, int n, std::function<void()> fault)
      : ForwardingEngine(inner), n_(n), fault_(std::move(fault)) {}

  Reply SendAndAwaitReply(const std::string& packet, int tcode) override {
    if (++count_ == n_ && fault_) fault_();
    return inner_.SendAndAwaitReply(packet, tcode);
  }
  int Requests() const { return count_; }

 private:
  int n_;
  std::function<void()> fault_;
  int count_ = 0;
};

}  // namespace kestrio::integration
