// kestrio-cli points: the rack as the points window shows it in values mode. The rack is read and
// scanned once, then each slot's box and each point's configuration and value are printed; with
// --watch MS the rack is scanned again every MS milliseconds and each change is printed with the
// time it was seen.
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <csignal>

#include "cli/cli_commands.h"
#include "points/point_texts.h"
#include "points/points_service.h"
#include "points/rack_view.h"

namespace kestrio::cli {

namespace {

namespace t = points::text;
using points::kPoints;
using points::kPointsPerSlot;
using points::kSlots;

// Set by Ctrl-C (or a termination request) while watching: the watch ends after the scan in
// progress and the tool disconnects as after any command. A signal can only reach a flag like this.
std::atomic<bool> stopWatching{false};
extern "C" void StopWatching(int) { stopWatching = true; }

// The points' texts as their boxes show them: a value box shows a scan's text only for the points
// that scan showed (a point never shown keeps the empty box); the padding blanks of the digital
// states are trimmed.
struct Listing {
  std::array<std::string, kSlots> slotTexts;
  std::array<std::string, kPoints> types;
  std::array<std::string, kPoints> values;
};

std::string Trimmed(const std::string& value) {
  if (value == t::kOn) return "ON";
  if (value == t::kOff) return "OFF";
  return value;
}

void ShowScan(const points::ScanResult& scan, const points::PointTexts& texts, Listing& listing) {
  for (int p = 0; p < kPoints; ++p) {
    if (scan.Shown() & (std::uint64_t{1} << p))
      listing.values[static_cast<std::size_t>(p)] = Trimmed(texts[static_cast<std::size_t>(p)]);
  }
}

std::string PointLine(const Listing& l, int p) {
  const auto i = static_cast<std::size_t>(p);
  return "point " + std::to_string(p) + ": " + l.types[i] + ": " + l.values[i];
}

std::string PointJson(const Listing& l, int p) {
  const auto i = static_cast<std::size_t>(p);
  return JsonObject().Num("point", p).Str("type", l.types[i]).Str("value", l.values[i]).Text();
}

std::string SlotsJson(const Listing& l) {
  std::vector<std::string> items;
  for (int m = 0; m < kSlots; ++m) {
    std::vector<std::string> pointItems;
    for (int k = 0; k < kPointsPerSlot; ++k) pointItems.push_back(PointJson(l, kPointsPerSlot * m + k));
    items.push_back(JsonObject()
                        .Num("slot", m)
                        .Str("text", l.slotTexts[static_cast<std::size_t>(m)])
                        .Raw("points", JsonArray(pointItems))
                        .Text());
  }
  return JsonArray(items);
}

std::string Now() { return QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toStdString(); }

// Scans once; false (after saying why on stderr) when the scan failed.
bool ScanOnce(CliRun& run, points::ScanResult& scan) {
  Session& s = run.session;
  const std::size_t said = run.ui.Messages().size();
  scan = points::Scan(s.Engine(), s.Rack(), s.PointValueTexts());
  if (scan.ok) return true;
  // A discarded reply is only logged by the window; here it is the one account of the failure.
  if (run.ui.Messages().size() == said && !scan.discarded.empty()) run.ui.Note(scan.discarded);
  return false;
}

// Waits `ms` milliseconds with the connection's events handled; false when asked to stop.
bool Wait(int ms) {
  QEventLoop loop;
  QTimer tick;
  tick.setInterval(std::min(ms, 50));
  QObject::connect(&tick, &QTimer::timeout, &loop, [&loop] {
    if (stopWatching) loop.quit();
  });
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  tick.start();
  loop.exec();
  return !stopWatching;
}

}  // namespace

CommandResult RunPoints(CliRun& run) {
  CommandResult r;
  Session& s = run.session;
  std::string fatal;
  if (!s.LoadProductData(fatal)) {
    run.ui.Note(fatal);
    r.exit = kExitFailed;
    return r;
  }
  const points::RackReadResult read = points::ReadRackPointTypes(s.Engine(), s.Rack());
  if (!read.Complete()) {
    r.exit = kExitFailed;
    return r;
  }
  Listing listing;
  const points::RackView view = points::DescribeRack(s.ModuleTables(), s.Rack(), false);
  for (int m = 0; m < kSlots; ++m) {
    const points::SlotView& slot = view.slotViews[static_cast<std::size_t>(m)];
    if (slot.unknownModule) {
      const points::Notice notice = points::UnknownModuleMessage(m);
      run.ui.Message(notice.text, notice.title);
    }
    listing.slotTexts[static_cast<std::size_t>(m)] = slot.text;
  }
  listing.types = view.configTexts;

  points::ScanResult scan;
  if (!ScanOnce(run, scan)) {
    r.exit = kExitFailed;
    return r;
  }
  ShowScan(scan, s.PointValueTexts(), listing);
  if (run.args.json) {
    r.json.Raw("slots", SlotsJson(listing));
  } else {
    for (int m = 0; m < kSlots; ++m) {
      run.out << "slot " << m << ": " << listing.slotTexts[static_cast<std::size_t>(m)] << "\n";
      for (int k = 0; k < kPointsPerSlot; ++k) run.out << PointLine(listing, kPointsPerSlot * m + k) << "\n";
    }
  }
  run.out.flush();
  if (!run.args.watchMs) return r;

  // One JSON object per scan; the closing object of the run follows as for every command.
  if (run.args.json) {
    run.out << JsonObject().Str("time", Now()).Num("scan", 0).Raw("slots", SlotsJson(listing)).Text() << "\n";
    run.out.flush();
    r.json = JsonObject();
  }
  stopWatching = false;
  const auto previousInt = std::signal(SIGINT, StopWatching);
  const auto previousTerm = std::signal(SIGTERM, StopWatching);
  long scans = 0;
  while ((run.args.watchCount == 0 || scans < run.args.watchCount) && Wait(*run.args.watchMs)) {
    if (!ScanOnce(run, scan)) {
      r.exit = kExitFailed;
      break;
    }
    ++scans;
    const Listing before = listing;
    ShowScan(scan, s.PointValueTexts(), listing);
    const std::string time = Now();
    std::vector<std::string> changes;
    for (int p = 0; p < kPoints; ++p) {
      const auto i = static_cast<std::size_t>(p);
      if (listing.values[i] == before.values[i]) continue;
      if (run.args.json) {
        changes.push_back(PointJson(listing, p));
      } else {
        run.out << time << " " << PointLine(listing, p) << "\n";
      }
    }
    if (run.args.json)
      run.out << JsonObject().Str("time", time).Num("scan", scans).Raw("changes", JsonArray(changes)).Text()
              << "\n";
    run.out.flush();
  }
  std::signal(SIGINT, previousInt);
  std::signal(SIGTERM, previousTerm);
  r.json.Num("scans", scans);
  return r;
}

}  // namespace kestrio::cli
