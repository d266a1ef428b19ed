#include "transport/direct_socket.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>
#define KESTRIO_DIRECT_SOCKET 1
#endif

namespace kestrio {

#if defined(KESTRIO_DIRECT_SOCKET)

bool DirectSocket::Prepare(std::intptr_t fd, int sliceUs) {
  fd_ = -1;
  if (fd < 0) return false;
  const int s = static_cast<int>(fd);
  const timeval slice{0, sliceUs};
  const int flags = ::fcntl(s, F_GETFL);
  if (flags < 0 || ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &slice, sizeof slice) != 0 ||
      ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &slice, sizeof slice) != 0 ||
      ::fcntl(s, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return false;
  }
  fd_ = s;
  return true;
}

std::size_t DirectSocket::Send(const std::uint8_t* data, std::size_t count) {
  if (fd_ < 0) return 0;
  ssize_t sent = -1;
  do {
    sent = ::send(fd_, data, count, MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (sent < 0 && errno == EINTR);
  return sent > 0 ? static_cast<std::size_t>(sent) : 0;
}

DirectSocket::Received DirectSocket::Receive(std::uint8_t* buffer, std::size_t capacity, std::size_t& got) {
  got = 0;
  if (fd_ < 0) return Received::Closed;
  const ssize_t n = ::recv(fd_, buffer, capacity, 0);
  if (n > 0) {
    got = static_cast<std::size_t>(n);
    return Received::Data;
  }
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return Received::Nothing;
  return Received::Closed;
}

bool DirectSocket::Quiet() const {
  if (fd_ < 0) return false;
  pollfd p{fd_, POLLIN, 0};
  return ::poll(&p, 1, 0) == 0;
}

#else

bool DirectSocket::Prepare(std::intptr_t, int) { return false; }
std::size_t DirectSocket::Send(const std::uint8_t*, std::size_t) { return 0; }
DirectSocket::Received DirectSocket::Receive(std::uint8_t*, std::size_t, std::size_t& got) {
  got = 0;
  return Received::Closed;
}
bool DirectSocket::Quiet() const { return false; }

#endif

}  // namespace kestrio
