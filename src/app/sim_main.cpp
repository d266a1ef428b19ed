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

constexpr char kManual[] =
    "NAME\n"
    "  kestrio-sim - a simulated Tessel Ethernet brain\n"
    "\n"
    "SYNOPSIS\n"
    "  kestrio-sim [--bind ADDR] [--port N] [--rack FILE] [--state FILE] [--verbose]\n"
    "              [--incomplete-packet-ms N] [fault options]\n"
    "\n"
    "DESCRIPTION\n"
    "  A TCP server that answers the memory-map protocol like a brain, from an in-memory memory map and\n"
    "  a small rack of modules. Its first line on stdout is \"listening on ADDR:PORT\". SIGINT and\n"
    "  SIGTERM stop it.\n"
    "\n"
    "OPTIONS\n"
    "  --bind ADDR          the address to listen on (default 127.0.0.1)\n"
    "  --port N             the port (default 2001; 0 picks a free one)\n"
    "  --rack FILE          the rack from FILE instead of the default rack\n"
    "  --state FILE         keep the flash in FILE across runs\n"
    "  --verbose            log every connection, request and reply on stderr\n"
    "  --incomplete-packet-ms N\n"
    "                       drop a connection whose incomplete packet waited N ms (default 10000)\n"
    "  --delay-ms N         send each reply N ms late\n"
    "  --drop-every N       carry out every Nth request but never answer it\n"
    "  --split              send each reply in two segments, about 30 ms apart\n"
    "  --coalesce           send the replies to requests that arrived together in one segment\n"
    "  --stale              send a copy of the previous reply (its old label) before each reply\n"
    "  --garbage-every N    put 3 to 7 random bytes in front of every Nth reply\n"
    "  --close-after N      close the connection after answering the Nth request\n"
    "  -h, --help           this text\n"
    "\n"
    "FILES\n"
    "  The rack file lists one slot per line (\"slot 2 ain 16 64:-10:10\"); the state file holds the\n"
    "  flash. Both formats are in docs/sim.md.\n"
    "\n"
    "EXIT STATUS\n"
    "  0 when stopped by a signal, 1 a bad rack or state file or a port in use, 2 a bad option\n"
    "\n"
    "SEE ALSO\n"
    "  kestrio(1), kestrio-cli(1)\n";

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
      std::fputs(kManual, stdout);
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
