#pragma once
// Packets for tests, written out independently of the program's builders: replies as hex text (as the
// engine sees them) and requests as bytes (as a client puts them on the wire to the simulator).
#include <algorithm>
#include <cstdint>
#include <string>

#include "protocol/hex.h"
#include "protocol/memory_map.h"
#include "protocol/packet.h"

namespace kestrio::test {

// A reply: tcode 2 (24 digits), 6 (32 digits, `data` is the quadlet) or 7 (block, padded to quadlets).
inline std::string Response(int tcode, int label, int rcode = 0, const std::string& data = {}) {
  std::string p = "0000" + ToHex(static_cast<std::uint64_t>(label) * 4, 2) + ToHex(tcode * 16, 2) + "0000" +
                  ToHex(rcode, 1) + "00000000000";
  if (tcode == kReadQuadResponse) return p + (data + "00000000").substr(0, 8);
  if (tcode == kReadBlockResponse) {
    p += ToHex(data.size() / 2, 4) + "0000" + data;
    while (p.size() % 8) p += '0';
  }
  return p;
}
// The same, echoing the label of `request` (label 0 without one).
inline int LabelOf(const std::string& request) { return request.size() >= 6 ? PacketLabel(request) : 0; }
inline std::string WriteResponse(int rcode = 0, const std::string& request = {}) {
  return Response(kWriteResponse, LabelOf(request), rcode);
}
inline std::string ReadQuadResponse(const std::string& data8, int rcode = 0,
                                    const std::string& request = {}) {
  return Response(kReadQuadResponse, LabelOf(request), rcode, data8);
}
inline std::string ReadBlockResponse(const std::string& data, int rcode = 0,
                                     const std::string& request = {}) {
  return Response(kReadBlockResponse, LabelOf(request), rcode, data);
}

// Requests to the simulator from destination FFC0, source 0123, with transaction label `tl`.
inline std::string Hdr(int tcode, int tl, std::uint64_t addr) {
  return "FFC0" + ToHex(static_cast<std::uint64_t>(tl) << 2, 2) +
         ToHex(static_cast<std::uint64_t>(tcode) << 4, 2) + "0123" + ToHex(addr, 12);
}
inline Bytes ReadQuad(std::uint64_t addr, int tl = 1) { return HexToBytes(Hdr(4, tl, addr)); }
inline Bytes ReadBlock(std::uint64_t addr, std::uint32_t len, int tl = 1) {
  return HexToBytes(Hdr(5, tl, addr) + ToHex(len, 4) + "0000");
}
inline Bytes WriteQuad(std::uint64_t addr, std::uint32_t value, int tl = 1) {
  return HexToBytes(Hdr(0, tl, addr) + ToHex(value, 8));
}
inline Bytes WriteBlock(std::uint64_t addr, const std::string& dataHex, int tl = 1) {
  std::string d = StrippedHex(dataHex);
  std::string p = Hdr(1, tl, addr) + ToHex(d.size() / 2, 4) + "0000" + d;
  while (p.size() % 8 != 0) p += "0";
  return HexToBytes(p);
}
inline Bytes Command(memory_map::DeviceCommand c) {
  return WriteQuad(memory_map::kCommand.base, static_cast<std::uint32_t>(c));
}
inline Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Reply fields from bytes.
inline int Tcode(const Bytes& r) { return r.size() > 3 ? r[3] >> 4 : -1; }
inline int Label(const Bytes& r) { return r.size() > 2 ? r[2] >> 2 : -1; }
inline int RcodeOf(const Bytes& r) { return r.size() > 6 ? r[6] >> 4 : -1; }
inline std::string Data(const Bytes& r) {  // quadlet data or block data, as hex
  if (Tcode(r) == 6 && r.size() >= 16) return BytesToHex(r.data() + 12, 4);
  if (Tcode(r) == 7 && r.size() >= 16) {
    std::size_t n = (std::size_t{r[12]} << 8) | r[13];
    return BytesToHex(r.data() + 16, std::min(n, r.size() - 16));
  }
  return "";
}

// Bytes a packet takes by its header (any of the seven kinds); 0 while the header is incomplete.
inline std::size_t FramedLength(const Bytes& b) {
  if (b.size() < 4) return 0;
  switch (b[3] >> 4) {
    case kWriteResponse:
    case kReadQuadRequest:
      return 12;
    case kWriteQuadRequest:
    case kReadBlockRequest:
    case kReadQuadResponse:
      return 16;
    case kWriteBlockRequest:
    case kReadBlockResponse:
      if (b.size() < 16) return 0;
      return 16 + ((((std::size_t{b[12]} << 8) | b[13]) + 3) & ~std::size_t{3});
    default:
      return b.size();
  }
}

}  // namespace kestrio::test
