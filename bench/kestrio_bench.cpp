// kestrio-bench: the engine against the physical limit and the cost of waiting, measured as ratios
// in one run. Prints a table and writes the figures as JSON (bench/results.json by default).
// Exits non-zero only when a run could not complete; a missed goal is a finding, not a failure.
// clang-format off
// The simulator header comes before any Qt header: its rack has a member named like Qt's `slots` keyword.
#include "sim/server.h"
// clang-format on

#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>
#include <chrono>
#include <sstream>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine_bench.h"
#include "points_window_bench.h"
#include "startup_bench.h"

namespace kestrio::bench {
namespace {

struct Row {
  std::string item, measure, value, goal, verdict;
};

std::string Fmt(const char* format, double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, v);
  return buffer;
}

std::string Verdict(bool met, bool floorMissed = false) {
  if (met) return "met";
  return floorMissed ? "MISSED (regression)" : "MISSED";
}

std::string Machine(double& load) {
  std::string model = "unknown CPU";
  std::ifstream cpu("/proc/cpuinfo");
  for (std::string line; std::getline(cpu, line);) {
    if (line.rfind("model name", 0) == 0) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  }
  std::ifstream avg("/proc/loadavg");
  load = 0;
  avg >> load;
  const long cores = ::sysconf(_SC_NPROCESSORS_ONLN);
  return std::to_string(cores) + " cores, " + model;
}

std::filesystem::path BinDir() {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path(".") : self.parent_path();
}

QJsonValue OrNull(bool have, double v) { return have ? QJsonValue(v) : QJsonValue(QJsonValue::Null); }

int Main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::string outPath = KESTRIO_BENCH_RESULTS;
  Sizes sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--out" && i + 1 < argc) {
      outPath = argv[++i];
    } else if (arg == "--quick") {  // a smoke run of the whole harness in a few seconds; figures are rough
      sizes = Sizes{.pairs = 3, .perPair = 500, .warmup = 100, .stallRun = 2000, .stallChunks = 2, .delayedCount = 2,
                    .delayMs = 300, .timeoutPairs = 4, .timeoutPerPair = 100, .jobRepeats = 2};
    } else if (arg == "--jobs" && i + 1 < argc) {  // only these whole jobs, NAME[,NAME...]
      std::stringstream names(argv[++i]);
      for (std::string name; std::getline(names, name, ',');) sizes.onlyJobs.push_back(name);
    } else {
      std::fprintf(stderr, "usage: kestrio-bench [--out FILE] [--quick] [--jobs NAME[,NAME...]]\n");
      return 2;
    }
  }

  double loadBefore = 0;
  const std::string machine = Machine(loadBefore);
  const auto started = std::chrono::steady_clock::now();
  std::printf("kestrio-bench on %s (load average %.2f)\n", machine.c_str(), loadBefore);
  std::fflush(stdout);

  bool failed = false;
  EngineResults e;
  std::string error;
  if (!RunEngineBench(sizes, e, error)) {
    std::fprintf(stderr, "kestrio-bench: engine runs did not complete: %s\n", error.c_str());
    failed = true;
  }

  QTemporaryDir tmp;
  const std::filesystem::path bin = BinDir();
  const bool quick = sizes.pairs != Sizes{}.pairs;
  const PointsWindowResult window = MeasurePointsWindow((bin / "kestrio-bench").string(), quick ? 2.0 : 10.0);
  if (!window.measured) failed = true;
  const int startupRuns = sizes.pairs == 5 ? 7 : 2;
  StartupResult gui =
      MeasureDesktopStartup((bin / "kestrio").string(), tmp.filePath("startup.ini").toStdString(), startupRuns);
  if (!gui.measured && std::filesystem::exists(bin / "kestrio")) failed = true;
  if (gui.measured) gui.note = "kestrio, offscreen, process start to main window shown";

  StartupResult cli;
  const auto cliPath = bin / "kestrio-cli";
  if (!std::filesystem::exists(cliPath)) {
    cli.note = "kestrio-cli is not built yet";
  } else {
    sim::SimServer sim;
    if (!sim.Start("127.0.0.1", 0)) {
      cli.note = "simulator for kestrio-cli: " + sim.Error();
      failed = true;
    } else {
      cli = MeasureCommand(cliPath.string(), {"status", "--host", "127.0.0.1:" + std::to_string(sim.Port())},
                           startupRuns);
      if (!cli.measured) failed = true;
      else cli.note = "kestrio-cli status against the simulator, process start to exit";
      sim.Stop();
    }
  }

  // --- table ---
  std::vector<Row> rows;
  const auto kind = [&rows](const KindResult& k, const std::string& what) {
    rows.push_back({"1", "engine/raw tx/s, " + what + " (median of " + std::to_string(k.ratios.size()) + " pairs)",
                    Fmt("%.2f", k.ratioMedian), ">= 0.90 (floor 0.80)",
                    Verdict(k.ratioMedian >= 0.9, k.ratioMedian < 0.8)});
    rows.push_back({"", "  raw: tx/s, p50 / p99 us",
                    Fmt("%.0f", k.rawTps) + ", " + Fmt("%.1f", k.rawP50us) + " / " + Fmt("%.1f", k.rawP99us), "", ""});
    rows.push_back({"", "  engine: tx/s, p50 / p99 us",
                    Fmt("%.0f", k.engineTps) + ", " + Fmt("%.1f", k.engineP50us) + " / " + Fmt("%.1f", k.engineP99us),
                    "", ""});
  };
  if (!failed || !e.quad.ratios.empty()) {
    kind(e.quad, "read quadlet");
    kind(e.block, "read block 1024 B");
    rows.push_back({"2", "engine tx >= 40 ms in " + std::to_string(sizes.stallRun), std::to_string(e.stalls), "0",
                    Verdict(e.stalls == 0)});
    rows.push_back({"2", "engine p50 / p99 / max us (read quadlet)",
                    Fmt("%.1f", e.stallP50us) + " / " + Fmt("%.1f", e.stallP99us) + " / " + Fmt("%.0f", e.stallMaxUs),
                    "p99 < 1000", Verdict(e.stallP99us < 1000)});
    rows.push_back({"", "  raw in the same window: p50 / p99 / max us, >= 40 ms",
                    Fmt("%.1f", e.rawStallP50us) + " / " + Fmt("%.1f", e.rawStallP99us) + " / " +
                        Fmt("%.0f", e.rawStallMaxUs) + ", " + std::to_string(e.rawStalls),
                    "", ""});
    rows.push_back({"3", "CPU / wall, " + std::to_string(sizes.delayedCount) + " replies held " +
                             std::to_string(sizes.delayMs) + " ms (process)",
                    Fmt("%.4f", e.waitCpuFraction), "< 0.01", Verdict(e.waitCpuFraction < 0.01)});
    rows.push_back({"3", "  the same, engine thread alone", Fmt("%.4f", e.waitCpuFractionMainThread), "", ""});
    rows.push_back({"4", "p50 TimeoutSeconds 1 / 3000",
                    Fmt("%.3f", e.p50TimeoutRatio) + " (" + Fmt("%.1f", e.p50us_timeout1) + " / " +
                        Fmt("%.1f", e.p50us_timeout3000) + " us)",
                    "0.90 .. 1.10", Verdict(e.p50TimeoutRatio >= 0.9 && e.p50TimeoutRatio <= 1.1)});
    for (const JobResult& j : e.jobs) {
      // The configuration transfer and the rack scans are held to a tighter goal than the other jobs.
      const double goal =
          j.name.starts_with("config_") || j.name.starts_with("unit_") || j.name == "rack_read_1000_scans" ? 1.15 : 1.3;
      rows.push_back({"5", j.what + ": " + std::to_string(j.transactions) + " tx, " + Fmt("%.1f", j.wallMs) +
                               " ms (engine " + Fmt("%.1f", j.engineMs) + ") vs raw replay " + Fmt("%.1f", j.floorMs) +
                               " ms (tx x raw RTT " + Fmt("%.1f", j.rttFloorMs) + " ms), median of " +
                               std::to_string(j.repeats),
                      Fmt("%.2f", j.ratio), "<= " + Fmt("%.2f", goal), Verdict(j.ratio <= goal)});
    }
  }
  rows.push_back({"7", "points window scanning at 1 ms: 10 ms timer late by, p99 / max ms",
                  window.measured ? Fmt("%.2f", window.delayP99Ms) + " / " + Fmt("%.2f", window.delayMaxMs) : "-",
                  "p99 < 20", window.measured ? Verdict(window.delayP99Ms < 20) : window.note});
  rows.push_back({"7", "points window: scans per second at a 1 ms scan time / 1000 (" +
                           std::to_string(window.scans) + " scans in " + Fmt("%.1f", window.seconds) + " s)",
                  window.measured ? Fmt("%.2f", window.scanRateVsAsked) : "-", ">= 0.5",
                  window.measured ? Verdict(window.scanRateVsAsked >= 0.5) : ""});
  rows.push_back({"6", "kestrio start to window shown, ms (median)",
                  gui.measured ? Fmt("%.0f", gui.medianMs) : "-", "report", gui.measured ? "" : gui.note});
  rows.push_back({"6", "kestrio peak resident memory, MiB", gui.measured ? Fmt("%.1f", gui.rssMb) : "-", "report", ""});
  rows.push_back({"6", "kestrio-cli status, start to exit, ms (median)", cli.measured ? Fmt("%.0f", cli.medianMs) : "-",
                  "report", cli.measured ? "" : cli.note});
  rows.push_back({"6", "kestrio-cli peak resident memory, MiB", cli.measured ? Fmt("%.1f", cli.rssMb) : "-", "report",
                  ""});

  std::printf("\n| # | measure | value | goal | result |\n|---|---|---|---|---|\n");
  for (const Row& r : rows)
    std::printf("| %s | %s | %s | %s | %s |\n", r.item.c_str(), r.measure.c_str(), r.value.c_str(), r.goal.c_str(),
                r.verdict.c_str());
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  double loadAfter = 0;
  Machine(loadAfter);
  std::printf("\nmachine: %s; load average %.2f before, %.2f after; %.0f s\n", machine.c_str(), loadBefore, loadAfter,
              elapsed);

  // --- results file ---
  const bool have = !e.quad.ratios.empty() && !e.jobs.empty();
  QJsonObject jobs, jobDetail;
  for (const JobResult& j : e.jobs) {
    jobs[QString::fromStdString(j.name)] = j.ratio;
    jobDetail[QString::fromStdString(j.name)] = QJsonObject{{"what", QString::fromStdString(j.what)},
                                                            {"transactions", static_cast<qint64>(j.transactions)},
                                                            {"wall_ms", j.wallMs},
                                                            {"engine_ms", j.engineMs},
                                                            {"floor_ms", j.floorMs},
                                                            {"tx_x_raw_rtt_ms", j.rttFloorMs},
                                                            {"repeats", j.repeats},
                                                            {"ratio", j.ratio}};
  }
  const auto kindJson = [](const KindResult& k) {
    QJsonArray ratios;
    for (double r : k.ratios) ratios.append(r);
    return QJsonObject{{"ratios", ratios},          {"raw_tps", k.rawTps},
                       {"engine_tps", k.engineTps}, {"raw_p50_us", k.rawP50us},
                       {"raw_p99_us", k.rawP99us},  {"engine_p50_us", k.engineP50us},
                       {"engine_p99_us", k.engineP99us}};
  };
  QJsonObject root{
      {"machine", QString::fromStdString(machine)},
      {"load_average_before", loadBefore},
      {"load_average_after", loadAfter},
      {"complete", !failed},
      {"engine_vs_raw_quad", OrNull(have, e.quad.ratioMedian)},
      {"engine_vs_raw_block", OrNull(have, e.block.ratioMedian)},
      {"quad", kindJson(e.quad)},
      {"block", kindJson(e.block)},
      {"p50_us_quad", OrNull(have, e.stallP50us)},
      {"p99_us_quad", OrNull(have, e.stallP99us)},
      {"max_us_quad", OrNull(have, e.stallMaxUs)},
      {"stalls_ge_40ms", OrNull(have, static_cast<double>(e.stalls))},
      {"stall_run_transactions", sizes.stallRun},
      {"raw_same_window", QJsonObject{{"p50_us", e.rawStallP50us},
                                      {"p99_us", e.rawStallP99us},
                                      {"max_us", e.rawStallMaxUs},
                                      {"stalls_ge_40ms", static_cast<double>(e.rawStalls)}}},
      {"wait_cpu_fraction", OrNull(have, e.waitCpuFraction)},
      {"wait_cpu_fraction_engine_thread", OrNull(have, e.waitCpuFractionMainThread)},
      {"p50_timeout_ratio", OrNull(have, e.p50TimeoutRatio)},
      {"p50_us_timeout_1", OrNull(have, e.p50us_timeout1)},
      {"p50_us_timeout_3000", OrNull(have, e.p50us_timeout3000)},
      {"job_vs_floor", jobs},
      {"jobs", jobDetail},
      {"scan_ui_delay_p99_ms", OrNull(window.measured, window.delayP99Ms)},
      {"scan_ui_delay_max_ms", OrNull(window.measured, window.delayMaxMs)},
      {"scan_rate_vs_asked", OrNull(window.measured, window.scanRateVsAsked)},
      {"points_window", QJsonObject{{"ticks", static_cast<qint64>(window.ticks)},
                                    {"scans", static_cast<qint64>(window.scans)},
                                    {"seconds", window.seconds},
                                    {"boxes_redrawn", static_cast<qint64>(window.boxesRedrawn)},
                                    {"note", QString::fromStdString(window.note)}}},
      {"startup_ms", OrNull(gui.measured, gui.medianMs)},
      {"startup_rss_mb", OrNull(gui.measured, gui.rssMb)},
      {"startup_note", QString::fromStdString(gui.note)},
      {"cli_status_ms", OrNull(cli.measured, cli.medianMs)},
      {"cli_status_rss_mb", OrNull(cli.measured, cli.rssMb)},
      {"cli_status_note", QString::fromStdString(cli.note)},
      {"quick", sizes.pairs != Sizes{}.pairs},
      {"seconds", elapsed},
  };
  QSaveFile file(QString::fromStdString(outPath));
  if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson()) < 0 || !file.commit()) {
    std::fprintf(stderr, "kestrio-bench: cannot write %s\n", outPath.c_str());
    return 1;
  }
  std::printf("results: %s\n", outPath.c_str());
  return failed ? 1 : 0;
}

}  // namespace
}  // namespace kestrio::bench

int main(int argc, char** argv) {
  // The points window's measurement runs in a child of its own: it needs a GUI application.
  if (argc > 1 && std::string(argv[1]) == "--points-window-child") return kestrio::bench::RunPointsWindowChild(argc, argv);
  return kestrio::bench::Main(argc, argv);
}
