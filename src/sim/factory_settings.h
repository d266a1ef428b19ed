#pragma once
// The brain's factory settings: what the settings area (memory_map::kSettings) holds after a reset,
// so every field of every option page shipped in data/ reads a sensible value. Offsets are bytes
// from the start of the area; values are big-endian, strings zero-terminated 8-bit text.
#include <cstdint>
#include <span>

namespace kestrio::sim {

// Writes the factory values into `settings` (the whole area, zeros already); bytes the table does
// not name are left as they are.
void WriteFactorySettings(std::span<std::uint8_t> settings);

}  // namespace kestrio::sim
