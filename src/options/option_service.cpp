#include "options/option_service.h"

#include "memmap/device_commands.h"
#include "memmap/memmap_service.h"

namespace kestrio::options {

namespace {

// A transfer that ended without a usable reply, as opposed to one refused before anything was sent.
bool NoReply(const MemMapResult& r) { return r.stopped && !r.refused; }

}  // namespace

PageReadResult ReadAll(Engine& engine, OptionPageModel& page) {
  PageReadResult result;
  for (const ReadItem& item : page.ReadPlan()) {
    const MemMapResult r =
        MemMapData(engine, {static_cast<double>(item.quadlets), item.address, {}, true, kPageBlockBytes});
    // A refused read shows what the transfer's own text makes of the refusal in the value box.
    page.ApplyRead(item.row, r.ok(), r.ok() ? r.Data() : TransferText(r, false));
    if (page.Rows()[static_cast<std::size_t>(item.row)].state == ReadState::Read) {
      ++result.read;
    } else {
      ++result.failed;
    }
    if (NoReply(r)) {
      result.stopped = true;
      break;
    }
  }
  return result;
}

PageWriteResult WriteOptions(Engine& engine, const OptionPageModel& page) {
  PageWriteResult result;
  result.plan = page.PlanWrite(engine.Ui());
  for (const WriteItem& item : result.plan.writes) {
    if (item.digits.empty()) continue;  // an empty write would be a read
    const MemMapResult r = MemMapData(
        engine, {static_cast<double>(item.quadlets), item.address, item.digits, true, kPageBlockBytes});
    if (NoReply(r)) {
      result.stopped = true;
      break;
    }
    if (r.ok()) {
      ++result.written;
    } else {
      ++result.deviceErrors;
    }
  }
  // Storing a page written only in part would keep the half in flash; the operator reads it again.
  if (!result.stopped) {
    result.stored = JudgeReply(SendCommandQuadlet(engine, DeviceCommand::StoreToEeprom), engine.Ui());
  }
  engine.Ui().Message(OptionPageModel::StoreMessage(result.stored, result.plan));
  return result;
}

}  // namespace kestrio::options
