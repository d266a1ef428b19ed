#pragma once
// Start-up of the program's binaries, each run as a child process: the time from spawning it until
// it reports its main window shown (or, for a command, until it exits), and its peak resident memory.
#include <optional>
#include <string>
#include <vector>

namespace kestrio::bench {

struct StartupResult {
  bool measured = false;
  std::string note;         // why it was not measured, or what was measured
  std::vector<double> ms;   // each run
  double medianMs = 0;
  double rssMb = 0;         // peak resident set of the median run's process, MiB
};

// The desktop program on the offscreen platform with KESTRIO_EXIT_AFTER_SHOW=1: until its "shown" line.
StartupResult MeasureDesktopStartup(const std::string& binary, const std::string& settingsFile, int runs);
// A command that runs to its end (e.g. "kestrio-cli status" against a simulator).
StartupResult MeasureCommand(const std::string& binary, const std::vector<std::string>& args, int runs);

}  // namespace kestrio::bench
