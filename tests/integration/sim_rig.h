#pragma once
// A simulated brain on a loopback port and a fresh session pointed at it: the program's engine and
// services run over real TCP while the brain misbehaves on purpose. Each test owns its own rig.
#include <QElapsedTimer>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>

#include "support/packets.h"
#include "support/sim_session.h"

namespace kestrio::integration {

// The engine's own words for the two ways a transaction ends without a reply.
inline constexpr char kTimeoutOfOneSecond[] = "The timeout of:  1 expired without receiving a reply.";
inline constexpr char kNotConnected[] = "**NOT CONNECTED**";

// The four request kinds the program sends. Block requests carry 1024 bytes.
enum class Kind { ReadQuad, ReadBlock, WriteQuad, WriteBlock };
inline constexpr std::uint32_t kBlockBytes = 1024;

struct KindInfo {
  const char* name;
  int tcode;               // of the request
  std::size_t replyBytes;  // length of the brain's reply
};
inline KindInfo Info(Kind kind) {
  static constexpr KindInfo kInfo[] = {{"ReadQuad", kReadQuadRequest, 16},
                                       {"ReadBlock", kReadBlockRequest, 16 + kBlockBytes},
                                       {"WriteQuad", kWriteQuadRequest, 12},
                                       {"WriteBlock", kWriteBlockRequest, 12}};
  return kInfo[static_cast<int>(kind)];
}
inline const char* KindName(Kind kind) { return Info(kind).name; }
inline void PrintTo(Kind kind, std::ostream* out) { *out << KindName(kind); }  // names, not bytes
inline int RequestTcode(Kind kind) { return Info(kind).tcode; }
inline std::size_t ReplyBytes(Kind kind) { return Info(kind).replyBytes; }

class SimRig : public test::SimSession {
 protected:
  void SetUp() override {
    SimSession::SetUp();
    ASSERT_TRUE(StartBrain()) << sim_->Error();
    OpenSession();
    link().SetHost(SimHost());
    link().SetTimeoutSeconds(5);
    // Every wait of the engine (a connection attempt or a transaction) is one busy interval.
    QObject::connect(&link(), &Link::busyChanged, [this](bool busy) {
      if (busy) {
        waitClock_.start();
        waitTimeoutMs_ = link().TimeoutSeconds() * 1000;
        return;
      }
      longestWaitMs_ = std::max(longestWaitMs_, waitClock_.elapsed());
      overTimeoutMs_ = std::max(overTimeoutMs_, waitClock_.elapsed() - waitTimeoutMs_);
    });
  }
  void TearDown() override {
    // Timing is measured, not asserted: "no wait past the timeout plus 100 ms" is judged from these.
    RecordProperty("longest_wait_ms", static_cast<int>(longestWaitMs_));
    RecordProperty("max_wait_past_timeout_ms", static_cast<int>(overTimeoutMs_));
    std::printf("[   WAIT   ] longest wait %lld ms; at most %lld ms past its timeout\n",
                static_cast<long long>(longestWaitMs_), static_cast<long long>(overTimeoutMs_));
    SimSession::TearDown();
  }

  // A fresh brain on `port` (0: a free one), its memory filled with a pattern so that every quadlet a
  // request can reach reads differently.
  bool StartBrain(std::uint16_t port = 0) {
    if (!StartSim({}, port)) return false;
    sim_->WithBrain([](sim::Brain& brain) {
      Bytes settings, timers;
      for (std::uint32_t q = 0; q < sim::kSettingsSize / 4; ++q) AppendQuad(settings, 0x5E770000u + q);
      for (std::uint32_t q = 0; q < 8 * kBlockBytes / 4; ++q) AppendQuad(timers, 0x71AE0000u + q);
      brain.Poke(sim::kSettingsBase, settings);
      brain.Poke(sim::kTimersBase, timers);
    });
    return true;
  }

  PacketBuilder& builder() { return session_->Builder(); }

