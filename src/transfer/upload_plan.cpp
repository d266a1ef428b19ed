#include "transfer/upload_plan.h"

#include "transfer/record_builders.h"

namespace kestrio::transfer {

namespace {

void Step(std::vector<PlannedWrite>& plan, RecordKind kind, const config::StateGlobals& tables,
          const LoadedItems& loaded) {
  const RecordLayout& layout = LayoutOf(kind);
  for (int i = 0; i < layout.area.records; ++i) {
    PlannedWrite w;
    w.kind = kind;
    w.index = i;
    w.address = memory_map::RecordAddress(layout.area, i);
    w.quadlets = layout.writeQuadlets;
    if (ShouldWrite(kind, tables, i)) {
      RecordBuild build = BuildRecordOf(kind, tables, i);
      if (build.ok())
        w.hex = std::move(*build.hex);
      else
        w.refusal = std::move(build.refusal);
    } else if (loaded.Has(kind, i)) {
      w.hex = ZeroRecord(kind);
      w.clears = true;
    } else {
      continue;
    }
    plan.push_back(std::move(w));
  }
}

}  // namespace

UploadSelection UploadSelection::All() { return {true, true, true, false, true, true, true}; }

std::vector<PlannedWrite> PlanUpload(const config::StateGlobals& tables, const UploadSelection& selection,
                                     const LoadedItems& loaded) {
  std::vector<PlannedWrite> plan;
  if (selection.names) Step(plan, RecordKind::PointName, tables, loaded);
  if (selection.alarms) Step(plan, RecordKind::Alarm, tables, loaded);
  if (selection.timers && selection.timersFirst) Step(plan, RecordKind::Timer, tables, loaded);
  if (selection.messages) Step(plan, RecordKind::Message, tables, loaded);
  if (selection.serialEvents) {
    Step(plan, RecordKind::SerialEvent, tables, loaded);
    const memory_map::RecordArea& area = memory_map::kSerialPriorities;
    PlannedWrite w;
    w.kind = RecordKind::SerialEvent;
    w.index = -1;
    w.address = area.base;
    w.quadlets = area.records;
    w.hex = *BuildSerialPriorities(tables).hex;
    plan.push_back(std::move(w));
  }
  if (selection.digitalEvents) Step(plan, RecordKind::DigitalEvent, tables, loaded);
  if (selection.timers && !selection.timersFirst) Step(plan, RecordKind::Timer, tables, loaded);
  return plan;
}

}  // namespace kestrio::transfer
