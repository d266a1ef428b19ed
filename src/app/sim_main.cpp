// kestrio-sim: a simulated brain answering the memory-map protocol on TCP (docs/sim.md).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/server.h"

namespace {

constexpr const char* kUsage =
    "usage: kestrio-sim [--bind ADDR] [--port N] [--rack FILE] [--state FILE] [--verbose]\n"
    "                   [--incomplete-packet-ms N]\n"
    "                   [--delay-ms N] [--drop-every N] [--split] [--coalesce] [--stale]\n"
    "                   [--garbage-every N] [--close-after N]\n";

bool ParseCount(const char* text, long min, long max, int& out) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < min || v > max) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  kestrio::sim::SimOptions opts;
  std::string bind = "127.0.0.1";
  int port = 2001;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "kestrio-sim: %s needs a value\n%s", arg.c_str(), kUsage);
        std::exit(2);
      }
      return argv[++i];
    };
    auto count = [&](long max, int& out, long min = 0) {
      const char* v = value();
      if (!ParseCount(v, min, max, out)) {
        std::fprintf(stderr, "kestrio-sim: %s: '%s' is not a number from %ld to %ld\n", arg.c_str(), v, min,
                     max);
        std::exit(2);
      }
    };
    auto& f = opts.faults;
    if (arg == "--bind")
      bind = value();
    else if (arg == "--port")
      count(65535, port);
    else if (arg == "--rack")
      opts.rackFile = value();
    else if (arg == "--state")
      opts.stateFile = value();
    else if (arg == "--verbose")
      opts.verbose = true;
    else if (arg == "--incomplete-packet-ms")
      count(3600000, opts.incompletePacketMs, 1);
    else if (arg == "--delay-ms")
      count(600000, f.delayMs);
    else if (arg == "--drop-every")
      count(1000000, f.dropEvery);
    else if (arg == "--split")
      f.split = true;
    else if (arg == "--coalesce")
      f.coalesce = true;
    else if (arg == "--stale")
      f.stale = true;
    else if (arg == "--garbage-every")
      count(1000000, f.garbageEvery);
    else if (arg == "--close-after")
      count(1000000, f.closeAfter);
    else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      std::fprintf(stderr, "kestrio-sim: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }

  // Block the stop signals before the server thread starts so that only sigwait() sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  kestrio::sim::SimServer server(opts);
  if (!server.Start(bind, static_cast<std::uint16_t>(port))) {
    std::fprintf(stderr, "kestrio-sim: %s\n", server.Error().c_str());
    return 1;
  }
  std::printf("listening on %s:%u\n", bind.c_str(), static_cast<unsigned>(server.Port()));
  std::fflush(stdout);

  int sig = 0;
  sigwait(&stopSignals, &sig);
  server.Stop();
  std::fprintf(stderr, "kestrio-sim: stopped (%s)\n", sig == SIGINT ? "SIGINT" : "SIGTERM");
  return 0;
}
