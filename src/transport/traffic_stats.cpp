#include "transport/traffic_stats.h"

#include <cstdio>

namespace kestrio {

std::string TrafficStats::Text() const {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, "requests %ld, replies %ld, timeouts %ld, failed %ld, last round trip %.4f s",
                requests, replies, timeouts, failed, lastSeconds);
  return buffer;
}

}  // namespace kestrio
