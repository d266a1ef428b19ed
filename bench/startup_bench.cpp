#include "startup_bench.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "stats.h"

extern char** environ;

namespace kestrio::bench {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kLimitMs = 30000;  // a child that takes longer is stopped and the run counts as failed

struct Run {
  bool ok = false;
  double ms = 0;
  double rssMb = 0;
  std::string why;
};

// Spawns `binary args` with `extraEnv` added, stdout on a pipe and stderr discarded. With
// `untilLine` the time ends when that line arrives on stdout; otherwise when the child exits.
Run SpawnAndTime(const std::string& binary, const std::vector<std::string>& args,
                 const std::vector<std::string>& extraEnv, const std::string& untilLine) {
  Run run;
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    run.why = "pipe failed";
    return run;
  }
  std::vector<std::string> envStore;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const bool overridden = std::any_of(extraEnv.begin(), extraEnv.end(), [&entry](const std::string& x) {
      return entry.compare(0, x.find('=') + 1, x, 0, x.find('=') + 1) == 0;
    });
    if (!overridden) envStore.push_back(entry);
  }
  envStore.insert(envStore.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char*> envp;
  for (auto& e : envStore) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStore{binary};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const auto start = Clock::now();
  const int rc = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (rc != 0) {
    ::close(out[0]);
    run.why = std::string("spawn failed: ") + std::strerror(rc);
    return run;
  }

  std::string got;
  bool seen = untilLine.empty();
  auto end = start;
  for (;;) {
    const int left = kLimitMs - static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                     Clock::now() - start).count());
    pollfd p{out[0], POLLIN, 0};
    if (left <= 0 || ::poll(&p, 1, left) <= 0) {
      ::kill(pid, SIGKILL);
      run.why = "no answer within 30 s";
      break;
    }
    char buffer[4096];
    const ssize_t n = ::read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;  // the child closed its output: it is ending
    got.append(buffer, static_cast<std::size_t>(n));
    if (!seen && got.find(untilLine + "\n") != std::string::npos) {
      end = Clock::now();
      seen = true;
    }
  }
  ::close(out[0]);
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  if (untilLine.empty()) end = Clock::now();
  if (run.why.empty()) {
    if (!seen) {
      run.why = "the child never said \"" + untilLine + "\"";
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      run.why = "the child ended with status " + std::to_string(status) + "; output: " + got;
    } else {
      run.ok = true;
    }
  }
  run.ms = std::chrono::duration<double, std::milli>(end - start).count();
  run.rssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB on Linux
  return run;
}

StartupResult Measure(const std::string& binary, const std::vector<std::string>& args,
                      const std::vector<std::string>& env, const std::string& untilLine, int runs) {
  StartupResult r;
  if (::access(binary.c_str(), X_OK) != 0) {
    r.note = binary + " is not built";
    return r;
  }
  // One run first, not counted: it brings the binary and its libraries into the page cache.
  const Run warm = SpawnAndTime(binary, args, env, untilLine);
  if (!warm.ok) {
    r.note = warm.why;
    return r;
  }
  std::vector<Run> done;
  for (int i = 0; i < runs; ++i) {
    Run run = SpawnAndTime(binary, args, env, untilLine);
    if (!run.ok) {
      r.note = run.why;
      return r;
    }
    r.ms.push_back(run.ms);
    done.push_back(run);
  }
  std::sort(done.begin(), done.end(), [](const Run& a, const Run& b) { return a.ms < b.ms; });
  r.measured = true;
  r.medianMs = Median(r.ms);
  r.rssMb = done[done.size() / 2].rssMb;
  return r;
}

}  // namespace

StartupResult MeasureDesktopStartup(const std::string& binary, const std::string& settingsFile, int runs) {
  return Measure(binary, {"--settings", settingsFile}, {"QT_QPA_PLATFORM=offscreen", "KESTRIO_EXIT_AFTER_SHOW=1"},
                 "shown", runs);
}

StartupResult MeasureCommand(const std::string& binary, const std::vector<std::string>& args, int runs) {
  return Measure(binary, args, {"QT_QPA_PLATFORM=offscreen"}, "", runs);
}

}  // namespace kestrio::bench
