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

class RecordingEngine : public Engine {
 public:
  explicit RecordingEngine(Engine& inner) : inner_(inner) {}

  void SendAndAwaitReply(const std::string& packet, int tcode) override {
    if (!packet.empty()) requests_.push_back(packet);  // converted only when replayed
    const auto start = std::chrono::steady_clock::now();
    inner_.SendAndAwaitReply(packet, tcode);
    engineTime_ += std::chrono::steady_clock::now() - start;
  }
  const std::string& LastReply() const override { return inner_.LastReply(); }
  const ReplyFlags& Flags() const override { return inner_.Flags(); }
  Outcome LastOutcome() const override { return inner_.LastOutcome(); }
  std::string TxRxTime() const override { return inner_.TxRxTime(); }
  bool Busy() const override { return inner_.Busy(); }
  bool StopRequested() const override { return inner_.StopRequested(); }
  void SetStopRequested(bool on) override { inner_.SetStopRequested(on); }
  PacketBuilder& Builder() override { return inner_.Builder(); }
  Prompter& Ui() override { return inner_.Ui(); }
  void AddMsg(const std::string& text) override { inner_.AddMsg(text); }

  const std::vector<std::string>& Requests() const { return requests_; }
  double EngineMs() const { return std::chrono::duration<double, std::milli>(engineTime_).count(); }
  void Clear() {
    requests_.clear();
    engineTime_ = {};
  }

 private:
  Engine& inner_;
  std::vector<std::string> requests_;
  std::chrono::steady_clock::duration engineTime_{};
};

}  // namespace kestrio::bench
