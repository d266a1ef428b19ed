#pragma once
// The rack as the brain reports it: the module type code of each of the 16 slots and the point
// type code of each of the 64 points (point p in slot p / 4), read from the point configuration
// area in four quarters of 1024 bytes (one 64-byte big-endian record per point), and the requests
// that read and change those codes.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "protocol/memory_map.h"

namespace kestrio {
// Declared, not included: protocol/reply.h and transport/engine.h both define Outcome, and a
// service including this header beside the engine's must still compile.
class PayloadReader;
}  // namespace kestrio

namespace kestrio::points {

using memory_map::kPoints;
using memory_map::kPointsPerSlot;
using memory_map::kSlots;

inline constexpr std::int32_t kDigitalInputType = 256;
inline constexpr std::int32_t kDigitalOutputType = 384;
// A point with no configuration (analog positions 2 and 3, empty slots): its box shows nothing.
inline constexpr std::int32_t kNoPointType = -1;

inline constexpr int kRackQuarters = 4;
inline constexpr int kPointsPerQuarter = kPoints / kRackQuarters;

constexpr bool IsPoint(int point) { return point >= 0 && point < kPoints; }

struct RackTypes {
  std::array<std::int32_t, kSlots> RackModuleTypes{};  // 0: an empty slot or a digital module
  std::array<std::int32_t, kPoints> RackPointTypes{};

  // The module type code of the slot holding `point`; 0 for a point outside the rack.
  std::int32_t ModuleOf(int point) const {
    return IsPoint(point) ? RackModuleTypes[point / kPointsPerSlot] : 0;
  }
  // The point's type code; kNoPointType outside the rack.
  std::int32_t PointType(int point) const { return IsPoint(point) ? RackPointTypes[point] : kNoPointType; }
};

// The last displayed value of each point ("  ON  ", "  OFF  ", a number or "NAN").
using PointTexts = std::array<std::string, kPoints>;

// The scale texts of each analog point, ScaleFrom (first) and ScaleTo (second); empty until read.
using PointScalingTable = std::array<std::pair<std::string, std::string>, kPoints>;

// A block read: twelve address digits and the four-digit data length.
struct BlockRead {
  std::string offset;
  std::string length;
};

// A request with data: the address, the data digits, or why it is not made (then the rest is empty).
struct WriteRequest {
  std::string refusal;
  std::string offset;
  std::string data;
  bool Refused() const { return !refusal.empty(); }
};

// The read of quarter 0..3 (points 16q..16q+15); quarters outside give the read of quarter 0.
BlockRead RackQuarterRead(int quarter);

// ReadRackPointTypes, one quarter: the point types of points 16q..16q+15 and the module types of
// their slots, read from each slot's first record. False, changing nothing, when the data is
// shorter than 1024 bytes or not hex, or the quarter is not 0..3.
bool DecodeRackQuarter(const PayloadReader& block, int quarter, RackTypes& rack);

// "Point type read not successful, quarter: " with the quarter as NumberText and a full stop.
std::string QuarterFailedText(int quarter);

// The address of a field of point 0..63's configuration record (offsets from memory_map::point_record).
std::string PointRecordAddress(int point, int fieldOffset);

// WritePointConfigType: the write quadlet of `code` (eight upper-case digits) to the point's type.
WriteRequest PointConfigWrite(int point, std::int32_t code);

// The points that take the type chosen for `point`: the whole slot (4m..4m+3, ascending) when its
// module type is 0, else the point alone; nothing for a point outside the rack.
std::vector<int> PointsToConfigure(int point, const RackTypes& rack);

}  // namespace kestrio::points