  // Where a request of `kind` and `variant` goes: two variants of a kind reach different memory.
  static std::uint64_t Address(Kind kind, int variant) {
    if (kind == Kind::ReadQuad || kind == Kind::WriteQuad)
      return sim::kSettingsBase + 4u * static_cast<std::uint32_t>(variant % 256);
    return sim::kTimersBase + kBlockBytes * static_cast<std::uint32_t>(variant % 8);
  }
  // The data a write of `variant` carries, never zero.
  static std::string WriteData(Kind kind, int variant) {
    if (kind == Kind::WriteQuad) return ToHex(0xD0000000u + static_cast<std::uint32_t>(variant), 8);
    Bytes data;
    for (std::uint32_t i = 0; i < kBlockBytes; ++i)
      data.push_back(static_cast<std::uint8_t>((i * 31 + static_cast<std::uint32_t>(variant) * 7) % 251 + 1));
    return BytesToHex(data);
  }

  std::string BuildRequest(Kind kind, int variant) {
    const std::string offset = ToHex(Address(kind, variant), 12);
    switch (kind) {
      case Kind::ReadQuad:
        return builder().BuildReadQuadRequest(offset);
      case Kind::ReadBlock:
        return builder().BuildReadBlockRequest(ToHex(kBlockBytes, 4), offset);
      case Kind::WriteQuad:
        return builder().BuildWriteQuadRequest(WriteData(kind, variant), offset);
      case Kind::WriteBlock:
        return builder().BuildWriteBlockRequest(WriteData(kind, variant), offset);
    }
    return {};
  }

  // Builds and sends one request; returns the packet sent.
  std::string Send(Kind kind, int variant) {
    const std::string request = BuildRequest(kind, variant);
    link().SendAndAwaitReply(request, RequestTcode(kind));
    return request;
  }

  std::string Peek(std::uint64_t address, std::size_t bytes) {
    return sim_->WithBrain([&](sim::Brain& brain) {
      Bytes out;
      return brain.Peek(address, bytes, out) ? BytesToHex(out) : std::string("(no such memory)");
    });
  }

  // Success means: this request's own reply, byte for byte, is LastReply, and a write took effect.
  ::testing::AssertionResult Answered(Kind kind, int variant, const std::string& request) {
    if (link().LastOutcome() != Outcome::Replied)
      return ::testing::AssertionFailure() << "no reply, outcome " << static_cast<int>(link().LastOutcome());
    if (link().ReplyError() || link().UnknownReply())
      return ::testing::AssertionFailure() << "reply judged failed: " << link().LastReply();
    const int label = PacketLabel(request);
    const std::uint64_t address = Address(kind, variant);
    std::string expected;
    switch (kind) {
      case Kind::ReadQuad:
        expected = test::Response(kReadQuadResponse, label, 0, Peek(address, 4));
        break;
      case Kind::ReadBlock:
        expected = test::Response(kReadBlockResponse, label, 0, Peek(address, kBlockBytes));
        break;
      case Kind::WriteQuad:
      case Kind::WriteBlock: {
        expected = test::Response(kWriteResponse, label);
        const std::string data = WriteData(kind, variant);
        const std::string now = Peek(address, data.size() / 2);
        if (now != data)
          return ::testing::AssertionFailure() << "the write did not take effect: " << now.substr(0, 64);
        break;
      }
    }
    if (link().LastReply() != expected)
      return ::testing::AssertionFailure()
             << "LastReply is not this request's reply (label " << label << ")\n  got      "
             << link().LastReply().substr(0, 80) << "\n  expected " << expected.substr(0, 80);
    return ::testing::AssertionSuccess();
  }

 private:
  QElapsedTimer waitClock_;
  qint64 waitTimeoutMs_ = 0, longestWaitMs_ = 0, overTimeoutMs_ = -1000000;

  static void AppendQuad(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
};

// Passes every call on to `inner` and runs `fault` just before the Nth request goes out: how a test
// breaks the connection at a chosen point in the middle of a job.
class FaultAtRequest : public ForwardingEngine {
 public:
  FaultAtRequest(Engine& inner, int n, std::function<void()> fault)
      : ForwardingEngine(inner), n_(n), fault_(std::move(fault)) {}

  void SendAndAwaitReply(const std::string& packet, int tcode) override {
    if (++count_ == n_ && fault_) fault_();
    inner_.SendAndAwaitReply(packet, tcode);
  }

  int Requests() const { return count_; }

 private:
  int n_;
  std::function<void()> fault_;
  int count_ = 0;
};

}  // namespace kestrio::integration
