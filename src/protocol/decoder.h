#pragma once
// Field-by-field view of packets typed or selected as hex text: what the desktop program's
// packet decoder window and the command-line tool's decode command show.
#include <string>
#include <string_view>
#include <vector>

namespace kestrio {

struct DecodedField {
  std::string name;   // "destination ID", "tl", "tcode", ...
  std::string value;  // the digits as they stand in the packet
  std::string note;   // a readable meaning, e.g. "1" for tl or "[Read Quad Response]"; may be empty
};

struct DecodedPacket {
  std::string hex;                    // the packet's digits
  std::vector<DecodedField> fields;
  std::vector<std::string> problems;  // why the packet is malformed; empty when it is whole
};

// Decodes every packet in `text`: non-hex characters are dropped first, then the digits are
// split into packets by their headers. Empty text gives no packets.
std::vector<DecodedPacket> DecodePackets(std::string_view text);

// Readable multi-line text of decoded packets, one block per packet.
std::string FormatDecoded(const std::vector<DecodedPacket>& packets);

}  // namespace kestrio
