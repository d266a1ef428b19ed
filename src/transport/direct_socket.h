#pragma once
// The engine's fast path on a connected TCP socket (Unix): the descriptor is switched to blocking
// mode with receive and send timeouts of one slice, so a reply is awaited in one recv() where an
// event-loop wait takes three system calls (poll, size, read), and a packet goes out in one send()
// when nothing else is queued. Elsewhere Prepare() fails and the engine uses Qt alone.
// What this buys is measured by `make bench` (engine against a raw client).
#include <cstddef>
#include <cstdint>

namespace kestrio {

class DirectSocket {
 public:
  enum class Received { Data, Nothing, Closed };

  // Takes over the blocking mode of `fd` with timeouts of `sliceUs` microseconds; false (and
  // unused) when the system does not allow it. The timeouts also bound every call Qt makes on it.
  bool Prepare(std::intptr_t fd, int sliceUs);
  void Reset() { fd_ = -1; }
  bool Ready() const { return fd_ >= 0; }

  // Sends what the socket takes at once without blocking; the bytes sent (0 when not ready).
  std::size_t Send(const std::uint8_t* data, std::size_t count);
  // Waits at most one slice for bytes. Data: `got` bytes are in `buffer`; Nothing: the slice passed
  // (or a signal came); Closed: the peer closed or the connection failed.
  Received Receive(std::uint8_t* buffer, std::size_t capacity, std::size_t& got);
  // A zero-time look: nothing has arrived and no close is waiting.
  bool Quiet() const;

 private:
  int fd_ = -1;
};

}  // namespace kestrio
