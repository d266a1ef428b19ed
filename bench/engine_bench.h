#pragma once
// The engine against the raw client and the simulator, in one process: throughput and latency of
// single transactions, stalls, the CPU cost of waiting, the timeout's (non-)influence on latency,
// and whole jobs against the floor the network sets. Every figure is taken in the same run as the
// raw figures it is compared with, because the machines it runs on are shared and noisy.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrio::bench {

struct Sizes {
  int pairs = 11;          // interleaved raw/engine pairs per transaction kind (a steadier median than 5)
  int perPair = 10000;     // transactions per side of a pair
  int warmup = 2000;       // transactions per side before the pairs
  int stallRun = 100000;   // engine transactions watched for stalls
  int stallChunks = 10;    // ... in this many chunks, each followed by a raw chunk a fifth its size
  int delayedCount = 5;    // transactions the simulator holds back
  int delayMs = 2000;      // how long it holds each
  // Interleaved pairs of TimeoutSeconds 1 and 3000, short ones so both sides see the same machine load.
  int timeoutPairs = 50;
  int timeoutPerPair = 400;
  int jobRepeats = 5;      // each whole job and its raw replay
  std::vector<std::string> onlyJobs;  // run only these whole jobs (none: all)
};

struct KindResult {
  std::string name;  // "quad" or "block"
  std::vector<double> ratios;  // engine tps / raw tps, one per pair
  double ratioMedian = 0;
  double rawTps = 0, engineTps = 0;  // medians over the pairs
  double rawP50us = 0, rawP99us = 0, engineP50us = 0, engineP99us = 0;
};

struct JobResult {
  std::string name;
  std::string what;
  std::int64_t transactions = 0;
  int repeats = 0;
  double wallMs = 0;   // median of the repeats
  double engineMs = 0;  // of wallMs, the time inside the engine's calls (the rest is the service's own work)
  // The physical limit: the raw client sending the job's own requests, median of the repeats (the
  // job and its replay alternate which goes first).
  double floorMs = 0;
  double ratio = 0;  // wallMs / floorMs
  // For comparison: each transaction at the raw client's mean round trip for its kind in this run's
  // pairs (a read block at the 1024-byte block's, any other at the quadlet's).
  double rttFloorMs = 0;
};

struct EngineResults {
  KindResult quad, block;
  double rawRttUsQuad = 0;       // median raw round trip, from the quad pairs
  std::int64_t stalls = 0;       // engine transactions >= 40 ms in the stall run
  double stallP50us = 0, stallP99us = 0, stallMaxUs = 0;
  // The raw client in chunks between the engine's, so the machine's own tail shows beside the engine's.
  std::int64_t rawStalls = 0;
  double rawStallP50us = 0, rawStallP99us = 0, rawStallMaxUs = 0;
  double waitCpuFraction = 0;    // process CPU / wall while replies are held back
  double waitCpuFractionMainThread = 0;
  double waitWallS = 0;
  double p50TimeoutRatio = 0;    // p50 with TimeoutSeconds 1 over p50 with 3000
  double p50us_timeout1 = 0, p50us_timeout3000 = 0;
  std::vector<JobResult> jobs;
};

// Runs everything; false with `error` set when a run could not complete.
bool RunEngineBench(const Sizes& sizes, EngineResults& out, std::string& error);

}  // namespace kestrio::bench
