#pragma once
// The memory-map window's manual Read/Write: the count box and data box as typed, turned into one
// transfer in block transactions, and what the boxes show afterwards.
#include <string>

#include "memmap/memmap_service.h"
#include "transport/engine.h"

namespace kestrio {

// The most quadlets one manual access carries.
inline constexpr int kMaxManualQuadlets = 4096;

// The window's boxes as typed.
struct ManualAccessInput {
  bool write = false;
  std::string count;     // quadlets to read, decimal (its leading number)
  std::string address;   // start address, hex
  std::string data;      // hex digits to write; anything else is ignored
  std::string maxBytes;  // the largest block, decimal bytes
};

struct ManualAccessResult {
  std::string countText;  // what the count box shows afterwards
  bool refused = false;   // the input was refused before anything was sent: the data box stays as typed
  std::string dataText;   // otherwise what the data box shows: read lines, or "" after a write
  MemMapResult transfer;
};

// A read reads `count` quadlets (above kMaxManualQuadlets: "Too many, max: ", and that many are read).
// A write's count is its digits / 8 rounded up; a write longer than kMaxManualQuadlets is refused
// whole rather than cut short.
ManualAccessResult ManualAccess(Engine& engine, const ManualAccessInput& input);

// The "Too many, max: " message for kMaxManualQuadlets.
std::string TooManyText();

}  // namespace kestrio
