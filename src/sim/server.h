#pragma once
// The simulator's TCP listener: a poll() loop on a thread of its own that reassembles request
// packets per connection, answers them from one Brain under a mutex, and misbehaves on purpose
// as the fault plan says. A client in the same process may block on its own socket.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "sim/brain.h"

namespace kestrio::sim {

// Deliberate misbehaviour, per connection; counts are of requests on that connection.
struct FaultPlan {
  int delayMs = 0;        // answer each request this late
  int dropEvery = 0;      // never answer every Nth request
  bool split = false;     // send each reply in two segments with a short pause between
  bool coalesce = false;  // send the replies of requests that arrived together in one segment
  bool stale = false;     // send a copy of the previous reply (old label) before the real one
  int garbageEvery = 0;   // send a few random bytes before every Nth reply
  int closeAfter = 0;     // close the connection after answering N requests
  // Finer cuts of a reply, for the engine's reassembly and its handling of a dying connection.
  int segmentGapMs = 30;       // pause between the segments of a split, sliced or cut reply
  int splitAt = 0;             // split and the mid-reply faults cut after this many bytes (0: halfway)
  int sliceBytes = 0;          // send each reply in segments of this many bytes
  bool closeMidReply = false;  // send the first part of the next reply, then close the connection
  bool resetMidReply = false;  // send the first part of the next reply, then reset the connection
};

struct SimOptions {
  std::string rackFile{};   // empty: the default rack
  std::string stateFile{};  // empty: the flash lives in memory only
  bool verbose = false;     // log each request and reply on stderr
  FaultPlan faults{};
  // A connection whose incomplete packet has waited longer than this is dropped: clients that
  // send half a packet and then nothing would otherwise hold the client slots for good.
  int incompletePacketMs = 10000;
};

class SimServer {
 public:
  explicit SimServer(SimOptions opts = {});
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // Loads the rack and state files, binds and starts the loop. Port 0 picks a free port.
  // False, with Error() saying why, on failure.
  bool Start(const std::string& bindAddr = "127.0.0.1", std::uint16_t port = 0);
  void Stop();
  std::uint16_t Port() const { return port_; }
  const std::string& Error() const { return error_; }

  void SetFaultPlan(const FaultPlan& plan);
  FaultPlan GetFaultPlan();

  // Runs f(Brain&) under the server's mutex, for tests and tools.
  template <class F>
  auto WithBrain(F f) {
    std::lock_guard<std::mutex> lock(mutex_);
    return f(brain_);
  }

 private:
  struct Loop;
  void Run();

  SimOptions opts_;
  std::mutex mutex_;  // guards brain_ and opts_.faults
  Brain brain_;
  std::string error_;
  std::uint16_t port_ = 0;
  int listenFd_ = -1;
  int wakeFds_[2] = {-1, -1};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace kestrio::sim
