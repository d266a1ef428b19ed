#include "memmap/memmap_service.h"

#include <algorithm>
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

MemMapResult Refuse(Engine& engine, const std::string& text, std::string offset = {}) {
  engine.Ui().Message(text);
  MemMapResult r;
  r.offset = std::move(offset);
  r.stopped = true;
  r.refused = true;
  return r;
}

// One block transaction at `address`; `data` empty reads byteCount bytes.
std::pair<Step, TransferPiece> Block(Engine& engine, const PageAddress& address, long byteCount,
                                     const std::string& data) {
  TransferPiece piece;
  piece.block = true;
  piece.address = address.Text();
  piece.write = !data.empty();
  if (data.empty()) {
    std::string packet =
        engine.Builder().BuildReadBlockRequest(ToHex(static_cast<std::uint64_t>(byteCount), 4), piece.address);
    Step s = Transact(engine, packet, kReadBlockRequest, kReadBlockResponse,
                      32 + static_cast<std::size_t>(byteCount) * 2);
    if (s.judgement == Judgement::DeviceError) piece.rcode = s.rcode;
    if (s.judgement == Judgement::Good) {
      // The bytes asked for; a reply that carries fewer is no answer to this read.
      const auto digits = s.reply.BlockData();
      const auto wanted = static_cast<std::size_t>(byteCount) * 2;
      if (digits && digits->size() >= wanted) {
        piece.digits.assign(digits->substr(0, wanted));
      } else {
        s.judgement = Judgement::Unusable;
        s.error = TransferError::MalformedReply;
      }
    }
    return {std::move(s), std::move(piece)};
  }
  std::string packet = engine.Builder().BuildWriteBlockRequest(data, piece.address);
  Step s = Transact(engine, packet, kWriteBlockRequest, kWriteResponse, 24);
  if (s.judgement == Judgement::DeviceError) piece.rcode = s.rcode;
  return {std::move(s), std::move(piece)};
}

MemMapResult BlockPath(Engine& engine, PageAddress address, long quadlets, std::string data, long block) {
  MemMapResult r;
  const bool write = !data.empty();
  long remaining = quadlets * 4;
  std::size_t at = 0;
  while (write ? at < data.size() : remaining > 0) {
    std::string chunk;
    long bytes = 0;
    if (write) {
      chunk = data.substr(at, static_cast<std::size_t>(block) * 2);
      at += chunk.size();
      bytes = static_cast<long>(chunk.size() / 2);
    } else {
      bytes = std::min(block, remaining);
      remaining -= bytes;
    }
    auto [step, piece] = Block(engine, address, bytes, chunk);
    if (step.judgement == Judgement::Unusable) {
      engine.Ui().Message(detail::TransferErrorText(step.error));
      r.pieces.clear();
      r.stopped = true;
      return r;
    }
    if (step.judgement == Judgement::DeviceError) ++r.deviceErrors;
    r.pieces.push_back(std::move(piece));
    address.Advance(static_cast<std::uint32_t>(bytes));
  }
  return r;
}

MemMapResult QuadletPath(Engine& engine, PageAddress address, long quadlets, const std::string& data) {
  MemMapResult r;
  const bool write = !data.empty();
  std::size_t at = 0;
  engine.SetStopRequested(false);
  for (long i = 1; i <= quadlets; ++i) {
    if (engine.StopRequested()) {
      r.stopped = true;
      break;
    }
    TransferPiece piece;
    piece.address = address.Text();
    piece.quadlet = static_cast<int>(i);
    piece.write = write;
    Step s;
    if (write) {
      std::string quad = data.substr(std::min(at, data.size()), 8);
      at += quad.size();
      quad.append(8 - quad.size(), '0');
      s = Transact(engine, engine.Builder().BuildWriteQuadRequest(quad, piece.address), kWriteQuadRequest,
                   kWriteResponse, 24);
    } else {
      s = Transact(engine, engine.Builder().BuildReadQuadRequest(piece.address), kReadQuadRequest,
                   kReadQuadResponse, 32);
    }
    if (s.judgement == Judgement::Unusable) {
      engine.Ui().Message(detail::TransferErrorText(s.error));
      r.stopped = true;
      break;
    }
    if (s.judgement == Judgement::DeviceError) {
      ++r.deviceErrors;
      piece.rcode = s.rcode;
    } else if (!write) {
      piece.digits = ToHex(*s.reply.Quadlet(), 8);
    }
    r.pieces.push_back(std::move(piece));
    address.Advance(4);
  }
  return r;
}

