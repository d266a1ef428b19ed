#pragma once
// The brain's memory map: every area the program, the simulator and the tests address, the command
// codes of the command quadlet and the field offsets of the status area and the point records.
// Addresses are 48-bit destination offsets; multi-byte values in the map are big-endian.
#include <cstdint>
#include <string>

namespace kestrio::memory_map {

struct Area {
  std::uint64_t base;
  std::uint32_t size;  // bytes
};

inline constexpr int kSlots = 16;
inline constexpr int kPointsPerSlot = 4;
inline constexpr int kPoints = kSlots * kPointsPerSlot;

// Brain settings backing the option pages.
inline constexpr Area kSettings{0xFFFFF0100000, 0x1000};
inline constexpr Area kStatus{0xFFFFF0300000, 64};
// The EEPROM image is found at the first address on newer kernels, at the second on older ones.
inline constexpr Area kEepromImage{0xFFFFF0360000, 0x10000};
inline constexpr Area kEepromImageOld{0xFFFFF0370000, 0x10000};
inline constexpr Area kCommand{0xFFFFF0380000, 4};
// Point states as one 64-bit value, bit p = point p.
inline constexpr Area kDigitalStates{0xFFFFF0400000, 8};
// Bytes 0-7: points to turn on; bytes 8-15: points to turn off.
inline constexpr Area kDigitalOutputs{0xFFFFF0500000, 16};
// One float per point.
inline constexpr Area kAnalogValues{0xFFFFF0600000, 4 * kPoints};
// One 64-byte record per point; the float value at its start.
inline constexpr Area kAnalogOutputs{0xFFFFF0B00000, 64 * kPoints};
inline constexpr Area kPointConfig{0xFFFFF0C00000, 64 * kPoints};
// Reading a quadlet triggers the calibration: offset at +4p, gain at kGainCalibration + 4p.
inline constexpr Area kCalibration{0xFFFFF0E00000, 512};
inline constexpr std::uint32_t kGainCalibration = 256;

// The event/reaction configuration: record i of an area at base + stride * i.
struct RecordArea {
  std::uint64_t base;
  std::uint32_t stride;
  int records;
};
inline constexpr RecordArea kPointNames{0xFFFFF0C00030, 64, kPoints};
inline constexpr RecordArea kDigitalEvents{0xFFFFF0D00000, 64, 64};
inline constexpr RecordArea kTimers{0xFFFFF0D40000, 128, 64};
// The alarm records begin one quadlet into their area; that quadlet is never accessed.
inline constexpr RecordArea kAlarms{0xFFFFF1100004, 128, 64};
inline constexpr RecordArea kEventMessages{0xFFFFF1200000, 192, 128};
inline constexpr RecordArea kSerialEvents{0xFFFFF1540000, 112, 32};
inline constexpr RecordArea kSerialPriorities{0xFFFFF1540E00, 4, 32};

// Values written to the command quadlet.
enum class DeviceCommand : std::uint32_t {
  PowerUpClear = 1,
  ResetToDefaults = 2,
  StoreToEeprom = 3,
  EraseFlash = 4,
  RestartFromPowerUp = 5,
  ClearDigitalEvents = 6,
};

// Byte offsets of the status area's fields.
namespace status {
inline constexpr int kPowerUpClear = 4;
inline constexpr int kBusy = 8;
inline constexpr int kErrorCode = 12;
inline constexpr int kErrorLabel = 16;
inline constexpr int kErrorSource = 18;
inline constexpr int kErrorOffset = 20;
inline constexpr int kLoaderRevision = 24;
inline constexpr int kKernelRevision = 28;
inline constexpr int kIoUnitType = 32;
inline constexpr int kHardwareMajor = 36;
inline constexpr int kHardwareMinor = 37;
inline constexpr int kHardwareBuild = 38;
inline constexpr int kRamSize = 40;
inline constexpr int kMacAddress = 46;
inline constexpr int kIpAddress = 52;
inline constexpr int kSubnetMask = 56;
inline constexpr int kGateway = 60;
}  // namespace status

// Byte offsets inside a 64-byte point configuration record.
namespace point_record {
inline constexpr int kModuleType = 0;  // meaningful in the record of a slot's first point
inline constexpr int kPointType = 4;
inline constexpr int kScaleTo = 20;
inline constexpr int kScaleFrom = 24;
inline constexpr int kName = 48;
inline constexpr int kNameBytes = 16;
}  // namespace point_record

// The brain's error codes as the status area reports them.
enum ErrorCode : std::int32_t {
  kNoError = 0,
  kErrInvalidCommand = -8191,
  kErrInvalidPointType = -8190,
  kErrInvalidFloat = -8189,
  kErrPowerUpClearExpected = -8188,
  kErrInvalidAddress = -8187,
  kErrInvalidLength = -8186,
  kErrUnknown = -8185,
  kErrBusy = -8184,
  kErrCannotEraseFlash = -8183,
  kErrCannotProgramFlash = -8182,
  kErrImageTooSmall = -8181,
  kErrImageCrcMismatch = -8180,
  kErrImageLengthMismatch = -8179,
};

// Response codes (the upper four bits of response byte 6).
enum Rcode : int {
  kRcodeComplete = 0,
  kRcodeConflict = 4,
  kRcodeData = 5,
  kRcodeType = 6,
  kRcodeAddress = 7,
};

// Twelve upper-case hex digits of an address ("FFFFF0300000").
std::string AddressText(std::uint64_t address);

// The address of record `index` of `area`.
constexpr std::uint64_t RecordAddress(const RecordArea& area, int index) {
  return area.base + static_cast<std::uint64_t>(area.stride) * static_cast<std::uint64_t>(index);
}

}  // namespace kestrio::memory_map
