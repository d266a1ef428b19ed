#pragma once
// One scan of the points window without the window: the two block reads, the check that a reply
// belongs to its request, and the decoding of the analog values (64 big-endian IEEE-754 singles)
// and the digital states (one big-endian 64-bit value, bit p = point p) into point texts.
#include <array>
#include <cstdint>
#include <string_view>

#include "points/rack.h"

namespace kestrio::points {

BlockRead AnalogScanRead();   // 256 bytes at FFFFF0600000
BlockRead DigitalScanRead();  // 8 bytes at FFFFF0400000

// True when the reply carries the request's transaction label. A reply that never came leaves an
// older packet (or none) as the last reply, which this catches.
bool ScanLabelsMatch(std::string_view request, std::string_view reply);

// Which point texts a scan wrote and which boxes show them (bit p = point p).
struct ScanUpdate {
  bool decoded = false;  // false: the data was short or not hex, and nothing changed
  std::uint64_t written = 0;
  std::uint64_t shown = 0;
  // The analog scan's numbers (points in `shown`), so a trend plots what was read, not its text.
  std::array<float, kPoints> values{};
};

// The analog values of the points in slots whose module type code is not 0: each becomes its
// FormatAnalogValue text and is shown, or "NAN" (not shown) when it is not a finite number.
ScanUpdate DecodeAnalogScan(const PayloadReader& block, const RackTypes& rack, PointTexts& texts);

// The states of the points in slots whose module type code is 0: "  ON  " for a set bit, "  OFF  "
// for a clear one, all shown. Analog slots' texts are left alone.
ScanUpdate DecodeDigitalScan(const PayloadReader& block, const RackTypes& rack, PointTexts& texts);

// Some slot reports a module type code other than 0, so the analog scan is made.
bool AnalogPointsPresent(const RackTypes& rack);

}  // namespace kestrio::points
