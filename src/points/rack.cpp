#include "points/rack.h"

#include "points/point_texts.h"
#include "protocol/convert.h"
#include "protocol/hex.h"
#include "protocol/reply.h"

namespace kestrio::points {

namespace {

constexpr std::uint32_t kRecordBytes = memory_map::kPointConfig.size / kPoints;
constexpr std::uint32_t kQuarterBytes = kRecordBytes * kPointsPerQuarter;

}  // namespace

BlockRead RackQuarterRead(int quarter) {
  if (quarter < 0 || quarter >= kRackQuarters) quarter = 0;
  return {memory_map::AddressText(memory_map::kPointConfig.base +
                                  kQuarterBytes * static_cast<std::uint32_t>(quarter)),
          ToHex(kQuarterBytes, 4)};
}

bool DecodeRackQuarter(const PayloadReader& block, int quarter, RackTypes& rack) {
  if (quarter < 0 || quarter >= kRackQuarters || !block.Has(0, kQuarterBytes)) return false;
  RackTypes read = rack;
  for (int j = 0; j < kPointsPerQuarter; ++j) {
    const int point = kPointsPerQuarter * quarter + j;
    const std::size_t record = kRecordBytes * static_cast<std::size_t>(j);
    const std::optional<std::int32_t> type = block.I32(record + memory_map::point_record::kPointType);
    if (!type) return false;
    read.RackPointTypes[static_cast<std::size_t>(point)] = *type;
    if (point % kPointsPerSlot == 0) {
      const std::optional<std::int32_t> module = block.I32(record + memory_map::point_record::kModuleType);
      if (!module) return false;
      read.RackModuleTypes[static_cast<std::size_t>(point / kPointsPerSlot)] = *module;
    }
  }
  rack = read;
  return true;
}

std::string QuarterFailedText(int quarter) { return text::kQuarterReadFailed + NumberText(quarter) + "."; }

std::string PointRecordAddress(int point, int fieldOffset) {
  return memory_map::AddressText(memory_map::kPointConfig.base +
                                 kRecordBytes * static_cast<std::uint64_t>(point) +
                                 static_cast<std::uint64_t>(fieldOffset));
}

WriteRequest PointConfigWrite(int point, std::int32_t code) {
  if (!IsPoint(point)) return {text::kNoSuchPoint, {}, {}};
  return {{},
          PointRecordAddress(point, memory_map::point_record::kPointType),
          ToHex(static_cast<std::uint32_t>(code), 8)};
}

std::vector<int> PointsToConfigure(int point, const RackTypes& rack) {
  if (!IsPoint(point)) return {};
  if (rack.ModuleOf(point) != 0) return {point};
  const int first = point / kPointsPerSlot * kPointsPerSlot;
  return {first, first + 1, first + 2, first + 3};
}

}  // namespace kestrio::points
