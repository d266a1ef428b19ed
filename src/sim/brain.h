#pragma once
// The simulated brain's socket-free core: the memory map and the rules by which it answers one
// request packet. Not thread-safe; the server calls it under its own mutex.
// All multi-byte values in the memory map are big-endian. Addresses are 48-bit offsets.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "protocol/hex.h"
#include "sim/flash_image.h"
#include "sim/rack.h"

namespace kestrio::sim {

// Areas of the memory map (docs/sim.md lists their access rules).
inline constexpr std::uint64_t kSettingsBase = 0xFFFFF0100000;
inline constexpr std::uint32_t kSettingsSize = 0x400;
inline constexpr std::uint64_t kStatusBase = 0xFFFFF0300000;
inline constexpr std::uint32_t kStatusSize = 64;
inline constexpr std::uint64_t kImageBase = 0xFFFFF0360000;
inline constexpr std::uint64_t kImageAltBase = 0xFFFFF0370000;
inline constexpr std::uint32_t kImageWindow = 0x10000;
inline constexpr std::uint64_t kCommandAddr = 0xFFFFF0380000;
inline constexpr std::uint64_t kDigitalStatesBase = 0xFFFFF0400000;
inline constexpr std::uint64_t kDigitalOutBase = 0xFFFFF0500000;
inline constexpr std::uint64_t kAnalogValuesBase = 0xFFFFF0600000;
inline constexpr std::uint64_t kAnalogOutBase = 0xFFFFF0B00000;
inline constexpr std::uint64_t kPointConfigBase = 0xFFFFF0C00000;
inline constexpr std::uint32_t kPointRecord = 64;
inline constexpr std::uint64_t kDigitalEventsBase = 0xFFFFF0D00000;
inline constexpr std::uint64_t kTimersBase = 0xFFFFF0D40000;
inline constexpr std::uint64_t kCalibrationBase = 0xFFFFF0E00000;
inline constexpr std::uint64_t kAlarmsBase = 0xFFFFF1100000;
inline constexpr std::uint64_t kMessagesBase = 0xFFFFF1200000;
inline constexpr std::uint64_t kSerialBase = 0xFFFFF1540000;

// Response codes carried in the upper four bits of response byte 6.
enum Rcode : int {
  kRcodeComplete = 0,
  kRcodeConflict = 4,
  kRcodeData = 5,
  kRcodeType = 6,
  kRcodeAddress = 7
};

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
};

// Command quadlet values.
enum Command : std::uint32_t {
  kCmdPowerUpClear = 1,
  kCmdResetToDefaults = 2,
  kCmdStore = 3,
  kCmdEraseFlash = 4,
  kCmdRestart = 5,
  kCmdClearDigitalEvents = 6,
};

class Brain {
 public:
  explicit Brain(Rack rack = DefaultRack());
  ~Brain();
  Brain(Brain&&) noexcept;
  Brain& operator=(Brain&&) noexcept;

  // The reply to one complete request packet; nullopt when the packet is ignored (not a request
  // kind, or shorter than its header says).
  std::optional<Bytes> Handle(const Bytes& request);

  // Back to the state of a newly made brain on the same rack (factory settings, empty flash,
  // power-up clear pending, no state file), reusing the memory map: only areas written since are
  // cleared, so a fuzzer can run thousands of short sessions a second on one brain.
  void Reset();

  // Network settings shown in the status area (host byte order, e.g. 0x7F000001).
  void SetNetwork(std::uint32_t ip, std::uint32_t mask, std::uint32_t gateway);
  // Milliseconds since the brain started; drives the analog waveform and digital input pattern.
  void SetElapsedMs(std::uint64_t ms) { elapsedMs_ = ms; }

  // Keeps the flash in `path` (empty: in memory only). LoadState reads an existing file into the
  // flash and the live areas; a missing file is an empty flash. False + error on a bad file.
  void SetStateFile(std::string path) { statePath_ = std::move(path); }
  bool LoadState(std::string& error);

  // Direct access without the protocol's rules, for tests and tools: the bytes a read would
  // return / raw stores into backing memory. False when the range is not inside one area.
  bool Peek(std::uint64_t address, std::size_t length, Bytes& out);
  bool Poke(std::uint64_t address, const Bytes& data);

  const Rack& GetRack() const { return rack_; }
  bool PowerUpClearPending() const { return pucPending_; }
  std::int32_t LastErrorCode() const { return lastError_; }
  std::uint64_t DigitalOutputs() const { return outputs_; }
  void SetDigitalInputOverride(std::optional<std::uint64_t> bits) { inputOverride_ = bits; }
  std::int32_t PointType(int point) const;
  bool FlashEmpty() const { return !flash_.has_value(); }
  int Calibrations() const { return calibrations_; }
  // The EEPROM image as the image window shows it (the flash, not the live areas).
  Bytes Image();

 private:
  struct Area;
  struct Result {
    int rcode = kRcodeComplete;
    std::int32_t error = kNoError;
  };
  using Snapshot = std::vector<Bytes>;  // one copy per flash area, in area order

  Area* FindArea(std::uint64_t address);
  Result Read(Area& a, std::uint32_t offset, std::uint32_t length, Bytes& out);
  Result Write(Area& a, std::uint32_t offset, const Bytes& data, bool quadlet);
  Result WritePointConfig(std::uint32_t offset, const Bytes& data);
  Result WriteAnalogOut(std::uint32_t offset, const Bytes& data);
  Result RunCommand(std::uint32_t value);
  void Generate(Area& a);
  void ApplyPointType(int point, std::int32_t code);
  void ResetLive();
  Snapshot Capture() const;
  void Restore(const Snapshot& s);
  std::vector<ImageRecord> ImageRecords(const Snapshot& s) const;
  std::optional<Snapshot> SnapshotFromImage(const ParsedImage& img, std::string& error) const;
  float AnalogValue(int point) const;
  std::uint64_t DigitalStates() const;

  Rack rack_;
  std::vector<Area*> areas_;
  std::vector<std::unique_ptr<Area>> owned_;
  Area* pointConfig_ = nullptr;  // looked up per point on every scan, so kept at hand
  std::optional<Snapshot> flash_;
  // Counts changes of the flash, so the EEPROM image windows are rebuilt only when it changed.
  std::uint64_t flashVersion_ = 1;
  std::string statePath_;
  bool pucPending_ = true;
  std::uint64_t outputs_ = 0;
  std::optional<std::uint64_t> inputOverride_;
  std::int32_t lastError_ = kNoError;
  std::uint16_t lastErrorLabel_ = 0;
  std::uint16_t lastErrorSource_ = 0;
  std::uint32_t lastErrorOffset_ = 0;
  std::uint32_t ip_ = 0x7F000001, mask_ = 0xFF000000, gateway_ = 0;
  std::uint64_t elapsedMs_ = 0;
  int calibrations_ = 0;
};

}  // namespace kestrio::sim
