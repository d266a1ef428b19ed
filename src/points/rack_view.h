#pragma once
// What the points window shows for the rack: each slot's box in the module column and each
// point's configuration box, from the codes the brain reported and the module/point tables.
#include <array>
#include <cstdint>
#include <string>

#include "points/module_point_file.h"
#include "points/rack.h"

namespace kestrio::points {

struct SlotView {
  std::string text;               // the slot's box in the module column
  bool unknownModule = false;     // code outside the module table: UnknownModuleMessage comes first
  bool widenFirstConfig = false;  // the slot's first configuration box spans its row
};

struct RackView {
  std::array<SlotView, kSlots> slotViews;  // not "slots": Qt front ends include this
  std::array<std::string, kPoints> configTexts;
  bool AnalogPointsPresent = false;  // some slot reports a module type code other than 0
};

// ShowPointModTypes without the window: in values mode a slot with module code 0 reads
// "Digital: " and one in/out mark per point; in configuration mode it keeps its name.
RackView DescribeRack(const ModulePointTables& tables, const RackTypes& rack, bool configureMode);

// A slot's box: the module's name, "UNKNOWN:" and the code for a code outside the table, or
// "unknown: " and the code for a code in the table without a name.
std::string SlotText(const ModulePointTables& tables, std::int32_t module);

// "Digital: " then "in |"/"out|", " in |"/"out|", " in |"/"out|", " in"/"out" for positions 0..3
// (in for a digital input type, out for any other).
std::string DigitalSlotText(const std::array<std::int32_t, kPointsPerSlot>& pointTypes);

// A configuration box: the point type's description, nothing for kNoPointType, or
// "unknown type: " and the code in upper-case hex (its 32 bits) for a code outside the table.
std::string PointConfigText(const ModulePointTables& tables, std::int32_t type);

// The warning for a slot whose module code is outside the table.
struct Notice {
  std::string text;
  std::string title;
};
Notice UnknownModuleMessage(int slot);

}  // namespace kestrio::points
