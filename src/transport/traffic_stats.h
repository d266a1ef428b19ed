#pragma once
// What the engine has done since the last CONNECT: requests sent, replies received, timeouts, replies
// the brain refused (non-zero rcode) and the last round-trip time.
#include <string>

namespace kestrio {

struct TrafficStats {
  long requests = 0;
  long replies = 0;
  long timeouts = 0;
  long failed = 0;
  double lastSeconds = 0;

  // "requests 12, replies 11, timeouts 1, failed 0, last round trip 0.0004 s"
  std::string Text() const;
};

}  // namespace kestrio
