#include "config/alarm_rules.h"

#include <cstdint>

#include "config/flag_grid.h"
#include "config/item_editor_common.h"
#include "config/item_ranges.h"
#include "protocol/hex.h"

namespace kestrio::config {

namespace {

struct BlockFields {
  std::string AlarmRecord::*status;
  std::string AlarmRecord::*limitOrMid;
  std::string AlarmRecord::*deadOrDev;
  std::string AlarmRecord::*flagsOn;
  std::string AlarmRecord::*flagsOff;
};

constexpr std::array<BlockFields, 3> kBlocks{{
    {&AlarmRecord::deviationStatus, &AlarmRecord::midRange, &AlarmRecord::deviationLimit,
     &AlarmRecord::deviationFlagsOn, &AlarmRecord::deviationFlagsOff},
    {&AlarmRecord::highStatus, &AlarmRecord::highLimit, &AlarmRecord::highDeadBand, &AlarmRecord::highFlagsOn,
     &AlarmRecord::highFlagsOff},
    {&AlarmRecord::lowStatus, &AlarmRecord::lowLimit, &AlarmRecord::lowDeadBand, &AlarmRecord::lowFlagsOn,
     &AlarmRecord::lowFlagsOff},
}};

}  // namespace

std::string AddressCheckUpdate(int alarm) {
  return ToHex(0xF0400100u + 4u * static_cast<std::uint32_t>(alarm), 1);
}

AlarmForm LoadAlarmForm(const StateGlobals& tables, int alarm) {
  AlarmForm form;
  if (alarm < 0 || alarm >= kAlarmCount) return form;
  const AlarmRecord& a = tables.alarms[alarm];
  if (!IsDefined(a)) {
    form.address = AddressCheckUpdate(alarm);
    return form;
  }
  for (std::size_t k = 0; k < kBlocks.size(); ++k) {
    const BlockFields& f = kBlocks[k];
    AlarmBlock& block = form.blocks[k];
    block.enabled = a.*f.status == kStatuses[0];
    block.limitOrMid = a.*f.limitOrMid;
    block.deadOrDev = a.*f.deadOrDev;
    block.flagRows = FlagRowsOfMasks(tables, a.*f.flagsOn, a.*f.flagsOff);
  }
  form.address = a.addressToCheck;
  form.isFloat = a.isFloat.empty() ? std::string(kIsFloatChoices[0]) : a.isFloat;
  return form;
}

std::optional<std::string> SaveAlarm(StateGlobals& tables, int alarm, const AlarmForm& form) {
  if (alarm < 0 || alarm >= kAlarmCount) return RangeMessage(ItemKind::Alarm);
  bool anyEnabled = false;
  for (const AlarmBlock& block : form.blocks) anyEnabled = anyEnabled || block.enabled;
  if (!anyEnabled) return std::string(kNeedOneCondition);
  for (const AlarmBlock& block : form.blocks) {
    if (block.enabled && !HasAnyFlagRow(block.flagRows)) return std::string(kNeedOneFlag);
  }
  AlarmRecord& a = tables.alarms[alarm];
  a.number = static_cast<std::int16_t>(alarm);
  for (std::size_t k = 0; k < kBlocks.size(); ++k) {
    const BlockFields& f = kBlocks[k];
    const AlarmBlock& block = form.blocks[k];
    const FlagMasks masks = BuildFlagMasks(block.flagRows);
    a.*f.status = block.enabled ? kStatuses[0] : kStatuses[1];
    a.*f.limitOrMid = block.limitOrMid;
    a.*f.deadOrDev = block.deadOrDev;
    a.*f.flagsOn = masks.on;
    a.*f.flagsOff = masks.off;
  }
  a.addressToCheck = form.address;
  a.isFloat = form.isFloat;
  return std::nullopt;
}

}  // namespace kestrio::config
