#include "points/point_write.h"

#include "points/point_texts.h"
#include "points/value_format.h"
#include "protocol/convert.h"

namespace kestrio::points {

namespace {

constexpr std::uint32_t kRecordBytes = memory_map::kAnalogOutputs.size / kPoints;
constexpr std::uint32_t kCalibrationStride = 4;
// Analog modules have two channels, at positions 0 and 1 of their slot.
constexpr int kAnalogChannels = 2;

}  // namespace

ClickAction TogglePointOrAsk(std::int32_t module, const ModulePointTables& tables) {
  if (module == 0) return ClickAction::ToggleDigital;
  if (tables.IsAnalogOutputModule(module)) return ClickAction::AnalogOutputEntry;
  return ClickAction::AskGainOffset;
}

std::string ToggledText(std::string_view current) { return current == text::kOn ? text::kOff : text::kOn; }

ClickDecision PointClicked(int point, const RackTypes& rack, const PointTexts& texts,
                           const ModulePointTables& tables) {
  ClickDecision d;
  if (!IsPoint(point)) return d;
  std::int32_t type = rack.PointType(point);
  if (type == kDigitalInputType) {
    d.action = ClickAction::RefuseDigitalInput;
    return d;
  }
  d.module = rack.ModuleOf(point);
  d.action = TogglePointOrAsk(d.module, tables);
  if (d.action == ClickAction::AnalogOutputEntry) {
    const std::vector<PointTypeChoice> offered = tables.OfferedPointTypes(d.module);
    if (offered.size() == 1) d.newPointType = type = offered.front().code;
  }
  if (d.action == ClickAction::ToggleDigital) d.newText = ToggledText(texts[static_cast<std::size_t>(point)]);
  d.writeDigital = type == kDigitalOutputType;
  return d;
}

DigitalWrite DigitalPointWrite(int pointNum, const PointTexts& texts) {
  DigitalWrite w;
  const int first = pointNum == kAllPoints ? 0 : pointNum;
  const int last = pointNum == kAllPoints ? kPoints - 1 : pointNum;
  for (int p = first; p <= last; ++p) {
    if (!IsPoint(p)) continue;
    const std::string& t = texts[static_cast<std::size_t>(p)];
    if (t == text::kOn) w.onMask |= std::uint64_t{1} << p;
    if (t == text::kOff) w.offMask |= std::uint64_t{1} << p;
  }
  w.offset = memory_map::AddressText(memory_map::kDigitalOutputs.base);
  w.data = MaskToHex64(w.onMask) + MaskToHex64(w.offMask);
  return w;
}

WriteRequest AnalogPointWrite(int point, std::string_view text) {
  if (!IsPoint(point)) return {text::kNoSuchPoint, {}, {}};
  const std::optional<float> value = TypedFloat(text);
  if (!value) return {text::kBadFloat, {}, {}};
  if (point % kPointsPerSlot >= kAnalogChannels) return {text::kPointAboveOne, {}, {}};
  return {{},
          memory_map::AddressText(memory_map::kAnalogOutputs.base +
                                  kRecordBytes * static_cast<std::uint32_t>(point)),
          FloatToHex(*value)};
}

WriteRequest CalibrationTrigger(int point, Calibration kind) {
  if (!IsPoint(point)) return {text::kNoSuchPoint, {}, {}};
  if (point % kPointsPerSlot >= kAnalogChannels) return {text::kPointAboveOne, {}, {}};
  const std::uint64_t area = kind == Calibration::Gain ? memory_map::kGainCalibration : 0;
  return {{},
          memory_map::AddressText(memory_map::kCalibration.base + area +
                                  kCalibrationStride * static_cast<std::uint32_t>(point)),
          {}};
}

std::optional<std::string> AcceptAnalogEntry(std::string_view typed) {
  const std::optional<float> value = TypedFloat(typed);
  if (!value) return std::nullopt;
  return ValueText(*value);
}

std::string AnalogEntryRange(std::string_view scaleFrom, std::string_view scaleTo) {
  return std::string(text::kEntryRange) + "\n" + std::string(scaleFrom) + " to " + std::string(scaleTo);
}

std::string GainOffsetCaption(int point, std::string_view valueText) {
  return "   POINT #: " + NumberText(point) + "   VALUE:   " + std::string(valueText);
}

}  // namespace kestrio::points
