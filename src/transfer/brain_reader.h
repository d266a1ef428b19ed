#pragma once
// The download: the brain's event/reaction configuration read record by record into a fresh copy of
// the tables, which replaces the configuration when the download ends without Cancel. A category
// stops at the first record that cannot be read (a brain error, a timeout, a short reply): nothing is
// decoded from it, the next category starts afresh, and the category is named at the end before the
// status window is shown. Cancel (the session's flag, tested before every record) keeps the
// configuration as it was.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/state_tables.h"
#include "points/rack.h"
#include "transfer/loaded_items.h"
#include "transfer/record_fields.h"
#include "transport/engine.h"

namespace kestrio::transfer {

enum class Category { Points, Alarms, DigitalEvents, Messages, SerialEvents, Timers };
inline constexpr int kCategories = 6;

struct CategoryInfo {
  Category category;
  const char* checkBox;  // the download window's caption
  const char* name;      // what the message of a category that stopped names
  int weight;            // added to the progress bar's maximum when ticked
  const char* word;      // kestrio-cli's name for it
};
// In the download window's order: points, alarms, digital events, messages, serial events, timers.
const std::array<CategoryInfo, kCategories>& Categories();
const CategoryInfo& InfoOf(Category category);

struct DownloadSelection {
  std::array<bool, kCategories> ticked{true, true, true, true, true, true};
  bool Has(Category c) const { return ticked[static_cast<std::size_t>(c)]; }
  void Set(Category c, bool on) { ticked[static_cast<std::size_t>(c)] = on; }
  static DownloadSelection None();
};

// Reads the rack's module and point types into its argument; false when the read failed.
using RackReader = std::function<bool(points::RackTypes&)>;
// The progress bar: its value and maximum after every record.
using DownloadProgress = std::function<void(int value, int maximum)>;

struct DownloadResult {
  bool cancelled = false;
  bool replaced = false;            // the configuration now holds what was read
  std::vector<std::string> failed;  // names of the categories that stopped early, in reading order
  bool ok() const { return !cancelled && failed.empty(); }
};

// What the download reads into: the session's configuration, its cancel flag, what counts as
// loaded, and the rack (which the points category reads first when a rack reader is given).
struct DownloadTarget {
  config::StateGlobals& configuration;
  bool& downloadCancelled;
  LoadedItems& loaded;
  points::RackTypes* rack = nullptr;
};

class BrainReader {
 public:
  BrainReader(Engine& engine, DownloadTarget target, RackReader readRack = {},
              DownloadProgress progress = {});

  // The whole download: the cancel flag cleared, the fresh tables emptied, the ticked categories read
  // in the order points, alarms, serial events, messages, digital events, timers; then the tables
  // replaced unless cancelled, the message of each category that stopped early and the status
  // window, and the cancel flag cleared again.
  DownloadResult Run(const DownloadSelection& selection);

  // The tables being read (the fresh copy), for the readers' callers.
  const config::StateGlobals& Read() const { return fresh_; }
  int NextNewSet() const { return nextNewSet_; }

 private:
  enum class Stop { Done, Cancelled, Failed, SetsFull };

  Stop ReadPointNames();
  Stop ReadAlarms();
  Stop ReadSerialEvents();
  Stop ReadMessages();
  Stop ReadDigitalEvents();
  Stop ReadTimers();
  Stop ReadRecords(RecordKind kind);
  // One record's digits, or nullopt when the read failed (already reported by the transfer).
  std::optional<std::string> ReadAt(std::uint64_t address, int quadlets);
  void Step();

  Engine& engine_;
  DownloadTarget target_;
  RackReader readRack_;
  DownloadProgress progress_;
  config::StateGlobals fresh_;
  points::RackTypes rack_{};
  bool rackRead_ = false;
  int nextNewSet_ = 0;
  int value_ = 0, maximum_ = 0;
};

}  // namespace kestrio::transfer
