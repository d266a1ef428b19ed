// The engine's fast path on a real socket pair: one send, one bounded receive, and a close seen.
#include "transport/direct_socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>

namespace kestrio {
namespace {

TEST(DirectSocket, SendsReceivesWithinASliceAndSeesTheClose) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  DirectSocket a, b;
  ASSERT_TRUE(a.Prepare(fds[0], 1000));
  ASSERT_TRUE(b.Prepare(fds[1], 1000));

  std::array<std::uint8_t, 64> buffer{};
  std::size_t got = 0;
  EXPECT_TRUE(b.Quiet());
  // Nothing there: the receive gives up after its slice instead of blocking.
  EXPECT_EQ(b.Receive(buffer.data(), buffer.size(), got), DirectSocket::Received::Nothing);

  const std::uint8_t packet[] = {0, 0, 4, 0x40, 0, 0, 0xFF, 0xFF, 0xF0, 0x40, 0, 0};
  EXPECT_EQ(a.Send(packet, sizeof packet), sizeof packet);
  EXPECT_FALSE(b.Quiet());
  ASSERT_EQ(b.Receive(buffer.data(), buffer.size(), got), DirectSocket::Received::Data);
  EXPECT_EQ(got, sizeof packet);
  EXPECT_EQ(buffer[3], 0x40);

  ::close(fds[0]);
  EXPECT_EQ(b.Receive(buffer.data(), buffer.size(), got), DirectSocket::Received::Closed);
  ::close(fds[1]);

  DirectSocket unused;  // never prepared: sends nothing, receives "closed"
  EXPECT_FALSE(unused.Prepare(-1, 1000));
  EXPECT_EQ(unused.Send(packet, sizeof packet), 0u);
  EXPECT_FALSE(unused.Quiet());
}

}  // namespace
}  // namespace kestrio
