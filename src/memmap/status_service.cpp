#include "memmap/status_service.h"

#include "protocol/hex.h"
#include "protocol/packet.h"

namespace kestrio {

namespace {

// Big-endian bytes of the area; the caller has checked that all 128 digits are hex.
class AreaReader {
 public:
  explicit AreaReader(const std::string& digits) : digits_(digits) {}
  std::uint8_t Byte(std::size_t at) const {
    return static_cast<std::uint8_t>(HexValue(digits_.substr(at * 2, 2)));
  }
  std::int16_t Int16(std::size_t at) const {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(HexValue(digits_.substr(at * 2, 4))));
  }
  std::int32_t Int32(std::size_t at) const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(HexValue(digits_.substr(at * 2, 8))));
  }
  Quad Quad4(std::size_t at) const { return {Byte(at), Byte(at + 1), Byte(at + 2), Byte(at + 3)}; }

 private:
  const std::string& digits_;
};

// Hex without leading zeros of the value's bits, as the window shows codes and addresses.
std::string BareHex(std::uint32_t bits) { return ToHex(bits, 1); }

}  // namespace

bool DecodeStatusArea(const std::string& digits, StatusRecord& record) {
  if (digits.size() < 128) return false;
  const std::string area = digits.substr(0, 128);
  for (char c : area) {
    if (!IsHexDigit(c)) return false;
  }
  AreaReader in(area);
  StatusRecord r;
  r.raw = area;
  r.word0 = in.Int32(0);
  r.powerUpClear = in.Int32(4);
  r.busy = in.Int32(8);
  r.errorCode = in.Int32(12);
  r.errorLabel = in.Int16(16);
  r.errorSource = in.Int16(18);
  r.errorOffset = in.Int32(20);
  r.loaderRevision = in.Quad4(24);
  r.kernelRevision = in.Quad4(28);
  r.ioUnitType = in.Int32(32);
  r.hardwareMajor = in.Byte(36);
  r.hardwareMinor = in.Byte(37);
  r.hardwareBuild = in.Int16(38);
  r.ramSize = in.Int32(40);
  r.word44 = in.Int16(44);
  for (std::size_t i = 0; i < 6; ++i) r.mac[i] = in.Byte(46 + i);
  r.ipAddress = in.Quad4(52);
  r.subnetMask = in.Quad4(56);
  r.gateway = in.Quad4(60);
  record = r;
  return true;
}

bool ReadStatusArea(Engine& engine, StatusRecord& record) {
  std::string packet = engine.Builder().BuildReadBlockRequest("0040", kStatusAreaOffset);
  engine.SendAndAwaitReply(packet, kReadBlockRequest);
  const std::string& reply = engine.LastReply();
  if (engine.TransactionFailed() || PacketTcode(reply) != kReadBlockResponse || reply.size() < 32 ||
      !DecodeStatusArea(reply.substr(32), record)) {
    engine.Ui().Message(kStatusReadFailed);
    return false;
  }
  return true;
}

std::string ErrorText(std::int32_t code) {
  switch (code) {
    case 0:
      return "No error.";
    case -8191:
      return "Invalid command.";
    case -8190:
      return "Invalid point type.";
    case -8189:
      return "Invalid float.";
    case -8188:
      return "Power-up clear expected.";
    case -8187:
      return "Invalid memory address.";
    case -8186:
      return "Invalid command length.";
    case -8185:
      return "Unknown error.";
    case -8184:
      return "Device busy.";
    case -8183:
      return "Cannot erase flash.";
    case -8182:
      return "Cannot program flash.";
    case -8181:
      return "Image too small.";
    case -8180:
      return "Image CRC mismatch.";
    case -8179:
      return "Image length mismatch.";
    default:
      return "Unknown error.";
  }
}

std::string ErrorCodeText(std::int32_t code) {
  std::string hex = BareHex(static_cast<std::uint32_t>(code));
  if (hex.size() > 4) hex = hex.substr(hex.size() - 4);
  return hex + ": " + ErrorText(code);
}

std::vector<std::pair<std::string, std::string>> StatusLines(const StatusRecord& r) {
  std::string mac;
  for (std::size_t i = 0; i < r.mac.size(); ++i) {
    if (i > 0) mac += "-";
    mac += ToHex(r.mac[i], 2);
  }
  return {
      {"Power-Up Clear:", r.powerUpClear != 0 ? "MUST BE SENT!!" : "already sent"},
      {"Processor Status:", r.busy != 0 ? "BUSY" : "clear"},
      {"Loader Revision:", FormatDottedHex(r.loaderRevision)},
      {"Kernel Revision:", FormatDottedHex(r.kernelRevision)},
      {"I/O Unit Type:", BareHex(static_cast<std::uint32_t>(r.ioUnitType))},
      {"Hardware Revision:", std::to_string(r.hardwareMajor) + "/" + std::to_string(r.hardwareMinor) + "/" +
                                 std::to_string(r.hardwareBuild)},
      {"RAM Size:", std::to_string(r.ramSize)},
      {"MAC Address:", mac},
      {"TCP/IP Address:", FormatIPAddress(r.ipAddress)},
      {"Subnet Mask:", FormatIPAddress(r.subnetMask)},
      {"Default Gateway:", FormatIPAddress(r.gateway)},
      {"Code:", ErrorCodeText(r.errorCode)},
      {"Transaction Label:", BareHex(static_cast<std::uint16_t>(r.errorLabel))},
      {"Source Address:", BareHex(static_cast<std::uint16_t>(r.errorSource))},
      {"Destination Offset:", BareHex(static_cast<std::uint32_t>(r.errorOffset))},
  };
}

}  // namespace kestrio
