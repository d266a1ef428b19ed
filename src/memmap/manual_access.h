#pragma once
// The memory-map window's manual Read/Write: the count box and data box as typed in, turned into one
// MemMapTransfer (formatted lines, block transactions) and the boxes' texts afterwards.
#include <string>

#include "memmap/memmap_service.h"
#include "transport/engine.h"

namespace kestrio {

// The most quadlets one manual access carries.
inline constexpr int kMaxManualQuadlets = 4096;

struct ManualAccessResult {
  std::string countText;  // what the count box shows afterwards
  std::string dataText;   // what the data box shows afterwards: read lines, or "" after a write
  MemMapResult transfer;
};

// write false: reads the count box's leading number of quadlets at `address` (a count above
// kMaxManualQuadlets says "Too many, max: " and reads that many). write true: writes the hex digits
// of `dataText` (anything else is ignored); the count is the digits / 8 rounded up. A write longer
// than kMaxManualQuadlets is refused whole rather than cut short. maxBytesText: the largest block in
// decimal bytes.
ManualAccessResult ManualAccess(Engine& engine, bool write, const std::string& countText,
                                const std::string& address, const std::string& dataText,
                                const std::string& maxBytesText);

// The "Too many, max: " message for kMaxManualQuadlets.
std::string TooManyText();

}  // namespace kestrio
