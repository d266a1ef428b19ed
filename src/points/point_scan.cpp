#include "points/point_scan.h"

#include <bit>
#include <cmath>

#include "points/point_texts.h"
#include "points/value_format.h"
#include "protocol/hex.h"
#include "protocol/packet.h"
#include "protocol/reply.h"

namespace kestrio::points {

namespace {

constexpr std::uint64_t Bit(int point) { return std::uint64_t{1} << point; }

}  // namespace

BlockRead AnalogScanRead() {
  return {memory_map::AddressText(memory_map::kAnalogValues.base), ToHex(memory_map::kAnalogValues.size, 4)};
}

BlockRead DigitalScanRead() {
  return {memory_map::AddressText(memory_map::kDigitalStates.base),
          ToHex(memory_map::kDigitalStates.size, 4)};
}

bool ScanLabelsMatch(std::string_view request, std::string_view reply) {
  const int label = PacketLabel(request);
  return label >= 0 && label == PacketLabel(reply);
}

ScanUpdate DecodeAnalogScan(const PayloadReader& block, const RackTypes& rack, PointTexts& texts) {
  ScanUpdate update;
  if (!block.Has(0, memory_map::kAnalogValues.size)) return update;
  PointTexts next = texts;
  for (int p = 0; p < kPoints; ++p) {
    if (rack.ModuleOf(p) == 0) continue;
    const std::optional<std::uint32_t> quad = block.U32(4 * static_cast<std::size_t>(p));
    if (!quad) return update;
    const float value = std::bit_cast<float>(*quad);
    update.written |= Bit(p);
    if (std::isfinite(value)) {
      next[static_cast<std::size_t>(p)] = FormatAnalogValue(value);
      update.values[static_cast<std::size_t>(p)] = value;
      update.shown |= Bit(p);
    } else {
      next[static_cast<std::size_t>(p)] = text::kNan;
    }
  }
  texts = std::move(next);
  update.decoded = true;
  return update;
}

ScanUpdate DecodeDigitalScan(const PayloadReader& block, const RackTypes& rack, PointTexts& texts) {
  ScanUpdate update;
  const std::optional<std::uint64_t> states = block.Unsigned(0, memory_map::kDigitalStates.size);
  if (!states) return update;
  for (int p = 0; p < kPoints; ++p) {
    if (rack.ModuleOf(p) != 0) continue;
    texts[static_cast<std::size_t>(p)] = (*states & Bit(p)) != 0 ? text::kOn : text::kOff;
    update.written |= Bit(p);
  }
  update.shown = update.written;
  update.decoded = true;
  return update;
}

bool AnalogPointsPresent(const RackTypes& rack) {
  for (std::int32_t module : rack.RackModuleTypes) {
    if (module != 0) return true;
  }
  return false;
}

}  // namespace kestrio::points
