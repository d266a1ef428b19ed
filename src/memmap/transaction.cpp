#include "memmap/transaction.h"

#include "protocol/convert.h"
#include "protocol/packet.h"

namespace kestrio::detail {

namespace {

Step Classify(Reply reply, int expectTcode, std::size_t needDigits) {
  Step step;
  switch (reply.outcome) {
    case Outcome::Replied:
      break;
    case Outcome::TimedOut:
      step.judgement = Judgement::Unusable;
      step.error = TransferError::NoReply;
      return step;
    case Outcome::NotConnected:
      step.judgement = Judgement::Unusable;
      step.error = TransferError::NotConnected;
      return step;
    case Outcome::Refused:
      step.judgement = Judgement::Unusable;
      step.error = TransferError::EngineBusy;
      return step;
    case Outcome::Empty:
      step.judgement = Judgement::Unusable;
      step.error = TransferError::RequestRejected;
      return step;
    case Outcome::Sent:
      step.judgement = Judgement::Unusable;
      step.error = TransferError::MalformedReply;
      return step;
  }
  if (reply.flags.UnknownReply) {
    step.judgement = Judgement::Unusable;
    step.error = TransferError::MalformedReply;
  } else if (reply.DeviceError()) {
    step.judgement = Judgement::DeviceError;
    step.rcode = reply.Rcode();
  } else if (reply.Tcode() != expectTcode || reply.packet.size() < needDigits || reply.packet.size() < 24) {
    step.judgement = Judgement::Unusable;
    step.error = TransferError::MalformedReply;
  }
  step.reply = std::move(reply);
  return step;
}

}  // namespace

Step Transact(Engine& engine, const std::string& packet, int tcode, int expectTcode, std::size_t needDigits) {
  Reply reply = engine.SendAndAwaitReply(packet, tcode);
  JudgeReply(reply, engine.Ui());
  return Classify(std::move(reply), expectTcode, needDigits);
}

std::string TransferErrorText(TransferError error) {
  return kMemMapErrorPrefix + NumberText(static_cast<int>(error)) + "\n";
}

}  // namespace kestrio::detail
