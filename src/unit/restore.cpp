#include "unit/restore.h"

#include <functional>

#include "memmap/device_commands.h"
#include "memmap/eeprom_image.h"
#include "memmap/memmap_service.h"
#include "points/points_service.h"
#include "protocol/reply.h"
#include "transfer/brain_reader.h"
#include "transfer/loaded_items.h"
#include "transfer/upload.h"

namespace kestrio::unit {

namespace {

struct Step {
  std::string name;
  std::function<bool()> run;
};

std::string SlotList(const std::vector<int>& numbers) {
  std::string out;
  for (int s : numbers) out += (out.empty() ? "" : ", ") + std::to_string(s);
  return out;
}

// The upload's categories without those the backup did not get from its brain.
transfer::UploadSelection SelectionOf(const Manifest& m) {
  transfer::UploadSelection s = transfer::UploadSelection::All();
  s.names = !m.HasGap(ConfigurationGap("points"));
  s.alarms = !m.HasGap(ConfigurationGap("alarms"));
  s.digitalEvents = !m.HasGap(ConfigurationGap("events"));
  s.messages = !m.HasGap(ConfigurationGap("messages"));
  s.serialEvents = !m.HasGap(ConfigurationGap("serial"));
  s.timers = !m.HasGap(ConfigurationGap("timers"));
  return s;
}

bool SetPointTypes(Engine& engine, const points::RackTypes& wanted) {
  const auto now = ReadUnitRack(engine);
  if (!now) return false;
  for (int point = 0; point < points::kPoints; ++point) {
    const int slot = point / points::kPointsPerSlot;
    if (now->RackModuleTypes[slot] != wanted.RackModuleTypes[slot]) continue;
    const std::int32_t code = wanted.RackPointTypes[point];
    if (code == points::kNoPointType || code == now->RackPointTypes[point]) continue;
    if (!points::WritePointConfigType(engine, point, code)) return false;
  }
  return true;
}

bool WriteOptionValues(Engine& engine, const OptionValues& values) {
  for (const OptionPageValues& page : values) {
    for (const OptionValue& v : page.values) {
      const MemMapResult r = MemMapData(
          engine, {static_cast<double>(v.digits.size() / 8), v.address, v.digits, true, kUnitBlockBytes});
      if (!r.ok()) return false;
    }
  }
  return true;
}

}  // namespace

std::string RestoreStoppedText(const RestoreResult& result) {
  std::string out = "Restore stopped at: " + result.failed + ".";
  out += "\nDone:";
  if (result.done.empty()) out += " nothing";
  for (const std::string& s : result.done) out += "\n  " + s;
  out += "\nNot done:";
  out += "\n  " + result.failed;
  for (const std::string& s : result.skipped) out += "\n  " + s;
  return out;
}

RestoreResult RestoreUnit(Session& session, const UnitBackup& backup, const UnitProgress& progress) {
  return RestoreUnit(session, session.Engine(), backup, progress);
}

RestoreResult RestoreUnit(Session& session, Engine& through, const UnitBackup& backup,
                          const UnitProgress& progress) {
  RestoreResult result;
  UnitEngine engine(through);
  auto tell = [&](const std::string& step) {
    if (progress) progress(step);
  };

  tell("Reading the unit's rack");
  const auto unitRack = ReadUnitRack(engine);
  if (!unitRack) {
    result.failed = "Read the unit's rack";
    result.said = engine.Said();
    return result;
  }
  if (backup.rack) {
    for (int slot = 0; slot < points::kSlots; ++slot)
      if (backup.rack->RackModuleTypes[slot] != unitRack->RackModuleTypes[slot])
        result.differingSlots.push_back(slot);
  }

  std::vector<Step> steps;
  if (HoldsImage(backup))
    steps.push_back({"Store the EEPROM image",
                     [&] { return StoreEepromImage(engine, *backup.eepromText, kUnitBlockBytes); }});
  if (backup.configuration) {
    steps.push_back({"Upload the configuration", [&] {
                       transfer::LoadedItems loaded;
                       transfer::NoteLoaded(loaded, *backup.configuration);
                       return transfer::UploadConfiguration(engine, *backup.configuration,
                                                            SelectionOf(backup.manifest), loaded)
                           .ok();
                     }});
  }
  if (backup.rack)
    steps.push_back({"Set the point types that differ", [&] { return SetPointTypes(engine, *backup.rack); }});
  if (backup.options && !backup.options->empty())
    steps.push_back({"Write the option values", [&] { return WriteOptionValues(engine, *backup.options); }});
  steps.push_back({"Send the store command", [&] {
                     return JudgeReply(SendCommandQuadlet(engine, DeviceCommand::StoreToEeprom), engine.Ui());
                   }});

  std::string question = "Restore the backup of " + backup.manifest.created + " (from " +
                         backup.manifest.host + ", MAC " + backup.manifest.mac + ") onto " + session.Host() +
                         "?\n\nIt will:";
  for (const Step& s : steps) question += "\n  " + s.name;
  if (!backup.manifest.gaps.empty()) {
    question += "\n\nThe backup does not hold these, which are left as they are:";
    for (const Gap& g : backup.manifest.gaps) question += "\n  " + g.category;
  }
  if (!result.differingSlots.empty()) {
    question += "\n\nThe unit's rack differs from the backup's in slot" +
                std::string(result.differingSlots.size() == 1 ? " " : "s ") +
                SlotList(result.differingSlots) + ":";
    for (int slot : result.differingSlots)
      question += "\n  slot " + std::to_string(slot) + ": module type " +
                  std::to_string(unitRack->RackModuleTypes[slot]) + " here, " +
                  std::to_string(backup.rack->RackModuleTypes[slot]) + " in the backup";
    question += "\nPoint types are set only in the slots that match.";
  }
  if (session.Ui().Ask(question, false, kRestoreTitle) != Answer::Yes) {
    result.declined = true;
    result.said = engine.Said();
    return result;
  }

  for (std::size_t i = 0; i < steps.size(); ++i) {
    tell(steps[i].name);
    if (!steps[i].run()) {
      result.failed = steps[i].name;
      for (std::size_t j = i + 1; j < steps.size(); ++j) result.skipped.push_back(steps[j].name);
      break;
    }
    result.done.push_back(steps[i].name);
  }
  result.said = engine.Said();
  return result;
}

}  // namespace kestrio::unit
