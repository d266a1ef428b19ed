#pragma once
// Helpers for the simulator's tests: request packets as hex text and a plain blocking POSIX
// socket client with receive deadlines.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "protocol/hex.h"

namespace kestrio::sim::test {

inline std::string Hdr(int tcode, int tl, std::uint64_t addr) {
  return "FFC0" + ToHex(static_cast<std::uint64_t>(tl) << 2, 2) +
         ToHex(static_cast<std::uint64_t>(tcode) << 4, 2) + "0123" + ToHex(addr, 12);
}
inline Bytes ReadQuad(std::uint64_t addr, int tl = 1) { return HexToBytes(Hdr(4, tl, addr)); }
inline Bytes ReadBlock(std::uint64_t addr, std::uint32_t len, int tl = 1) {
  return HexToBytes(Hdr(5, tl, addr) + ToHex(len, 4) + "0000");
}
inline Bytes WriteQuad(std::uint64_t addr, std::uint32_t value, int tl = 1) {
  return HexToBytes(Hdr(0, tl, addr) + ToHex(value, 8));
}
inline Bytes WriteBlock(std::uint64_t addr, const std::string& dataHex, int tl = 1) {
  std::string d = StrippedHex(dataHex);
  std::string p = Hdr(1, tl, addr) + ToHex(d.size() / 2, 4) + "0000" + d;
  while (p.size() % 8 != 0) p += "0";
  return HexToBytes(p);
}

// Reply fields.
inline int Tcode(const Bytes& r) { return r.size() > 3 ? r[3] >> 4 : -1; }
inline int Label(const Bytes& r) { return r.size() > 2 ? r[2] >> 2 : -1; }
inline int RcodeOf(const Bytes& r) { return r.size() > 6 ? r[6] >> 4 : -1; }
inline std::string Data(const Bytes& r) {  // quadlet data or block data, as hex
  if (Tcode(r) == 6 && r.size() >= 16) return BytesToHex(r.data() + 12, 4);
  if (Tcode(r) == 7 && r.size() >= 16) {
    std::size_t n = (std::size_t{r[12]} << 8) | r[13];
    return BytesToHex(r.data() + 16, std::min(n, r.size() - 16));
  }
  return "";
}

inline std::size_t ReplyLength(const Bytes& buf) {
  if (buf.size() < 4) return 0;
  switch (buf[3] >> 4) {
    case 2:
      return 12;
    case 6:
      return 16;
    case 7:
      if (buf.size() < 16) return 0;
      return 16 + ((((std::size_t{buf[12]} << 8) | buf[13]) + 3) & ~std::size_t{3});
    default:
      return buf.size();
  }
}

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
    if ((buf_[3] >> 4) == 7 && !Fill(16, timeoutMs)) return std::nullopt;
    std::size_t n = ReplyLength(buf_);
    if (!Fill(n, timeoutMs)) return std::nullopt;
    Bytes r(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(n));
    buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(n));
    return r;
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

 private:
  int fd_ = -1;
  bool connected_ = false;
  bool closed_ = false;
  Bytes buf_;
};

}  // namespace kestrio::sim::test
