#pragma once
// One request through the engine and the judgement of its reply, shared by the memory-map transfers:
// the program's rules apply (JudgeReply), and a reply that is missing or malformed is told apart
// from one the brain refused with an rcode.
#include <cstddef>
#include <string>

#include "memmap/memmap_service.h"
#include "protocol/reply.h"
#include "transport/engine.h"

namespace kestrio::detail {

enum class Judgement { Good, DeviceError, Unusable };

struct Step {
  Judgement judgement = Judgement::Good;
  TransferError error = TransferError::NoReply;  // meaningful when Unusable
  int rcode = 0;                                 // meaningful when DeviceError
  Reply reply;
};

// Sends `packet` and judges the reply: it must be of kind `expectTcode` and at least `needDigits`
// long unless it carries a non-zero rcode.
Step Transact(Engine& engine, const std::string& packet, int tcode, int expectTcode, std::size_t needDigits);

// kMemMapErrorPrefix with the error number and a line break.
std::string TransferErrorText(TransferError error);

}  // namespace kestrio::detail
