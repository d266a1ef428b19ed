#pragma once
// The request/reply engine as services see it: one synchronous call that sends a request packet
// and waits for its reply, plus the reply state the caller reads afterwards. Services depend only
// on this interface, so they run against the simulator in tests and in the command-line tool.
#include <string>

#include "protocol/packet.h"
#include "protocol/prompter.h"

namespace kestrio {

// How the last call of SendAndAwaitReply ended.
enum class Outcome {
  Replied,       // a packet carrying the request's label arrived; see LastReply and the flags
  Sent,          // a response-kind packet was sent; nothing is awaited
  TimedOut,      // no reply within TimeoutSeconds (the engine has said so)
  NotConnected,  // the connection could not be opened (the engine has said so)
  Refused,       // another transaction was still waiting; nothing was sent
  Empty,         // the packet was empty (a builder rejected its input); nothing was sent
};

class Engine {
 public:
  virtual ~Engine() = default;

  // Logs and sends `packet` (hex digits) and, unless `tcode` is a response kind, waits for the
  // reply or the timeout. Never re-entrant: a call made while another waits is refused.
  virtual void SendAndAwaitReply(const std::string& packet, int tcode) = 0;

  // The newest reply to one of our requests.
  virtual const std::string& LastReply() const = 0;
  virtual const ReplyFlags& Flags() const = 0;
  virtual Outcome LastOutcome() const = 0;
  // Round-trip time of the last request in seconds, as ten characters ("    0.0123").
  virtual std::string TxRxTime() const = 0;
  virtual bool Busy() const = 0;

  // Set when the engine gives up while a scan runs; the quadlet loop of a transfer stops on it.
  virtual bool StopRequested() const = 0;
  virtual void SetStopRequested(bool on) = 0;

  virtual PacketBuilder& Builder() = 0;
  virtual Prompter& Ui() = 0;
  // Appends text to the message log; texts begin with their own line break.
  virtual void AddMsg(const std::string& text) = 0;

  bool ReplyError() const { return Flags().ReplyError; }
  bool UnknownReply() const { return Flags().UnknownReply; }
  // The rcode digit of LastReply read as hex.
  int LastReplyRcode() const { return PacketRcode(LastReply()); }
  // The program's judgement of the last transaction (reports an unknown packet itself).
  bool ReplyFailed() { return kestrio::ReplyFailed(Flags(), Ui()); }
  // ReplyFailed, or no reply came at all: what a job that must not report false success asks.
  bool TransactionFailed() {
    return ReplyFailed() || (LastOutcome() != Outcome::Replied && LastOutcome() != Outcome::Sent);
  }
};

// Passes every call on to another engine; a decorator overrides only what it adds to (recording the
// requests of a job, breaking the connection at a chosen request).
class ForwardingEngine : public Engine {
 public:
  explicit ForwardingEngine(Engine& inner) : inner_(inner) {}

  void SendAndAwaitReply(const std::string& packet, int tcode) override {
    inner_.SendAndAwaitReply(packet, tcode);
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

 protected:
  Engine& inner_;
};

}  // namespace kestrio
