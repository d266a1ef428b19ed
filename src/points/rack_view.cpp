#include "points/rack_view.h"

#include "points/point_texts.h"
#include "protocol/convert.h"
#include "protocol/hex.h"

namespace kestrio::points {

RackView DescribeRack(const ModulePointTables& tables, const RackTypes& rack, bool configureMode) {
  RackView view;
  for (int m = 0; m < kSlots; ++m) {
    SlotView& slot = view.slotViews[static_cast<std::size_t>(m)];
    std::array<std::int32_t, kPointsPerSlot> types{};
    for (int k = 0; k < kPointsPerSlot; ++k) {
      const int p = kPointsPerSlot * m + k;
      types[static_cast<std::size_t>(k)] = rack.PointType(p);
      view.configTexts[static_cast<std::size_t>(p)] = PointConfigText(tables, rack.PointType(p));
      if (k == 1 && !tables.PointTypeName(rack.PointType(p))) slot.widenFirstConfig = true;
    }
    const std::int32_t c = rack.RackModuleTypes[static_cast<std::size_t>(m)];
    slot.unknownModule = !tables.ModuleName(c).has_value();
    slot.text = SlotText(tables, c);
    if (c == 0) {
      if (configureMode) {
        slot.widenFirstConfig = true;
      } else {
        slot.text = DigitalSlotText(types);
      }
    } else {
      view.AnalogPointsPresent = true;
    }
  }
  return view;
}

std::string SlotText(const ModulePointTables& tables, std::int32_t module) {
  const std::optional<std::string_view> name = tables.ModuleName(module);
  if (!name) return text::kUnknownModule + NumberText(module);
  if (name->empty()) return text::kUnnamedModule + NumberText(module);
  return std::string(*name);
}

std::string DigitalSlotText(const std::array<std::int32_t, kPointsPerSlot>& pointTypes) {
  static constexpr const char* kIn[kPointsPerSlot] = {"in |", " in |", " in |", " in"};
  static constexpr const char* kOut[kPointsPerSlot] = {"out|", "out|", "out|", "out"};
  std::string out = text::kDigitalSlot;
  for (int k = 0; k < kPointsPerSlot; ++k) {
    out += pointTypes[static_cast<std::size_t>(k)] == kDigitalInputType ? kIn[k] : kOut[k];
  }
  return out;
}

std::string PointConfigText(const ModulePointTables& tables, std::int32_t type) {
  if (const std::optional<std::string_view> name = tables.PointTypeName(type)) return std::string(*name);
  if (type == kNoPointType) return "";
  return text::kUnknownPointType + ToHex(static_cast<std::uint32_t>(type), 0);
}

Notice UnknownModuleMessage(int slot) {
  return {"Module **" + NumberText(slot) + " ** is not recognized \n" + text::kUnknownModuleLines,
          text::kUnknownModuleTitle + NumberText(slot)};
}

}  // namespace kestrio::points
