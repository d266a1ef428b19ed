#include "memmap/status_service.h"

#include "protocol/hex.h"
#include "protocol/memory_map.h"
#include "protocol/packet.h"

namespace kestrio {

namespace {

// Hex without leading zeros of the value's bits, as the window shows codes and addresses.
std::string BareHex(std::uint32_t bits) { return ToHex(bits, 1); }

}  // namespace

bool DecodeStatusArea(const PayloadReader& in, StatusRecord& record) {
  namespace f = memory_map::status;
  const auto all = in.Digits(0, memory_map::kStatus.size);
  if (!all) return false;
  for (char c : *all)
    if (!IsHexDigit(c)) return false;
  StatusRecord r;
  r.raw = std::string(*all);
  r.powerUpClear = *in.I32(f::kPowerUpClear);
  r.busy = *in.I32(f::kBusy);
  r.errorCode = *in.I32(f::kErrorCode);
  r.errorLabel = *in.I16(f::kErrorLabel);
  r.errorSource = *in.I16(f::kErrorSource);
  r.errorOffset = *in.I32(f::kErrorOffset);
  r.loaderRevision = *in.Quad(f::kLoaderRevision);
  r.kernelRevision = *in.Quad(f::kKernelRevision);
  r.ioUnitType = *in.I32(f::kIoUnitType);
  r.hardwareMajor = *in.U8(f::kHardwareMajor);
  r.hardwareMinor = *in.U8(f::kHardwareMinor);
  r.hardwareBuild = *in.I16(f::kHardwareBuild);
  r.ramSize = *in.I32(f::kRamSize);
  for (std::size_t i = 0; i < r.mac.size(); ++i) r.mac[i] = *in.U8(f::kMacAddress + i);
  r.ipAddress = *in.Quad(f::kIpAddress);
  r.subnetMask = *in.Quad(f::kSubnetMask);
  r.gateway = *in.Quad(f::kGateway);
  record = r;
  return true;
}

bool ReadStatusArea(Engine& engine, StatusRecord& record) {
  const std::string packet = engine.Builder().BuildReadBlockRequest(
      ToHex(memory_map::kStatus.size, 4), memory_map::AddressText(memory_map::kStatus.base));
  const Reply reply = engine.SendAndAwaitReply(packet, kReadBlockRequest);
  // No status window here: it is the status window that reads this.
  if (TransactionFailed(reply, engine.Ui()) || !DecodeStatusArea(reply.Block(), record)) {
    engine.Ui().Message(kStatusReadFailed);
    return false;
  }
  return true;
}

std::string ErrorText(std::int32_t code) {
  using namespace memory_map;
  switch (code) {
    case kNoError:
      return "No error.";
    case kErrInvalidCommand:
      return "Invalid command.";
    case kErrInvalidPointType:
      return "Invalid point type.";
    case kErrInvalidFloat:
      return "Invalid float.";
    case kErrPowerUpClearExpected:
      return "Power-up clear expected.";
    case kErrInvalidAddress:
      return "Invalid memory address.";
    case kErrInvalidLength:
      return "Invalid command length.";
    case kErrBusy:
      return "Device busy.";
    case kErrCannotEraseFlash:
      return "Cannot erase flash.";
    case kErrCannotProgramFlash:
      return "Cannot program flash.";
    case kErrImageTooSmall:
      return "Image too small.";
    case kErrImageCrcMismatch:
      return "Image CRC mismatch.";
    case kErrImageLengthMismatch:
      return "Image length mismatch.";
    default:
      return "Unknown error.";  // kErrUnknown too
  }
}

std::string ErrorCodeText(std::int32_t code) {
  std::string hex = BareHex(static_cast<std::uint32_t>(code));
  if (hex.size() > 4) hex = hex.substr(hex.size() - 4);
  return hex + ": " + ErrorText(code);
}

StatusView ShowStatusRecord(const StatusRecord& r) {
  std::string mac;
  for (std::size_t i = 0; i < r.mac.size(); ++i) {
    if (i > 0) mac += "-";
    mac += ToHex(r.mac[i], 2);
  }
  StatusView v;
  v.page = {
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
  };
  v.lastError = {
      {"Code:", ErrorCodeText(r.errorCode)},
      {"Transaction Label:", BareHex(static_cast<std::uint16_t>(r.errorLabel))},
      {"Source Address:", BareHex(static_cast<std::uint16_t>(r.errorSource))},
      {"Destination Offset:", BareHex(static_cast<std::uint32_t>(r.errorOffset))},
  };
  return v;
}

}  // namespace kestrio
