#include "transfer/brain_reader.h"

#include "memmap/memmap_service.h"
#include "transfer/record_decoders.h"
#include "transfer/transfer_texts.h"

namespace kestrio::transfer {

namespace {

constexpr double kMaxBytes = 1000;

}  // namespace

const std::array<CategoryInfo, kCategories>& Categories() {
  static const std::array<CategoryInfo, kCategories> kInfo{{
      {Category::Points, "Digital Points", "I/O Point names", 128, "points"},
      {Category::Alarms, "Alarms", "Alarm Events", 64, "alarms"},
      {Category::DigitalEvents, "Digital Events", "Digital Events", 64, "events"},
      {Category::Messages, "Messages", "Event Messages", 128, "messages"},
      {Category::SerialEvents, "Serial Events", "Serial Events", 32, "serial"},
      {Category::Timers, "Timers", "Timers", 64, "timers"},
  }};
  return kInfo;
}

const CategoryInfo& InfoOf(Category category) { return Categories()[static_cast<std::size_t>(category)]; }

DownloadSelection DownloadSelection::None() {
  DownloadSelection s;
  s.ticked.fill(false);
  return s;
}

BrainReader::BrainReader(Engine& engine, DownloadTarget target, RackReader readRack,
                         DownloadProgress progress)
    : engine_(engine), target_(target), readRack_(std::move(readRack)), progress_(std::move(progress)) {}

void BrainReader::Step() {
  if (value_ < maximum_) ++value_;
  if (progress_) progress_(value_, maximum_);
}

std::optional<std::string> BrainReader::ReadAt(std::uint64_t address, int quadlets) {
  const MemMapResult r = MemMapData(
      engine_, {static_cast<double>(quadlets), memory_map::AddressText(address), {}, true, kMaxBytes});
  std::string digits = r.Data();
  // A refused, missing or short reply is no record: decoding it would store the wrong item.
  if (!r.ok() || digits.size() != static_cast<std::size_t>(quadlets) * 8) return std::nullopt;
  return digits;
}

BrainReader::Stop BrainReader::ReadRecords(RecordKind kind) {
  const RecordLayout& layout = LayoutOf(kind);
  for (int i = 0; i < layout.area.records; ++i) {
    if (target_.downloadCancelled) return Stop::Cancelled;
    const std::optional<std::string> digits =
        ReadAt(memory_map::RecordAddress(layout.area, i), layout.readQuadlets);
    if (!digits) return Stop::Failed;
    switch (StoreRecord(kind, fresh_, nextNewSet_, i, *digits)) {
      case StoreOutcome::Stored:
      case StoreOutcome::Skipped:
        break;
      case StoreOutcome::BadRecord:
        return Stop::Failed;
      case StoreOutcome::SetsFull:
        return Stop::SetsFull;
    }
    Step();
  }
  return Stop::Done;
}

BrainReader::Stop BrainReader::ReadPointNames() {
  if (readRack_) {
    if (target_.downloadCancelled) return Stop::Cancelled;
    rack_ = target_.rack ? *target_.rack : points::RackTypes{};
    rackRead_ = readRack_(rack_);
    if (target_.downloadCancelled) return Stop::Cancelled;
    if (!rackRead_) return Stop::Failed;
  }
  return ReadRecords(RecordKind::PointName);
}

BrainReader::Stop BrainReader::ReadAlarms() { return ReadRecords(RecordKind::Alarm); }

BrainReader::Stop BrainReader::ReadSerialEvents() {
  const Stop stop = ReadRecords(RecordKind::SerialEvent);
  // The priorities are read however the records ended, Cancel included.
  const memory_map::RecordArea& area = memory_map::kSerialPriorities;
  const std::optional<std::string> digits = ReadAt(area.base, area.records);
  if (!digits || StoreSerialPriorities(fresh_, *digits) != StoreOutcome::Stored) return Stop::Failed;
  return stop;
}

BrainReader::Stop BrainReader::ReadMessages() { return ReadRecords(RecordKind::Message); }
BrainReader::Stop BrainReader::ReadDigitalEvents() { return ReadRecords(RecordKind::DigitalEvent); }
BrainReader::Stop BrainReader::ReadTimers() { return ReadRecords(RecordKind::Timer); }

DownloadResult BrainReader::Run(const DownloadSelection& selection) {
  target_.downloadCancelled = false;
  fresh_ = target_.configuration;
  ClearConfiguration(fresh_, nextNewSet_);
  rackRead_ = false;
  value_ = maximum_ = 0;
  for (const CategoryInfo& c : Categories())
    if (selection.Has(c.category)) maximum_ += c.weight;
  if (progress_) progress_(value_, maximum_);

  DownloadResult result;
  static constexpr std::array<std::pair<Category, Stop (BrainReader::*)()>, kCategories> kOrder{{
      {Category::Points, &BrainReader::ReadPointNames},
      {Category::Alarms, &BrainReader::ReadAlarms},
      {Category::SerialEvents, &BrainReader::ReadSerialEvents},
      {Category::Messages, &BrainReader::ReadMessages},
      {Category::DigitalEvents, &BrainReader::ReadDigitalEvents},
      {Category::Timers, &BrainReader::ReadTimers},
  }};
  for (const auto& [category, reader] : kOrder) {
    if (!selection.Has(category)) continue;
    const Stop stop = (this->*reader)();
    if (stop == Stop::Failed || stop == Stop::SetsFull) result.failed.push_back(InfoOf(category).name);
    // More sets than the table holds: what follows could not be stored either.
    if (stop == Stop::SetsFull) break;
  }
  value_ = maximum_;
  if (progress_) progress_(value_, maximum_);

  result.cancelled = target_.downloadCancelled;
  if (!result.cancelled) {
    target_.configuration = fresh_;
    target_.loaded = LoadedItems{};
    NoteLoaded(target_.loaded, fresh_);
    if (rackRead_ && target_.rack) *target_.rack = rack_;
    result.replaced = true;
  }
  for (const std::string& name : result.failed)
    engine_.Ui().Message(text::kCouldNotRead + name + text::kKernelUpgrade);
  if (!result.failed.empty()) engine_.Ui().ShowStatus();
  target_.downloadCancelled = false;
  return result;
}

}  // namespace kestrio::transfer
