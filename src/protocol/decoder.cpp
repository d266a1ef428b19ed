#include "protocol/decoder.h"

#include <algorithm>

#include "protocol/hex.h"
#include "protocol/packet.h"

namespace kestrio {

namespace {

constexpr std::size_t kShortHeader = 24;  // write response, read quadlet request
constexpr std::size_t kLongHeader = 32;   // every other known kind

// The real 4-bit tcode: a person reading a packet wants to see "A", not the 0 the program reads.
int DisplayTcode(std::string_view digits) {
  if (digits.size() < 7) return -1;
  return static_cast<int>(HexValue(digits.substr(6, 1)));
}

std::string RcodeNote(int rcode) {
  switch (rcode) {
    case 0:
      return "complete";
    case 4:
      return "conflict error";
    case 5:
      return "data error";
    case 6:
      return "type error";
    case 7:
      return "address error";
    default:
      return "reserved";
  }
}

bool IsBlockTcode(int tcode) { return tcode == 1 || tcode == 5 || tcode == 7; }

std::size_t HeaderLength(int tcode) { return (tcode == 2 || tcode == 4) ? kShortHeader : kLongHeader; }

// Digits [from, from + count) of `s`, shortened to what is there.
std::string_view Slice(std::string_view s, std::size_t from, std::size_t count) {
  if (from >= s.size()) return {};
  return s.substr(from, count);
}

class PacketReader {
 public:
  PacketReader(std::string_view digits, DecodedPacket& out) : digits_(digits), out_(out) {}

  // Adds the field when all its digits are present; reports whether they were.
  bool Field(const char* name, std::size_t from, std::size_t count, std::string note = {}) {
    if (from + count > digits_.size()) return false;
    out_.fields.push_back({name, std::string(digits_.substr(from, count)), std::move(note)});
    return true;
  }

 private:
  std::string_view digits_;
  DecodedPacket& out_;
};

// How many digits the packet at the start of `rest` spans, by its own header.
std::size_t SpanOf(std::string_view rest, int tcode) {
  if (tcode < 0 || !IsKnownTcode(tcode)) return rest.size();
  std::size_t span = HeaderLength(tcode);
  if (tcode == 1 || tcode == 7) {
    std::size_t n = rest.size() >= 28 ? static_cast<std::size_t>(HexValue(rest.substr(24, 4))) : 0;
    span += (n + 3) / 4 * 4 * 2;
  }
  return std::min(span, rest.size());
}

void DecodeOne(std::string_view rest, std::size_t index, DecodedPacket& packet) {
  int tcode = DisplayTcode(rest);
  std::size_t span = SpanOf(rest, tcode);
  std::string_view digits = rest.substr(0, span);
  packet.hex = std::string(digits);
  PacketReader r(digits, packet);

  r.Field("destination ID", 0, 4);
  if (digits.size() >= 6) {
    int tlrt = static_cast<int>(HexValue(digits.substr(4, 2)));
    r.Field("tl", 4, 2, std::to_string(tlrt >> 2));
    packet.fields.push_back({"rt", std::to_string(tlrt & 3), {}});
  }
  if (tcode >= 0) r.Field("tcode", 6, 1, PacketTypeName(tcode));
  r.Field("priority", 7, 1);
  r.Field("source ID", 8, 4);

  bool known = tcode >= 0 && IsKnownTcode(tcode);
  std::size_t header = known ? HeaderLength(tcode) : 12;
  if (digits.size() < header) {
    std::string what =
        std::to_string(digits.size()) + " digits, fewer than the " + std::to_string(header) + "-digit header";
    packet.problems.push_back(index > 0 ? "trailing partial packet: " + what : "too short: " + what);
  }

  if (known && IsResponseTcode(tcode)) {
    if (digits.size() >= 13) {
      int rcode = static_cast<int>(HexValue(digits.substr(12, 1)));
      r.Field("rcode", 12, 1, RcodeNote(rcode));
    }
    r.Field("reserved", 13, 11);
  } else if (known) {
    r.Field("destination offset", 12, 12);
  }

  if (tcode == 0 || tcode == 6) r.Field("quadlet data", 24, 8);

  if (known && IsBlockTcode(tcode) && digits.size() >= 28) {
    std::size_t n = static_cast<std::size_t>(HexValue(digits.substr(24, 4)));
    r.Field("data_length", 24, 4, std::to_string(n) + (n == 1 ? " byte" : " bytes"));
    r.Field("extended tcode", 28, 4);
    if (tcode != 5 && digits.size() >= kLongHeader) {
      std::string_view block = Slice(digits, kLongHeader, n * 2);
      packet.fields.push_back({"data block", std::string(block), {}});
      std::size_t padded = (n + 3) / 4 * 4 * 2;
      std::string_view padding = Slice(digits, kLongHeader + n * 2, padded - n * 2);
      if (!padding.empty()) packet.fields.push_back({"padding", std::string(padding), {}});
      std::size_t following = digits.size() - kLongHeader;
      if (following < padded) {
        packet.problems.push_back("data_length claims " + std::to_string(n) + " bytes (" +
                                  std::to_string(padded) + " digits with padding) but only " +
                                  std::to_string(following) + " digits follow");
      }
    }
  }

  if (!known && tcode >= 0) {
    packet.problems.push_back("unknown tcode " + std::string(digits.substr(6, 1)) +
                              ": the rest of the text is shown as one packet");
    if (digits.size() > 12) packet.fields.push_back({"data", std::string(digits.substr(12)), {}});
  }
}

}  // namespace

std::vector<DecodedPacket> DecodePackets(std::string_view text) {
  std::string digits = StrippedHex(text);
  std::vector<DecodedPacket> packets;
  std::string_view rest = digits;
  while (!rest.empty()) {
    DecodedPacket packet;
    DecodeOne(rest, packets.size(), packet);
    std::size_t used = std::max<std::size_t>(packet.hex.size(), 1);
    rest.remove_prefix(std::min(used, rest.size()));
    packets.push_back(std::move(packet));
  }
  if (digits.size() % 2 != 0 && !packets.empty()) {
    packets.back().problems.push_back("odd number of digits (" + std::to_string(digits.size()) +
                                      "): the last byte is incomplete");
  }
  return packets;
}

std::string FormatDecoded(const std::vector<DecodedPacket>& packets) {
  if (packets.empty()) return "No packets.\n";
  std::size_t width = 0;
  for (const DecodedPacket& p : packets) {
    for (const DecodedField& f : p.fields) width = std::max(width, f.name.size());
  }
  std::string out;
  for (std::size_t i = 0; i < packets.size(); ++i) {
    const DecodedPacket& p = packets[i];
    int tcode = DisplayTcode(p.hex);
    if (i > 0) out += "\n";
    out += "Packet " + std::to_string(i + 1) + ": " + (tcode >= 0 ? PacketTypeName(tcode) : "[too short]") +
           ", " + std::to_string(p.hex.size()) + " digits\n";
    for (const DecodedField& f : p.fields) {
      out += "  " + f.name + ":" + std::string(width - f.name.size() + 1, ' ') + f.value;
      if (!f.note.empty()) out += "  (" + f.note + ")";
      out += "\n";
    }
    for (const std::string& problem : p.problems) out += "  ! " + problem + "\n";
  }
  return out;
}

}  // namespace kestrio
