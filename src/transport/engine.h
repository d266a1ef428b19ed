#pragma once
// The request/reply engine as services see it: one synchronous call that sends a request packet and
// returns its reply as a value. Services depend only on this interface, so they run against the
// simulator, a scripted fake and the command-line tool alike.
#include <string>

#include "protocol/packet.h"
#include "protocol/prompter.h"
#include "protocol/reply.h"

namespace kestrio {

class Engine {
 public:
  virtual ~Engine() = default;

  // Logs and sends `packet` (hex digits) and, unless `tcode` is a response kind, waits for the reply
  // or the timeout. Never re-entrant: a call made while another waits is refused (Outcome::Refused).
  virtual Reply SendAndAwaitReply(const std::string& packet, int tcode) = 0;

  virtual bool IsConnected() const = 0;
  virtual bool Busy() const = 0;

  // Set when the engine gives up while a scan runs; the quadlet loop of a transfer stops on it.
  virtual bool StopRequested() const = 0;
  virtual void SetStopRequested(bool on) = 0;

  virtual PacketBuilder& Builder() = 0;
  virtual Prompter& Ui() = 0;
  // Appends text to the message log; texts begin with their own line break.
  virtual void AddMsg(const std::string& text) = 0;
};

// Passes every call on to another engine; a decorator overrides only what it adds to (recording the
// requests of a job, breaking the connection at a chosen request).
class ForwardingEngine : public Engine {
 public:
  explicit ForwardingEngine(Engine& inner) : inner_(inner) {}

  Reply SendAndAwaitReply(const std::string& packet, int tcode) override {
    return inner_.SendAndAwaitReply(packet, tcode);
  }
  bool IsConnected() const override { return inner_.IsConnected(); }
  bool Busy() const override { return inner_.Busy(); }
  bool StopRequested() const override { return inner_.StopRequested(); }
  void SetStopRequested(bool on) override { inner_.SetStopRequested(on); }
  PacketBuilder& Builder() override { return inner_.Builder(); }
  Prompter& Ui() override { return inner_.Ui(); }
  void AddMsg(const std::string& text) override { inner_.AddMsg(text); }

 protected:
  Engine& inner_;
};

// What the engine stops when it gives up (a timeout, no connection): every repeating sender.
class ScanControl {
 public:
  virtual ~ScanControl() = default;
  virtual bool Scanning() const = 0;
  virtual void StopAll() = 0;
};

}  // namespace kestrio