// The lines of a block read: "address:digits" per whole quadlet. Written into the output at once:
// a large block has thousands of lines.
void AppendBlockLines(std::string& out, const TransferPiece& piece) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const PageAddress start = PageAddress::FromCleaned(piece.address);
  const std::size_t lines = piece.digits.size() / 8;
  const std::size_t lineSize = start.high.size() + 4 + 1 + 8 + 1;
  const std::size_t from = out.size();
  out.resize(from + lines * lineSize, '\n');
  char* at = out.data() + from;
  std::uint16_t low = start.low;
  for (std::size_t q = 0; q < lines; ++q, low = static_cast<std::uint16_t>(low + 4)) {
    at = std::copy(start.high.begin(), start.high.end(), at);
    for (int shift = 12; shift >= 0; shift -= 4) *at++ = kDigits[(low >> shift) & 0x0F];
    *at++ = ':';
    at = std::copy_n(piece.digits.begin() + static_cast<std::ptrdiff_t>(q * 8), 8, at);
    ++at;  // the line break is already there
  }
}

}  // namespace

std::string MemMapResult::Data() const {
  std::string out;
  for (const TransferPiece& p : pieces) out += p.digits;
  return out;
}

long UsableBlockSize(double maxBytes) {
  if (!(maxBytes >= 4)) return 0;  // also NaN
  if (maxBytes >= static_cast<double>(kLargestBlock)) return kLargestBlock;
  return static_cast<long>(maxBytes) / 4 * 4;
}

MemMapResult MemMapData(Engine& engine, const TransferRequest& request) {
  try {
    const std::string offset = StrippedHex(request.offset);
    if (offset.size() > 12) return Refuse(engine, kBadOffset, offset);
    const bool write = !request.data.empty();
    const std::string data = StrippedHex(request.data);
    if (write && data.empty()) return Refuse(engine, kNoHexData, offset);
    const long block = UsableBlockSize(request.maxBytes);
    if (block == 0) return Refuse(engine, kBadBlockSize, offset);
    const double count = request.count;
    if (!(count >= 1)) return Refuse(engine, kBadCount, offset);
    if (count > kMaxTransferQuadlets) return Refuse(engine, kTooMany + NumberText(kMaxTransferQuadlets), offset);
    const long quadlets = static_cast<long>(count);

    const PageAddress start = PageAddress::FromCleaned(offset);
    MemMapResult r;
    if (request.blockMode || (!write && quadlets * 4 <= block)) {
      // An odd digit would be refused only at the last block, after the others were written.
      if (write && data.size() % 2 != 0)
        return Refuse(engine, "\n" + std::string(kOddBlockData) + "\n" + data, offset);
      r = BlockPath(engine, start, quadlets, data, block);
    } else {
      r = QuadletPath(engine, start, quadlets, data);
    }
    r.offset = offset;
    return r;
  } catch (const std::bad_alloc&) {
    return Refuse(engine, detail::TransferErrorText(TransferError::OutOfMemory));
  }
}

MemMapResult MemMapBlock(Engine& engine, const std::string& offset, long byteCount, const std::string& data) {
  std::string cleaned = StrippedHex(offset);
  if (cleaned.size() > 12) return Refuse(engine, kBadOffset);
  if (data.empty() && (byteCount < 0 || byteCount > 0xFFFF)) {
    return Refuse(engine, "\nRead Block aborted - data length is 2 bytes (no more than 4 characters)");
  }
  // A write pads the offset on the left, a read on the right, as the two callers have always done.
  if (!data.empty()) cleaned.insert(0, 12 - cleaned.size(), '0');
  MemMapResult r;
  r.offset = offset;
  auto [step, piece] = Block(engine, PageAddress::FromCleaned(cleaned), byteCount, data);
  if (step.judgement == Judgement::Unusable) {
    engine.Ui().Message(detail::TransferErrorText(step.error));
    r.stopped = true;
    return r;
  }
  if (step.judgement == Judgement::DeviceError) {
    r.deviceErrors = 1;
    piece.address = offset;  // the refusal names the offset as it was passed
  }
  r.pieces.push_back(std::move(piece));
  return r;
}

std::string TransferText(const MemMapResult& result, bool formatted) {
  std::string out;
  std::size_t size = 0;
  for (const TransferPiece& p : result.pieces) size += p.digits.size() * (formatted ? 3 : 1) + 24;
  out.reserve(size);
  for (const TransferPiece& p : result.pieces) {
    if (p.block) {
      if (p.rcode != 0) {
        out += p.address + ":" + ToHex(static_cast<std::uint64_t>(p.rcode), 1) + "\n";
      } else if (!p.write) {
        if (formatted)
          AppendBlockLines(out, p);
        else
          out += p.digits;
      }
      continue;
    }
    if (formatted) out += p.address + ": ";
    if (p.rcode != 0) {
      out += "rcode " + NumberText(p.quadlet) + ":" + ToHex(static_cast<std::uint64_t>(p.rcode), 1) + "\n";
    } else if (p.write) {
      out += "quad " + NumberText(p.quadlet) + " ok\n";
    } else {
      out += p.digits;
      if (formatted) out += '\n';
    }
  }
  return out;
}

}  // namespace kestrio
