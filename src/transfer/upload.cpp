#include "transfer/upload.h"

#include "memmap/device_commands.h"
#include "memmap/memmap_service.h"
#include "transfer/transfer_texts.h"

namespace kestrio::transfer {

namespace {

// Every record is far below this, so each becomes exactly one write-block request.
constexpr double kMaxBytes = 1000;

std::string Counted(int n, const char* one, const char* many) {
  return std::to_string(n) + (n == 1 ? one : many);
}

}  // namespace

std::string UploadEndMessage(const UploadReport& report) {
  if (report.ok()) return text::kUploadComplete;
  std::string parts;
  if (report.refused > 0)
    parts = Counted(report.refused, " record was refused and not sent", " records were refused and not sent");
  if (report.failedWrites > 0)
    parts += (parts.empty() ? "" : "; ") + Counted(report.failedWrites, " write failed", " writes failed");
  if (report.notSent > 0)
    parts += (parts.empty() ? "" : "; ") +
             Counted(report.notSent, " write was not sent", " writes were not sent") + ": the connection was lost";
  return text::kUploadFinished + parts + ".";
}

UploadReport UploadConfiguration(Engine& engine, const config::StateGlobals& tables,
                                 const UploadSelection& selection, LoadedItems& loaded,
                                 const UploadProgress& progress) {
  const std::vector<PlannedWrite> plan = PlanUpload(tables, selection, loaded);
  const int total = static_cast<int>(plan.size()) + 1;
  UploadReport report;
  int done = 0;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const PlannedWrite& w = plan[i];
    if (!w.refusal.empty()) {
      engine.Ui().Message(w.refusal);
      ++report.refused;
    } else {
      const MemMapResult r =
          MemMapData(engine, {w.quadlets, memory_map::AddressText(w.address), w.hex, true, kMaxBytes});
      if (r.ok()) {
        ++report.written;
        // A cleared item is off the brain; one whose clearing failed may still act there.
        if (w.index >= 0) loaded.Set(w.kind, w.index, !w.clears);
      } else {
        ++report.failedWrites;
        if (w.index >= 0 && !w.clears) loaded.Set(w.kind, w.index, true);
        // Without a connection every later write would fail the same way, each with its messages.
        if (!engine.IsConnected()) {
          report.notSent = static_cast<int>(plan.size() - i);  // the rest and the store command
          break;
        }
      }
    }
    if (progress) progress(++done, total);
  }
  if (report.notSent == 0 && !JudgeReply(SendCommandQuadlet(engine, DeviceCommand::StoreToEeprom), engine.Ui()))
    ++report.failedWrites;
  if (progress) progress(total, total);
  engine.Ui().Message(UploadEndMessage(report));
  return report;
}

}  // namespace kestrio::transfer
