#include "protocol/memory_map.h"

#include "protocol/hex.h"

namespace kestrio::memory_map {

std::string AddressText(std::uint64_t address) { return ToHex(address & 0xFFFFFFFFFFFFull, 12); }

}  // namespace kestrio::memory_map
