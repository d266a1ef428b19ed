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
#include "protocol/memory_map.h"
#include "sim/flash_image.h"
#include "sim/rack.h"

namespace kestrio::sim {

// Every address, size, command code, field offset, error code and rcode comes from the program's
// memory-map table (protocol/memory_map.h); docs/sim.md lists the access rules the simulator
// applies to each area.

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

  // Makes the area holding `address` refuse every read and write from now on, as a brain whose
  // kernel lacks that area does (an older kernel without event messages, say). False when no area holds it.
  bool Withhold(std::uint64_t address);
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
    int rcode = memory_map::kRcodeComplete;
    std::int32_t error = memory_map::kNoError;
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
  std::int32_t lastError_ = memory_map::kNoError;
  std::uint16_t lastErrorLabel_ = 0;
  std::uint16_t lastErrorSource_ = 0;
  std::uint32_t lastErrorOffset_ = 0;
  std::uint32_t ip_ = 0x7F000001, mask_ = 0xFF000000, gateway_ = 0;
  std::uint64_t elapsedMs_ = 0;
  int calibrations_ = 0;
};

}  // namespace kestrio::sim
