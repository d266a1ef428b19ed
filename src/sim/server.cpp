#include "sim/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <list>
#include <vector>

#include "protocol/packet.h"

namespace kestrio::sim {

namespace {

using Clock = std::chrono::steady_clock;

// A packet can be at most 16 + 65535 (+ padding) bytes, so this much unparsed input means a
// client that is not speaking the protocol.
constexpr std::size_t kMaxBuffered = 128 * 1024;
// Replies queued for a client that does not read; beyond this we stop reading its requests.
constexpr std::size_t kMaxQueuedOut = 1024 * 1024;
constexpr std::size_t kMaxConnections = 64;
constexpr std::size_t kUnknownLength = static_cast<std::size_t>(-1);

// What happens to the connection once a chunk has gone out: the mid-reply faults end it there.
enum class After { Nothing, Close, Reset };

struct Chunk {
  Bytes bytes;
  Clock::time_point due;
  After after = After::Nothing;
};

struct Conn {
  int fd = -1;
  int id = 0;
  std::string peer;  // "address:port", for the messages
  Bytes in;
  // When the incomplete packet at the front of `in` began to wait for the rest of its bytes.
  Clock::time_point waitingSince;
  std::deque<Chunk> out;
  std::size_t sent = 0;  // bytes of out.front() already sent
  std::size_t outBytes = 0;
  std::uint64_t requests = 0;
  Bytes lastReply;
  bool closing = false;  // answer what is queued, then close
  bool dead = false;
  bool backlog = false;  // complete requests wait for the output allowance
  std::uint32_t rng = 0;
};

// Length in bytes of the packet at the front of `in`: 0 while its header is incomplete,
// kUnknownLength for a tcode whose length cannot be known.
std::size_t FrontPacketLength(const Bytes& in) {
  if (in.size() < 4) return 0;
  switch (in[3] >> 4) {
    case kWriteQuadRequest:
    case kReadQuadResponse:
      return 16;
    case kWriteResponse:
    case kReadQuadRequest:
      return 12;
    case kReadBlockRequest:
      return 16;
    case kWriteBlockRequest:
    case kReadBlockResponse: {
      if (in.size() < 16) return 0;
      std::size_t n = (std::size_t{in[12]} << 8) | in[13];
      return 16 + ((n + 3) & ~std::size_t{3});
    }
    default:
      return kUnknownLength;
  }
}

std::string Describe(const Bytes& packet) {
  std::string hex = BytesToHex(packet);
  return hex + " " + PacketTypeName(PacketTcode(hex));
}

std::string PeerText(const sockaddr_in& a) {
  char text[INET_ADDRSTRLEN] = "?";
  ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(a.sin_port));
}

// "10 s", or "250 ms" for a time that is not whole seconds.
std::string DurationText(int ms) {
  return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

SimServer::SimServer(SimOptions opts) : opts_(std::move(opts)) {}

SimServer::~SimServer() { Stop(); }

void SimServer::SetFaultPlan(const FaultPlan& plan) {
  std::lock_guard<std::mutex> lock(mutex_);
  opts_.faults = plan;
}

FaultPlan SimServer::GetFaultPlan() {
  std::lock_guard<std::mutex> lock(mutex_);
  return opts_.faults;
}

bool SimServer::Start(const std::string& bindAddr, std::uint16_t port) {
  if (thread_.joinable()) {
    error_ = "the simulator is already running";
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!opts_.rackFile.empty()) {
      auto rack = LoadRackFile(opts_.rackFile, error_);
      if (!rack) return false;
      brain_ = Brain(*rack);
    }
    brain_.SetStateFile(opts_.stateFile);
    if (!brain_.LoadState(error_)) return false;
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  if (::inet_pton(AF_INET, bindAddr.c_str(), &addr.sin_addr) != 1) {
    error_ = "invalid bind address " + bindAddr + " (an IPv4 address is expected)";
    return false;
  }
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) {
    error_ = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  int one = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listenFd_, 16) != 0) {
    error_ = "cannot listen on " + bindAddr + ":" + std::to_string(port) + ": " + std::strerror(errno);
    CloseFd(listenFd_);
    return false;
  }
  socklen_t len = sizeof addr;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  if (::pipe2(wakeFds_, O_NONBLOCK | O_CLOEXEC) != 0) {
    error_ = std::string("pipe: ") + std::strerror(errno);
    CloseFd(listenFd_);
    return false;
  }
  {
    // The status area shows the address we listen on, with a plausible mask and gateway.
    const std::uint32_t ip = ntohl(addr.sin_addr.s_addr);
    const bool local = (ip >> 24) == 127 || ip == 0;
    const std::uint32_t mask = (ip >> 24) == 127 ? 0xFF000000u : 0xFFFFFF00u;
    std::lock_guard<std::mutex> lock(mutex_);
    brain_.SetNetwork(ip, mask, local ? 0 : ((ip & mask) | 1));
  }
  stop_ = false;
  thread_ = std::thread(&SimServer::Run, this);
  return true;
}

