#include "memmap/memmap_service.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string_view>

#include "memmap/address.h"
#include "memmap/transaction.h"
#include "protocol/convert.h"
#include "protocol/hex.h"

namespace kestrio {

namespace {

using detail::Judgement;
using detail::Step;
using detail::Transact;

constexpr char kBadOffset[] = "Memory map access aborted - Invalid destination offset";
constexpr char kBadCount[] = "The number of quadlets must be at least 1.";
constexpr char kTooMany[] = "Too many quadlets for one transfer, max: ";
constexpr char kNoHexData[] = "There is no hex data to write.";
constexpr char kOddBlockData[] =
    "Write Block aborted - data block input string must be in groups of 2 characters";

MemMapResult Refuse(Engine& engine, const std::string& text) {
  engine.Ui().Message(text);
  MemMapResult r;
  r.stopped = true;
  return r;
}

// The lines of a block read: "address:digits" per whole quadlet, or the bare digits. Written into
// one buffer of the final size: a large block has thousands of lines.
std::string BlockText(const PageAddress& start, bool formatted, long byteCount, const std::string& reply) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::string_view data = std::string_view(reply).substr(32, static_cast<std::size_t>(byteCount) * 2);
  if (!formatted) return std::string(data);
  const std::size_t lines = std::min(static_cast<std::size_t>(byteCount / 4), data.size() / 8);
  const std::size_t lineSize = start.high.size() + 4 + 1 + 8 + 1;
  std::string out(lines * lineSize, '\n');
  char* at = out.data();
  std::uint16_t low = start.low;
  for (std::size_t q = 0; q < lines; ++q, low = static_cast<std::uint16_t>(low + 4)) {
    at = std::copy(start.high.begin(), start.high.end(), at);
    for (int shift = 12; shift >= 0; shift -= 4) *at++ = kDigits[(low >> shift) & 0x0F];
    *at++ = ':';
    at = std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(q * 8), 8, at);
    ++at;  // the line break is already there
  }
  return out;
}

// One block transaction at `address`; `data` empty reads byteCount bytes.
std::pair<Step, std::string> Block(Engine& engine, const PageAddress& address, bool formatted, long byteCount,
                                   const std::string& data) {
  const std::string at = address.Text();
  if (data.empty()) {
    std::string packet =
        engine.Builder().BuildReadBlockRequest(ToHex(static_cast<std::uint64_t>(byteCount), 4), at);
    Step s = Transact(engine, packet, kReadBlockRequest, kReadBlockResponse,
                      32 + static_cast<std::size_t>(byteCount) * 2);
    if (s.judgement == Judgement::DeviceError) return {s, at + ":" + ToHex(s.rcode, 1) + "\n"};
    if (s.judgement == Judgement::Unusable) return {s, {}};
    return {s, BlockText(address, formatted, byteCount, engine.LastReply())};
  }
  std::string packet = engine.Builder().BuildWriteBlockRequest(data, at);
  Step s = Transact(engine, packet, kWriteBlockRequest, kWriteResponse, 24);
  return {s, {}};
}

MemMapResult BlockPath(Engine& engine, PageAddress address, long quadlets, std::string& data, bool formatted,
                       long block) {
  MemMapResult r;
  const bool write = !data.empty();
  long remaining = quadlets * 4;
  if (!write) r.text.reserve(static_cast<std::size_t>(quadlets) * (formatted ? address.high.size() + 14 : 8));
  while (write ? !data.empty() : remaining > 0) {
    std::string chunk;
    long bytes = 0;
    if (write) {
      chunk = data.substr(0, static_cast<std::size_t>(block) * 2);
      data.erase(0, chunk.size());
      bytes = static_cast<long>(chunk.size() / 2);
    } else {
      bytes = std::min(block, remaining);
      remaining -= bytes;
    }
    auto [step, text] = Block(engine, address, formatted, bytes, chunk);
    if (step.judgement == Judgement::Unusable) {
      engine.Ui().Message(detail::TransferErrorText(step.error));
      return {{}, r.deviceErrors, true};
    }
    if (step.judgement == Judgement::DeviceError) ++r.deviceErrors;
    r.text += text;
    address.Advance(static_cast<std::uint32_t>(bytes));
  }
  return r;
}

