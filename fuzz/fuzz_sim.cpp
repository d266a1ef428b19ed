// The simulated brain's request handling: arbitrary byte streams split into requests, each
// handed to Brain::Handle. No crash, and every reply is a whole response of the matching kind,
// carrying the request's label and no more data than a block can hold.
//
// Input layout: byte 0 holds options (bit 0: split the rest by packet headers as the listener
// does, otherwise by a length byte before each request; bit 1: send the power-up clear first);
// byte 1 sets the brain's clock. The rest is the requests.
#include <algorithm>
#include <cstdint>
#include <optional>

#include "fuzz_input.h"
#include "protocol/hex.h"
#include "protocol/memory_map.h"
#include "protocol/packet.h"
#include "sim/brain.h"

namespace {

using kestrio::Bytes;
using kestrio::fuzz::FuzzInput;

// Bytes the request at the front of `in` spans by its header; 0 when the header is incomplete
// or names no request kind (the listener drops what it holds then).
std::size_t HeaderLength(std::string_view in) {
  if (in.size() < 4) return 0;
  const int tcode = static_cast<std::uint8_t>(in[3]) >> 4;
  switch (tcode) {
    case kestrio::kReadQuadRequest:
      return 12;
    case kestrio::kWriteQuadRequest:
    case kestrio::kReadBlockRequest:
      return 16;
    case kestrio::kWriteBlockRequest: {
      if (in.size() < 16) return 0;
      const std::size_t n =
          (std::size_t{static_cast<std::uint8_t>(in[12])} << 8) | static_cast<std::uint8_t>(in[13]);
      return 16 + ((n + 3) & ~std::size_t{3});
    }
    default:
      return 0;
  }
}

void Exchange(kestrio::sim::Brain& brain, const Bytes& request) {
  const std::optional<Bytes> reply = brain.Handle(request);
  if (!reply) return;
  KESTRIO_FUZZ_CHECK(request.size() >= 12);
  const int tcode = request[3] >> 4;
  const int expected = tcode == kestrio::kReadQuadRequest    ? kestrio::kReadQuadResponse
                       : tcode == kestrio::kReadBlockRequest ? kestrio::kReadBlockResponse
                                                             : kestrio::kWriteResponse;
  KESTRIO_FUZZ_CHECK(reply->size() >= 12 && reply->size() % 4 == 0);
  KESTRIO_FUZZ_CHECK(reply->size() <= 16 + 0x10000);
  KESTRIO_FUZZ_CHECK(((*reply)[3] >> 4) == expected);
  KESTRIO_FUZZ_CHECK(((*reply)[2] >> 2) == (request[2] >> 2));
  // The program frames a reply by its header alone, so only the header goes to hex text: a 64 KiB
  // block reply turned whole into digits cost more than everything else the input did.
  const std::string hex = kestrio::BytesToHex(reply->data(), std::min<std::size_t>(reply->size(), 16));
  KESTRIO_FUZZ_CHECK(kestrio::WholePacketLength(hex) == 2 * reply->size());
  if (expected == kestrio::kReadBlockResponse) {
    const std::size_t asked = (std::size_t{request[12]} << 8) | request[13];
    const std::size_t got = (std::size_t{(*reply)[12]} << 8) | (*reply)[13];
    KESTRIO_FUZZ_CHECK(got <= asked);
    KESTRIO_FUZZ_CHECK(reply->size() == 16 + ((got + 3) & ~std::size_t{3}));
  } else if (expected == kestrio::kReadQuadResponse) {
    KESTRIO_FUZZ_CHECK(reply->size() == 16);
  } else {
    KESTRIO_FUZZ_CHECK(reply->size() == 12);
  }
  kestrio::ReplyFlags flags;
  kestrio::DescribePacket(hex, flags);
  KESTRIO_FUZZ_CHECK(!flags.UnknownReply);
  KESTRIO_FUZZ_CHECK(flags.ReplyError == (kestrio::PacketRcode(hex) != 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const std::uint8_t options = in.Byte();
  // One brain for the process, reset to a new one's state per input: building its memory map
  // afresh took most of each execution. Requests still get buffers of their exact size, so a read
  // past one stays visible to AddressSanitizer.
  static kestrio::sim::Brain brain;
  brain.Reset();
  brain.SetElapsedMs(std::uint64_t{in.Byte()} * 997);
  if (options & 2) {
    namespace mm = kestrio::memory_map;
    static const Bytes powerUpClear =
        kestrio::HexToBytes("000004000000" + mm::AddressText(mm::kCommand.base) +
                            kestrio::ToHex(static_cast<std::uint32_t>(mm::DeviceCommand::PowerUpClear), 8));
    Exchange(brain, powerUpClear);
  }
  if (options & 1) {
    std::string_view rest = in.Rest();
    while (!rest.empty()) {
      std::size_t n = HeaderLength(rest);
      if (n == 0) break;
      if (rest.size() < n) n = rest.size();  // a cut-off request still reaches the brain
      const auto* p = reinterpret_cast<const std::uint8_t*>(rest.data());
      Exchange(brain, Bytes(p, p + n));
      rest.remove_prefix(n);
    }
  } else {
    while (!in.Empty()) {
      const std::string_view chunk = in.Text(in.Byte());
      const auto* p = reinterpret_cast<const std::uint8_t*>(chunk.data());
      Exchange(brain, Bytes(p, p + chunk.size()));
    }
  }
  return 0;
}
