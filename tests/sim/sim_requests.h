#pragma once
// Requests and addresses the simulator's tests share, named from the program's memory-map table.
#include "protocol/memory_map.h"
#include "support/packets.h"

namespace kestrio::test {

inline Bytes Command(memory_map::DeviceCommand c) {
  return WriteQuad(memory_map::kCommand.base, static_cast<std::uint32_t>(c));
}

}  // namespace kestrio::test