void SimServer::Stop() {
  if (!thread_.joinable()) return;
  stop_ = true;
  const char byte = 1;
  [[maybe_unused]] auto n = ::write(wakeFds_[1], &byte, 1);
  thread_.join();
  CloseFd(listenFd_);
  CloseFd(wakeFds_[0]);
  CloseFd(wakeFds_[1]);
}

void SimServer::Run() {
  const auto started = Clock::now();
  const bool verbose = opts_.verbose;
  std::list<Conn> conns;
  int nextId = 1;

  auto closeConn = [&](Conn& c, const char* why) {
    if (verbose || why[0] != '\0')
      std::fprintf(stderr, "kestrio-sim: connection %d closed%s%s\n", c.id, why[0] ? ": " : "", why);
    CloseFd(c.fd);
    c.dead = true;
  };

  // Sends what is due, in order; false when the connection failed.
  auto flush = [&](Conn& c, Clock::time_point now) {
    while (!c.out.empty() && c.out.front().due <= now) {
      Chunk& head = c.out.front();
      if (c.sent < head.bytes.size()) {
        const ssize_t n = ::send(c.fd, head.bytes.data() + c.sent, head.bytes.size() - c.sent, MSG_NOSIGNAL);
        if (n < 0) {
          if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
          closeConn(c, "send failed");
          return;
        }
        c.sent += static_cast<std::size_t>(n);
        if (c.sent < head.bytes.size()) return;
      }
      const After after = head.after;
      c.outBytes -= head.bytes.size();
      c.sent = 0;
      c.out.pop_front();
      if (after == After::Reset) {
        // A zero linger time makes close() send a reset instead of an orderly close.
        linger hard{1, 0};
        ::setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
      }
      if (after != After::Nothing) {
        closeConn(c, verbose ? (after == After::Reset ? "reset in the middle of a reply"
                                                      : "closed in the middle of a reply")
                             : "");
        return;
      }
    }
    if (c.closing && c.out.empty()) closeConn(c, verbose ? "request limit reached" : "");
  };

  // Answers the complete packets buffered on `c`, as far as its output allowance goes.
  auto process = [&](Conn& c, Clock::time_point now) {
    std::vector<Chunk> batch;
    std::size_t at = 0;
    bool coalesce = false;
    std::size_t skipped = 0;
    c.backlog = false;
    while (!c.closing && c.outBytes < kMaxQueuedOut) {
      Bytes rest(c.in.begin() + static_cast<std::ptrdiff_t>(at),
                 c.in.begin() + static_cast<std::ptrdiff_t>(std::min(c.in.size(), at + 16)));
      std::size_t need = FrontPacketLength(rest);
      if (need == kUnknownLength) {
        // Packets are whole quadlets: skip this one and look for a header in the next.
        at += 4;
        ++skipped;
        continue;
      }
      if (need == 0 || c.in.size() - at < need) break;
      Bytes packet(c.in.begin() + static_cast<std::ptrdiff_t>(at),
                   c.in.begin() + static_cast<std::ptrdiff_t>(at + need));
      at += need;
      if (IsResponseTcode(packet[3] >> 4)) {
        std::fprintf(stderr, "kestrio-sim: connection %d: ignored %s\n", c.id, Describe(packet).c_str());
        continue;
      }
      std::optional<Bytes> reply;
      FaultPlan plan;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        brain_.SetElapsedMs(static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now - started).count()));
        reply = brain_.Handle(packet);
        plan = opts_.faults;
      }
      if (verbose) std::fprintf(stderr, "kestrio-sim: %d <- %s\n", c.id, Describe(packet).c_str());
      if (!reply) {
        std::fprintf(stderr, "kestrio-sim: connection %d: ignored %s\n", c.id, Describe(packet).c_str());
        continue;
      }
      const std::uint64_t n = ++c.requests;
      if (plan.closeAfter > 0 && n >= static_cast<std::uint64_t>(plan.closeAfter)) c.closing = true;
      if (plan.dropEvery > 0 && n % static_cast<std::uint64_t>(plan.dropEvery) == 0) {
        if (verbose)
          std::fprintf(stderr, "kestrio-sim: %d    reply to request %llu dropped\n", c.id,
                       static_cast<unsigned long long>(n));
        continue;
      }
      const auto due = now + std::chrono::milliseconds(std::max(0, plan.delayMs));
      if (plan.stale && !c.lastReply.empty()) batch.push_back({c.lastReply, due});
      Bytes body;
      if (plan.garbageEvery > 0 && n % static_cast<std::uint64_t>(plan.garbageEvery) == 0) {
        c.rng = c.rng * 1103515245u + 12345u;
        const int count = 3 + static_cast<int>((c.rng >> 16) % 5);
        for (int i = 0; i < count; ++i) {
          c.rng = c.rng * 1103515245u + 12345u;
          body.push_back(static_cast<std::uint8_t>(c.rng >> 16));
        }
      }
      body.insert(body.end(), reply->begin(), reply->end());
      const auto gap = std::chrono::milliseconds(std::max(0, plan.segmentGapMs));
      // Where split and the mid-reply faults cut: splitAt bytes in, halfway without it.
      const auto cut = static_cast<std::ptrdiff_t>(
          plan.splitAt > 0 ? std::min<std::size_t>(static_cast<std::size_t>(plan.splitAt), body.size() - 1)
                           : body.size() / 2);
      if ((plan.closeMidReply || plan.resetMidReply) && body.size() > 1) {
        batch.push_back({Bytes(body.begin(), body.begin() + cut), due});
        batch.push_back({Bytes{}, due + gap, plan.resetMidReply ? After::Reset : After::Close});
        c.closing = true;  // nothing after this reply is read or answered
      } else if (plan.sliceBytes > 0 && body.size() > 1) {
        const auto step = static_cast<std::size_t>(plan.sliceBytes);
        auto at = due;
        for (std::size_t from = 0; from < body.size(); from += step, at += gap) {
          const auto to = std::min(body.size(), from + step);
          batch.push_back({Bytes(body.begin() + static_cast<std::ptrdiff_t>(from),
                                 body.begin() + static_cast<std::ptrdiff_t>(to)),
                           at});
        }
      } else if (plan.split && body.size() > 1) {
        batch.push_back({Bytes(body.begin(), body.begin() + cut), due});
        batch.push_back({Bytes(body.begin() + cut, body.end()), due + gap});
      } else {
        batch.push_back({std::move(body), due});
      }
      c.lastReply = *reply;
      if (verbose) std::fprintf(stderr, "kestrio-sim: %d -> %s\n", c.id, Describe(*reply).c_str());
      std::size_t queued = 0;
      for (const auto& ch : batch) queued += ch.bytes.size();
      coalesce = plan.coalesce;
      if (c.outBytes + queued >= kMaxQueuedOut) {
        c.backlog = true;
        break;
      }
    }
    if (skipped > 0)
      std::fprintf(stderr, "kestrio-sim: connection %d: skipped %zu quadlets of unknown packet type\n", c.id,
                   skipped);
    c.in.erase(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(at));
    if (at > 0) c.waitingSince = now;  // whatever is left is the start of a new packet
    if (c.closing) c.in.clear();
    // Only chunks of this batch are joined: the queue's head may already be half sent.
    const std::size_t firstNew = c.out.size();
    for (auto& ch : batch) {
      c.outBytes += ch.bytes.size();
      if (coalesce && c.out.size() > firstNew && c.out.back().due == ch.due &&
          c.out.back().after == After::Nothing && ch.after == After::Nothing) {
        c.out.back().bytes.insert(c.out.back().bytes.end(), ch.bytes.begin(), ch.bytes.end());
      } else {
        c.out.push_back(std::move(ch));
      }
    }
  };

  const int incompleteMs = std::max(1, opts_.incompletePacketMs);
  const auto incompleteLimit = std::chrono::milliseconds(incompleteMs);
  // Whether `c` has part of a packet and the loop waits for the client to send the rest. A client
  // that does not read its replies, or requests waiting for the output allowance, are other matters.
  auto awaitsRest = [](const Conn& c) {
    return !c.dead && !c.closing && !c.backlog && c.outBytes < kMaxQueuedOut && !c.in.empty();
  };

  while (!stop_) {
    auto now = Clock::now();
    for (auto& c : conns) {
      if (!c.dead && c.backlog && !c.closing && c.outBytes < kMaxQueuedOut) process(c, now);
      if (!c.dead) flush(c, now);
      if (!awaitsRest(c)) {
        c.waitingSince = now;  // the limit counts only time spent waiting on the client
      } else if (now - c.waitingSince >= incompleteLimit) {
        std::fprintf(stderr, "kestrio-sim: dropped %s: incomplete packet waited %s\n", c.peer.c_str(),
                     DurationText(incompleteMs).c_str());
        CloseFd(c.fd);
        c.dead = true;
      }
    }
    conns.remove_if([](const Conn& c) { return c.dead; });

    std::vector<pollfd> fds;
    fds.push_back({wakeFds_[0], POLLIN, 0});
    fds.push_back({listenFd_, POLLIN, 0});
    int timeoutMs = -1;
    // Wakes the loop by `at` at the latest.
    auto wakeBy = [&](Clock::time_point at) {
      const auto ms = std::chrono::ceil<std::chrono::milliseconds>(at - now).count();
      if (timeoutMs != 0 && (timeoutMs < 0 || ms < timeoutMs)) timeoutMs = static_cast<int>(ms);
    };
    for (auto& c : conns) {
      short ev = 0;
      if (!c.closing && c.outBytes < kMaxQueuedOut) {
        ev |= POLLIN;
        if (c.backlog) timeoutMs = 0;  // more requests are waiting: come straight back
      }
      if (!c.out.empty()) {
        if (c.out.front().due <= now) {
          ev |= POLLOUT;
        } else {
          wakeBy(c.out.front().due);
        }
      }
      if (awaitsRest(c)) wakeBy(c.waitingSince + incompleteLimit);
      fds.push_back({c.fd, ev, 0});
    }
    if (::poll(fds.data(), fds.size(), timeoutMs) < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "kestrio-sim: poll: %s\n", std::strerror(errno));
      break;
    }
    if (fds[0].revents) {
      char buf[64];
      while (::read(wakeFds_[0], buf, sizeof buf) > 0) {
      }
    }
    if (stop_) break;
    now = Clock::now();
    std::size_t i = 2;
    for (auto& c : conns) {
      const short rev = fds[i++].revents;
      if (c.dead || rev == 0) continue;
      if (rev & (POLLIN | POLLHUP | POLLERR)) {
        std::uint8_t buf[64 * 1024];
        const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
        if (n == 0) {
          closeConn(c, c.in.empty() ? "" : "peer closed in the middle of a packet");
          continue;
        }
        if (n < 0) {
          if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) closeConn(c, "receive failed");
          continue;
        }
        if (c.in.empty()) c.waitingSince = now;
        c.in.insert(c.in.end(), buf, buf + n);
        if (c.in.size() > kMaxBuffered) {
          closeConn(c, "more than 128 KiB of input without a complete packet");
          continue;
        }
        process(c, now);
      }
      if (!c.dead) flush(c, now);
    }
    if (fds[1].revents & POLLIN) {
      auto live = static_cast<std::size_t>(
          std::count_if(conns.begin(), conns.end(), [](const Conn& c) { return !c.dead; }));
      while (true) {
        sockaddr_in peer{};
        socklen_t peerLen = sizeof peer;
        const int fd =
            ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &peerLen, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) break;
        if (live >= kMaxConnections) {
          std::fprintf(stderr, "kestrio-sim: refused a connection: %zu clients already connected\n", live);
          ::close(fd);
          continue;
        }
        ++live;
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        Conn c;
        c.fd = fd;
        c.id = nextId++;
        c.peer = PeerText(peer);
        c.rng = static_cast<std::uint32_t>(c.id) * 2654435761u;
        if (verbose)
          std::fprintf(stderr, "kestrio-sim: connection %d opened from %s\n", c.id, c.peer.c_str());
        conns.push_back(std::move(c));
      }
    }
  }
  for (auto& c : conns) CloseFd(c.fd);
}

}  // namespace kestrio::sim
