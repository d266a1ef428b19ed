#pragma once
// A plain blocking POSIX socket client with receive deadlines for the simulator's tests; the request
// builders and reply fields come from support/packets.h.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "support/packets.h"

namespace kestrio::sim::test {

// Declared here so that they hide the protocol's names of the same spelling in these tests.
using kestrio::test::Data;
using kestrio::test::FramedLength;
using kestrio::test::Hdr;
using kestrio::test::Joined;
using kestrio::test::Label;
using kestrio::test::RcodeOf;
using kestrio::test::ReadBlock;
using kestrio::test::ReadQuad;
using kestrio::test::Tcode;
using kestrio::test::WriteBlock;
using kestrio::test::WriteQuad;

class Client {
 public:
  explicit Client(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(0x7F000001);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  ~Client() { Close(); }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  bool Connected() const { return connected_; }

  bool Send(const Bytes& b) {
    return ::send(fd_, b.data(), b.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(b.size());
  }

  // Receives until `n` bytes are buffered or the deadline passes; false on timeout or close.
  bool Fill(std::size_t n, int timeoutMs = 3000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (buf_.size() < n) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
              .count();
      if (left <= 0) return false;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      std::uint8_t tmp[65536];
      ssize_t got = ::recv(fd_, tmp, sizeof tmp, 0);
      if (got <= 0) {
        lastErrno_ = got < 0 ? errno : 0;
        closed_ = true;
        return false;
      }
      buf_.insert(buf_.end(), tmp, tmp + got);
    }
    return true;
  }
  // One reply as framed by its header; nullopt on timeout or close.
  std::optional<Bytes> Reply(int timeoutMs = 3000) {
    if (!Fill(4, timeoutMs)) return std::nullopt;
    if (FramedLength(buf_) == 0 && !Fill(16, timeoutMs)) return std::nullopt;
    return Take(FramedLength(buf_), timeoutMs);
  }
  std::optional<Bytes> Transact(const Bytes& request, int timeoutMs = 3000) {
    if (!Send(request)) return std::nullopt;
    return Reply(timeoutMs);
  }
  // Raw bytes: exactly n, or nullopt.
  std::optional<Bytes> Take(std::size_t n, int timeoutMs = 3000) {
    if (!Fill(n, timeoutMs)) return std::nullopt;
    Bytes r(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(n));
    buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(n));
    return r;
  }
  // True when the server closes the connection within the deadline (after what is buffered).
  bool ClosedByPeer(int timeoutMs = 3000) {
    Fill(buf_.size() + 1, timeoutMs);
    return closed_;
  }
  std::size_t Buffered() const { return buf_.size(); }
  int LastErrno() const { return lastErrno_; }  // why the connection ended: 0 for an orderly close

 private:
  int fd_ = -1;
  bool connected_ = false;
  bool closed_ = false;
  int lastErrno_ = 0;
  Bytes buf_;
};

}  // namespace kestrio::sim::test
