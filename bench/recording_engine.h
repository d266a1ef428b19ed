#pragma once
// An engine that hands every call to the real one and keeps a copy of each request it was given,
// so a whole job's exact transactions can be counted and replayed by the raw client afterwards.
// It also adds up the time spent inside the engine, which tells the engine's share of a job from the
// service's own work (building text, parsing replies).
#include <chrono>
#include <string>
#include <vector>

#include "transport/engine.h"

namespace kestrio::bench {

class RecordingEngine : public ForwardingEngine {
 public:
  explicit RecordingEngine(Engine& inner) : ForwardingEngine(inner) {}

  Reply SendAndAwaitReply(const std::string& packet, int tcode) override {
    if (!packet.empty()) requests_.push_back(packet);  // converted only when replayed
    const auto start = std::chrono::steady_clock::now();
    Reply reply = inner_.SendAndAwaitReply(packet, tcode);
    engineTime_ += std::chrono::steady_clock::now() - start;
    return reply;
  }

  const std::vector<std::string>& Requests() const { return requests_; }
  double EngineMs() const { return std::chrono::duration<double, std::milli>(engineTime_).count(); }
  void Clear() {
    requests_.clear();
    engineTime_ = {};
  }

 private:
  std::vector<std::string> requests_;
  std::chrono::steady_clock::duration engineTime_{};
};

}  // namespace kestrio::bench