MemMapResult QuadletPath(Engine& engine, PageAddress address, long quadlets, std::string& data,
                         bool formatted) {
  MemMapResult r;
  const bool write = !data.empty();
  engine.SetStopRequested(false);
  for (long i = 1; i <= quadlets; ++i) {
    if (engine.StopRequested()) {
      r.stopped = true;
      break;
    }
    const std::string at = address.Text();
    Step s;
    if (write) {
      std::string quad = data.substr(0, 8);
      data.erase(0, quad.size());
      quad.append(8 - quad.size(), '0');
      s = Transact(engine, engine.Builder().BuildWriteQuadRequest(quad, at), kWriteQuadRequest,
                   kWriteResponse, 24);
    } else {
      s = Transact(engine, engine.Builder().BuildReadQuadRequest(at), kReadQuadRequest, kReadQuadResponse,
                   32);
    }
    if (s.judgement == Judgement::Unusable) {
      engine.Ui().Message(detail::TransferErrorText(s.error));
      r.stopped = true;
      break;
    }
    if (formatted) {
      r.text += at;
      r.text += ": ";
    }
    if (s.judgement == Judgement::DeviceError) {
      ++r.deviceErrors;
      r.text += "rcode " + NumberText(i) + ":" + ToHex(static_cast<std::uint64_t>(s.rcode), 1) + "\n";
    } else if (write) {
      r.text += "quad " + NumberText(i) + " ok\n";
    } else {
      r.text += std::string_view(engine.LastReply()).substr(24, 8);
      if (formatted) r.text += '\n';
    }
    address.Advance(4);
  }
  return r;
}

}  // namespace

long UsableBlockSize(double maxBytes) {
  if (!(maxBytes >= 4)) return 0;  // also NaN
  if (maxBytes >= static_cast<double>(kLargestBlock)) return kLargestBlock;
  return static_cast<long>(maxBytes) / 4 * 4;
}

MemMapResult MemMapTransfer(Engine& engine, double count, std::string& offset, std::string& data,
                            bool formatted, bool blockMode, double maxBytes) {
  try {
    StripNonHex(offset);
    if (offset.size() > 12) return Refuse(engine, kBadOffset);
    const bool write = !data.empty();
    if (write && StripNonHex(data).empty()) return Refuse(engine, kNoHexData);
    const long block = UsableBlockSize(maxBytes);
    if (block == 0) return Refuse(engine, kBadBlockSize);
    if (!(count >= 1)) return Refuse(engine, kBadCount);
    if (count > kMaxTransferQuadlets) return Refuse(engine, kTooMany + NumberText(kMaxTransferQuadlets));
    const long quadlets = static_cast<long>(count);

    const PageAddress start = PageAddress::FromCleaned(offset);
    if (blockMode || (!write && quadlets * 4 <= block)) {
      // An odd digit would be refused only at the last block, after the others were written.
      if (write && data.size() % 2 != 0)
        return Refuse(engine, "\n" + std::string(kOddBlockData) + "\n" + data);
      return BlockPath(engine, start, quadlets, data, formatted, block);
    }
    return QuadletPath(engine, start, quadlets, data, formatted);
  } catch (const std::bad_alloc&) {
    return Refuse(engine, detail::TransferErrorText(TransferError::OutOfMemory));
  }
}

std::string MemMapData(Engine& engine, double count, std::string& offset, std::string& data, bool formatted,
                       bool blockMode, double maxBytes) {
  return MemMapTransfer(engine, count, offset, data, formatted, blockMode, maxBytes).text;
}

MemMapResult MemMapBlockTransfer(Engine& engine, const std::string& offset, bool formatted, long byteCount,
                                 const std::string& data) {
  std::string cleaned = StrippedHex(offset);
  if (cleaned.size() > 12) return Refuse(engine, kBadOffset);
  if (data.empty() && (byteCount < 0 || byteCount > 0xFFFF)) {
    return Refuse(engine, "\nRead Block aborted - data length is 2 bytes (no more than 4 characters)");
  }
  // A write pads the offset on the left, a read on the right, as the two callers have always done.
  if (!data.empty()) cleaned.insert(0, 12 - cleaned.size(), '0');
  MemMapResult r;
  auto [step, text] = Block(engine, PageAddress::FromCleaned(cleaned), formatted, byteCount, data);
  if (step.judgement == Judgement::Unusable) {
    engine.Ui().Message(detail::TransferErrorText(step.error));
    r.stopped = true;
    return r;
  }
  if (step.judgement == Judgement::DeviceError) {
    r.deviceErrors = 1;
    // The rcode line names the offset as it was passed.
    if (data.empty()) text = offset + ":" + ToHex(static_cast<std::uint64_t>(step.rcode), 1) + "\n";
  }
  r.text = text;
  return r;
}

std::string MemMapBlock(Engine& engine, const std::string& offset, bool formatted, long byteCount,
                        const std::string& data) {
  return MemMapBlockTransfer(engine, offset, formatted, byteCount, data).text;
}

}  // namespace kestrio
