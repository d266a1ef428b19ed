#include "memmap/transaction.h"

#include "protocol/convert.h"
#include "protocol/packet.h"

namespace kestrio::detail {

namespace {

Step Judge(Engine& engine, int expectTcode, std::size_t needDigits) {
  switch (engine.LastOutcome()) {
    case Outcome::Replied:
      break;
    case Outcome::TimedOut:
      return {Judgement::Unusable, TransferError::NoReply, 0};
    case Outcome::NotConnected:
      return {Judgement::Unusable, TransferError::NotConnected, 0};
    case Outcome::Refused:
      return {Judgement::Unusable, TransferError::EngineBusy, 0};
    case Outcome::Empty:
      return {Judgement::Unusable, TransferError::RequestRejected, 0};
    case Outcome::Sent:
      return {Judgement::Unusable, TransferError::MalformedReply, 0};
  }
  if (engine.UnknownReply()) return {Judgement::Unusable, TransferError::MalformedReply, 0};

  const std::string& reply = engine.LastReply();
  const int kind = PacketTcode(reply);
  if (reply.size() >= 24 && IsResponseTcode(kind) && engine.LastReplyRcode() != 0) {
    return {Judgement::DeviceError, TransferError::NoReply, engine.LastReplyRcode()};
  }
  if (kind != expectTcode || reply.size() < needDigits || reply.size() < 24) {
    return {Judgement::Unusable, TransferError::MalformedReply, 0};
  }
  return {};
}

}  // namespace

Step Transact(Engine& engine, const std::string& packet, int tcode, int expectTcode, std::size_t needDigits) {
  engine.SendAndAwaitReply(packet, tcode);
  const bool failed = engine.ReplyFailed();  // reports an unknown packet itself
  // Judged before the status window opens: opening it reads the status area through the same
  // engine, which replaces LastReply and the flags.
  const Step step = Judge(engine, expectTcode, needDigits);
  if (failed && engine.ReplyError()) engine.Ui().ShowStatus();
  return step;
}

std::string TransferErrorText(TransferError error) {
  return kMemMapErrorPrefix + NumberText(static_cast<int>(error)) + "\n";
}

}  // namespace kestrio::detail
