#pragma once
// How the points window keeps up while it scans at the shortest scan time against the simulator: a
// 10 ms timer on the window thread measures how late the event loop lets it fire, and the scans
// achieved at a 1 ms scan time are counted. The window needs a GUI application, so the measurement
// runs in a child process (this same binary with --points-window-child); the engine figures of the
// parent are taken without one.
#include <cstdint>
#include <string>

namespace kestrio::bench {

struct PointsWindowResult {
  bool measured = false;
  std::string note;       // why it was not measured, or what was
  double delayP99Ms = 0;  // how late the 10 ms timer fired: p99 and worst, milliseconds
  double delayMaxMs = 0;
  std::int64_t ticks = 0;  // timer firings measured
  std::int64_t scans = 0;
  double seconds = 0;
  double scanRateVsAsked = 0;  // scans per second / 1000 (the rate a 1 ms scan time asks for)
  std::int64_t boxesRedrawn = 0;
};

// Runs the child `binary --points-window-child --seconds S` and reads its result line.
PointsWindowResult MeasurePointsWindow(const std::string& binary, double seconds);

// The child's main: an offscreen window over a session connected to an in-process simulator.
int RunPointsWindowChild(int argc, char** argv);

}  // namespace kestrio::bench
