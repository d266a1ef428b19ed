#pragma once
// The simulated rack: what module each of the 16 slots holds and which point types its points
// accept. Loaded from a small text file (see docs/sim.md) or the built-in default.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/memory_map.h"

namespace kestrio::sim {

using memory_map::kPoints;
using memory_map::kPointsPerSlot;
using memory_map::kSlots;
inline constexpr std::int32_t kDigitalInputType = 256;
inline constexpr std::int32_t kDigitalOutputType = 384;
inline constexpr std::int32_t kNoPointType = -1;
// Analog modules have two channels: points at positions 0 and 1 of their slot.
inline constexpr int kAnalogChannels = 2;

enum class SlotKind { Empty, DigitalIn, DigitalOut, AnalogIn, AnalogOut };

// A point type a module accepts, with the scale range an analog point of that type spans.
struct PointTypeRange {
  std::int32_t code = 0;
  float from = 0;
  float to = 0;
};

struct Slot {
  SlotKind kind = SlotKind::Empty;
  std::int32_t moduleCode = 0;        // 0 for empty and digital slots
  std::vector<PointTypeRange> types;  // accepted point types; the first is the initial one
};

struct Rack {
  Slot slotList[kSlots];

  // The point type a point of this rack starts with (and returns to on reset).
  std::int32_t InitialPointType(int point) const;
  // Whether the module holding `point` accepts point type `code` there.
  bool Accepts(int point, std::int32_t code) const;
  // The scale range of point type `code` in the point's module; nullopt when it has none.
  std::optional<PointTypeRange> Range(int point, std::int32_t code) const;
};

// Digital inputs and outputs, analog input and output modules with scale ranges, empty slots and
// one module whose code the shipped module file does not name.
Rack DefaultRack();

// Parses the rack text format; on failure returns nullopt and sets `error` to a message naming
// the line.
std::optional<Rack> ParseRack(std::string_view text, std::string& error);
std::optional<Rack> LoadRackFile(const std::string& path, std::string& error);

}  // namespace kestrio::sim
