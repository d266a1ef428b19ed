#include "raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrio::bench {

RawClient::~RawClient() {
  if (fd_ >= 0) ::close(fd_);
}

bool RawClient::Connect(const std::string& ip, std::uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd_ < 0) {
    error_ = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  const int one = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  // A reply that never comes ends the run with a message rather than a hang.
  timeval limit{5, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  if (::inet_pton(AF_INET, ip.c_str(), &addr.sin_addr) != 1) {
    error_ = "bad address " + ip;
    return false;
  }
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    error_ = std::string("connect: ") + std::strerror(errno);
    return false;
  }
  return true;
}

std::size_t RawClient::ReplyBytes(const Bytes& request) {
  if (request.size() < 4) return 0;
  switch (request[3] >> 4) {
    case 0:
    case 1:
      return 12;  // write response
    case 4:
      return 16;  // read quadlet response
    case 5: {
      if (request.size() < 14) return 0;
      const std::size_t length = (static_cast<std::size_t>(request[12]) << 8) | request[13];
      return 16 + (length + 3) / 4 * 4;
    }
    default:
      return 0;
  }
}

void RawClient::SetLabel(Bytes& request, int label) {
  if (request.size() < 3) return;
  request[2] = static_cast<std::uint8_t>((request[2] & 0x03) | ((label & 0x3F) << 2));
}

bool RawClient::Transact(const Bytes& request) {
  const std::size_t want = ReplyBytes(request);
  if (want == 0) {
    error_ = "not a request the raw client knows";
    return false;
  }
  if (::send(fd_, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
    error_ = std::string("send: ") + std::strerror(errno);
    return false;
  }
  reply_.resize(want);
  std::size_t got = 0;
  while (got < want) {  // MSG_WAITALL returns early only on a signal, a timeout or a close
    const ssize_t n = ::recv(fd_, reply_.data() + got, want - got, MSG_WAITALL);
    if (n <= 0) {
      error_ = n == 0 ? "connection closed" : std::string("recv: ") + std::strerror(errno);
      return false;
    }
    got += static_cast<std::size_t>(n);
  }
  if ((reply_[2] >> 2) != (request[2] >> 2) || (reply_[6] >> 4) != 0) {
    error_ = "reply with another label or a non-zero rcode: " + BytesToHex(reply_);
    return false;
  }
  return true;
}

}  // namespace kestrio::bench
