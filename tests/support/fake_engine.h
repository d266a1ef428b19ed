#pragma once
// A scripted engine for service tests: records every packet sent, answers from a queue of replies
// or from a responder, and judges replies with the protocol's own DescribePacket so the reply flags
// behave as the real engine's. FakeMemory is a responder backed by a byte map.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "protocol/convert.h"
#include "protocol/hex.h"
#include "protocol/packet.h"
#include "protocol/prompter.h"
#include "support/packets.h"
#include "transport/engine.h"

namespace kestrio::test {

class FakeEngine : public Engine {
 public:
  struct Sent {
    std::string packet;
    int tcode;
  };
  // Answers a request; nullopt means no reply (the timeout passes).
  using Responder = std::function<std::optional<std::string>(const std::string& packet, int tcode)>;

  FakeEngine() : builder_(labels_, prompter) {}

  Reply SendAndAwaitReply(const std::string& packet, int tcode) override {
    AddMsg("\n\nSending " + PacketTypeName(tcode) + ": " + packet);
    Reply r;
    if (packet.empty()) {
      r.outcome = Outcome::Empty;
      return r;
    }
    sent.push_back({packet, tcode});
    if (IsResponseTcode(tcode)) {
      r.outcome = Outcome::Sent;
      return r;
    }
    std::optional<std::string> reply;
    if (!replies.empty()) {
      reply = replies.front();
      replies.pop_front();
    } else if (responder) {
      reply = responder(packet, tcode);
    }
    if (!reply) {
      prompter.Message("The timeout of: " + NumberText(timeoutSeconds) + " expired without receiving a reply.");
      r.outcome = Outcome::TimedOut;
      return r;
    }
    r.outcome = Outcome::Replied;
    r.packet = *reply;
    r.seconds = 0.001;
    AddMsg("\nReceived:  " + r.packet + DescribePacket(r.packet, r.flags));
    return r;
  }

  bool IsConnected() const override { return connected; }
  bool Busy() const override { return false; }
  bool StopRequested() const override { return stop_; }
  void SetStopRequested(bool on) override { stop_ = on; }
  PacketBuilder& Builder() override { return builder_; }
  Prompter& Ui() override { return prompter; }
  void AddMsg(const std::string& text) override { log.push_back(text); }

  // The packets sent, in order.
  std::vector<std::string> Packets() const {
    std::vector<std::string> out;
    for (const Sent& s : sent) out.push_back(s.packet);
    return out;
  }

  ScriptedPrompter prompter;
  std::deque<std::optional<std::string>> replies;
  Responder responder;
  int timeoutSeconds = 30;
  bool connected = true;
  std::vector<Sent> sent;
  std::vector<std::string> log;

 private:
  TransactionLabels labels_;
  PacketBuilder builder_;
  bool stop_ = false;
};

// A memory map of bytes (0 where never written) that answers the four request kinds, echoing the
// request's label. `rcodeFor` may fail a request at an address with an rcode.
class FakeMemory {
 public:
  std::map<std::uint64_t, std::uint8_t> bytes;
  std::function<int(std::uint64_t address, int tcode)> rcodeFor;

  void Put(std::uint64_t address, const std::string& hex) {
    Bytes b = HexToBytes(hex);
    for (std::size_t i = 0; i < b.size(); ++i) bytes[address + i] = b[i];
  }
  std::string Get(std::uint64_t address, std::size_t count) const {
    Bytes b;
    for (std::size_t i = 0; i < count; ++i) {
      auto it = bytes.find(address + i);
      b.push_back(it == bytes.end() ? 0 : it->second);
    }
    return BytesToHex(b);
  }

  std::optional<std::string> operator()(const std::string& p, int tcode) {
    const std::uint64_t address = HexValue(p.substr(12, 12));
    const int rcode = rcodeFor ? rcodeFor(address, tcode) : 0;
    switch (tcode) {
      case kReadQuadRequest:
        return rcode ? ReadQuadResponse("00000000", rcode, p) : ReadQuadResponse(Get(address, 4), 0, p);
      case kReadBlockRequest:
        return rcode ? ReadBlockResponse("", rcode, p)
                     : ReadBlockResponse(Get(address, HexValue(p.substr(24, 4))), 0, p);
      case kWriteQuadRequest:
        if (!rcode) Put(address, p.substr(24, 8));
        return WriteResponse(rcode, p);
      case kWriteBlockRequest:
        if (!rcode) Put(address, p.substr(32, HexValue(p.substr(24, 4)) * 2));
        return WriteResponse(rcode, p);
      default:
        return std::nullopt;
    }
  }
};

// An engine answering from a byte map: the brain of most service tests.
struct FakeBrain {
  FakeBrain() { engine.responder = std::ref(memory); }
  FakeEngine engine;
  FakeMemory memory;
};

}  // namespace kestrio::test
