// The simulator over real loopback TCP: framing, several clients, hostile input, fault modes and
// the kestrio-sim binary's state and rack files.
#include "sim/server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QProcess>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/packets.h"

namespace kestrio::sim {
namespace {

using namespace kestrio::test;

// A blocking loopback client. Replies come back whole, or empty when none arrives in time.
struct Client {
  explicit Client(std::uint16_t port) : fd(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in a{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  }
  ~Client() { ::close(fd); }
  bool Send(const Bytes& b) {
    return ::send(fd, b.data(), b.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(b.size());
  }
  // Receives until `n` bytes are buffered; false when the peer closes or goes quiet for `timeoutMs` first.
  bool Fill(std::size_t n, int timeoutMs = 3000) {
    const timeval quiet{timeoutMs / 1000, timeoutMs % 1000 * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &quiet, sizeof quiet);
    std::uint8_t tmp[65536];
    while (buf.size() < n && !closed) {
      const ssize_t got = ::recv(fd, tmp, sizeof tmp, 0);
      if (got < 0 && errno == EAGAIN) return false;
      closed = got <= 0;
      lastErrno = got < 0 ? errno : 0;
      if (got > 0) buf.insert(buf.end(), tmp, tmp + got);
    }
    return buf.size() >= n;
  }
  Bytes Take(std::size_t n, int timeoutMs = 3000) {
    if (!Fill(n, timeoutMs)) return {};
    Bytes r(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
    buf.erase(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
    return r;
  }
  Bytes Reply(int timeoutMs = 3000) {  // one packet as framed by its header
    if (!Fill(4, timeoutMs) || (FramedLength(buf) == 0 && !Fill(16, timeoutMs))) return {};
    return Take(FramedLength(buf), timeoutMs);
  }
  Bytes Ask(const Bytes& request, int timeoutMs = 3000) { return Send(request) ? Reply(timeoutMs) : Bytes{}; }
  // True when the server ends the connection, sending nothing more.
  bool ClosedByPeer() { return !Fill(buf.size() + 1) && closed && buf.empty(); }

  int fd;
  Bytes buf;
  bool closed = false;
  int lastErrno = 0;  // why the connection ended: 0 for an orderly close
};

class SimServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start("127.0.0.1", 0)) << server.Error();
    Expected(WriteQuad(kCommandAddr, kCmdPowerUpClear));
  }
  // What the brain answers to `request`, without the sockets.
  Bytes Expected(const Bytes& request) {
    return *server.WithBrain([&](Brain& b) { return b.Handle(request); });
  }
  SimServer server;
};

TEST(SimServer, PowerUpClearBelongsToTheBrainNotTheConnection) {
  SimServer server;
  ASSERT_TRUE(server.Start("127.0.0.1", 0)) << server.Error();
  Client c(server.Port());
  // The status area shows the loopback address we listen on, its mask and no gateway.
  EXPECT_EQ(Data(c.Ask(ReadBlock(kStatusBase + 52, 12))), "7F000001FF00000000000000");
  EXPECT_EQ(RcodeOf(c.Ask(ReadQuad(kDigitalStatesBase))), kRcodeConflict);
  EXPECT_EQ(RcodeOf(c.Ask(WriteQuad(kCommandAddr, kCmdPowerUpClear))), 0);
  Client other(server.Port());
  EXPECT_EQ(RcodeOf(other.Ask(ReadQuad(kDigitalStatesBase))), 0);
}

TEST_F(SimServerTest, ReassemblesSplitRequestsAndSeparatesCoalescedOnes) {
  Client c(server.Port());
  for (std::uint8_t byte : WriteBlock(kDigitalEventsBase, "0102030405060708090A", 7))
    ASSERT_TRUE(c.Send({byte}));
  EXPECT_EQ(BytesToHex(c.Reply()), "01231C20FFC0000000000000");
  ASSERT_TRUE(c.Send(Joined({ReadQuad(kDigitalEventsBase, 8), ReadBlock(kDigitalEventsBase, 10, 9),
                             WriteQuad(kSettingsBase + 0x44, 7, 10)})));
  EXPECT_EQ(Data(c.Reply()), "01020304");
  EXPECT_EQ(Data(c.Reply()), "0102030405060708090A");
  EXPECT_EQ(BytesToHex(c.Reply()), "01232820FFC0000000000000");
}

TEST_F(SimServerTest, HostileClientsDoNotDisturbOthers) {
  Client good(server.Port()), junk(server.Port()), big(server.Port()), flood(server.Port());
  // Quadlets of unknown kinds (3, E) and a response sent to the brain are skipped.
  ASSERT_TRUE(junk.Send(HexToBytes("DEADBE3FDEADBEEF0123046000000000000000000000002A")));
  EXPECT_EQ(BytesToHex(junk.Ask(ReadQuad(kSettingsBase + 0x44, 11))), "01232C60FFC0000000000000000000A2");
  {
    Client half(server.Port());  // half a packet, then a close
    ASSERT_TRUE(half.Send(Bytes(20, 0x10)));
  }
  // The largest block a header can claim is answered (an address error).
  Bytes huge = HexToBytes(Hdr(1, 13, kSettingsBase) + "FFFF0000");
  huge.resize(16 + 65536, 0xAB);
  ASSERT_TRUE(big.Send(huge));
  EXPECT_EQ(RcodeOf(big.Reply()), kRcodeAddress);
  // A flood of large reads from a client that reads late: all answered, in order.
  Bytes burst;
  for (int i = 0; i < 400; ++i) burst = Joined({burst, ReadBlock(kMessagesBase, 0x4000, i % 64)});
  ASSERT_TRUE(flood.Send(burst));
  for (int i = 0; i < 400; ++i) ASSERT_EQ(Label(flood.Reply()), i % 64) << i;
  EXPECT_EQ(Label(good.Ask(ReadQuad(kStatusBase + 4, 14))), 14);
}

TEST_F(SimServerTest, FaultsThatReshapeReplies) {
  Client c(server.Port());
  const Bytes status = ReadBlock(kStatusBase, 64, 30), port = ReadQuad(kSettingsBase + 0x44, 31);
  for (const FaultPlan& plan :
       {FaultPlan{.split = true}, FaultPlan{.segmentGapMs = 1, .sliceBytes = 5},
        FaultPlan{.split = true, .segmentGapMs = 1, .splitAt = 100}}) {  // 100: one short
    server.SetFaultPlan(plan);
    EXPECT_EQ(c.Ask(status), Expected(status));
  }
  server.SetFaultPlan({.coalesce = true});
  ASSERT_TRUE(c.Send(Joined({ReadQuad(kSettingsBase, 32), ReadQuad(kSettingsBase + 4, 33)})));
  EXPECT_EQ(Label(c.Reply()), 32);
  EXPECT_EQ(Label(c.Reply()), 33);
  const Bytes lone = c.Ask(ReadQuad(kSettingsBase, 34));
  EXPECT_EQ(Label(lone), 34);
  // Stale: the previous reply, old label and all, comes before the real one.
  server.SetFaultPlan({.stale = true});
  ASSERT_TRUE(c.Send(port));
  EXPECT_EQ(c.Reply(), lone);
  EXPECT_EQ(c.Reply(), Expected(port));
  // Garbage: 3 to 7 bytes in front of the reply, in the same segment.
  server.SetFaultPlan({.garbageEvery = 1});
  const Bytes want = Expected(port);
  ASSERT_TRUE(c.Send(port));
  c.Fill(want.size() + 7, 300);
  const Bytes got = c.Take(c.buf.size());
  EXPECT_TRUE(got.size() >= want.size() + 3 && got.size() <= want.size() + 7 &&
              std::equal(want.rbegin(), want.rend(), got.rbegin()))
      << BytesToHex(got);
}

TEST_F(SimServerTest, FaultsThatHoldBackRepliesOrEndTheConnection) {
  Client c(server.Port()), other(server.Port()), d(server.Port()), e(server.Port()), f(server.Port());
  server.SetFaultPlan({.delayMs = 40});
  EXPECT_EQ(Label(c.Ask(ReadQuad(kStatusBase, 20))), 20);
  // A delayed reply does not hold up another connection: this one is due long after the test ends.
  server.SetFaultPlan({.delayMs = 60000});
  ASSERT_TRUE(c.Send(WriteQuad(kSettingsBase + 0x100, 1, 21)));
  while (Expected(ReadQuad(kSettingsBase + 0x100)).back() != 1) std::this_thread::yield();
  server.SetFaultPlan({.dropEvery = 2});
  EXPECT_EQ(Label(other.Ask(ReadQuad(kStatusBase, 22))), 22);
  EXPECT_EQ(other.Ask(ReadQuad(kStatusBase, 23), 150), Bytes{});  // never answered
  EXPECT_EQ(Label(other.Ask(ReadQuad(kStatusBase, 24))), 24);
  // Close after two requests: the third is not answered.
  server.SetFaultPlan({.closeAfter = 2});
  const Bytes quad = ReadQuad(kStatusBase, 25);
  ASSERT_TRUE(d.Send(Joined({quad, quad, quad})));
  EXPECT_EQ(d.Reply(), Expected(quad));
  EXPECT_EQ(d.Reply(), Expected(quad));
  EXPECT_TRUE(d.ClosedByPeer());
  // Cut after five bytes, then an orderly close: the rest and later requests never come.
  server.SetFaultPlan({.segmentGapMs = 1, .splitAt = 5, .closeMidReply = true});
  ASSERT_TRUE(e.Send(Joined({quad, quad})));
  EXPECT_EQ(e.Take(5).size(), 5u);
  EXPECT_TRUE(e.ClosedByPeer());
  EXPECT_EQ(e.lastErrno, 0);
  // A reset: the first part arrives, then the connection fails with a reset rather than a close.
  server.SetFaultPlan({.segmentGapMs = 1, .splitAt = 7, .resetMidReply = true});
  ASSERT_TRUE(f.Send(quad));
  EXPECT_EQ(f.Take(7).size(), 7u);
  EXPECT_TRUE(f.ClosedByPeer());
  EXPECT_EQ(f.lastErrno, ECONNRESET);
}

// The kestrio-sim binary; its port is read from its first output line (0 when it did not start).
struct Child {
  explicit Child(const QStringList& args) {
    process.start(KESTRIO_BINARY_DIR "/bin/kestrio-sim", args);
    while (process.waitForReadyRead(10000) && !process.canReadLine()) {
    }
    port = process.readLine().split(':').value(1).trimmed().toUShort();
  }
  int Stop() {  // as a service manager would; the exit code, or -1 after a crash
    process.terminate();
    process.waitForFinished(10000);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }
  ~Child() { Stop(); }
  QProcess process;
  std::uint16_t port = 0;
};

TEST(SimBinary, StateFileKeepsTheFlashAcrossRunsAndABadRackStopsTheStart) {
  const auto dir = std::filesystem::temp_directory_path() / ("kestrio-sim-bin-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const QString state = QString::fromStdString((dir / "brain.state").string());
  // A missing file is an empty flash; a stored one comes back at the next start; an erased one is empty.
  // The last run only looks (its power-up clear changes nothing).
  for (std::uint32_t command : {kCmdStore, kCmdEraseFlash, kCmdPowerUpClear}) {
    Child sim({"--port", "0", "--state", state});
    ASSERT_GT(sim.port, 0);
    Client c(sim.port);
    ASSERT_EQ(RcodeOf(c.Ask(WriteQuad(kCommandAddr, kCmdPowerUpClear))), 0);
    EXPECT_EQ(Data(c.Ask(ReadQuad(kTimersBase + 0x184))),
              command == kCmdEraseFlash ? "000000AA" : "00000000");
    ASSERT_EQ(RcodeOf(c.Ask(WriteQuad(kTimersBase + 0x184, 0xAA))), 0);
    EXPECT_EQ(RcodeOf(c.Ask(WriteQuad(kCommandAddr, command))), 0);
    EXPECT_EQ(sim.Stop(), 0);
  }
  std::string line;
  EXPECT_TRUE(std::getline(std::ifstream(dir / "brain.state"), line));
  EXPECT_EQ(line, "FFFFF0360000: FFFFFFFF00000000");
  std::ofstream(dir / "bad.rack") << "slot 99 din\n";
  Child bad({"--port", "0", "--rack", QString::fromStdString((dir / "bad.rack").string())});
  EXPECT_EQ(bad.port, 0);
  EXPECT_EQ(bad.Stop(), 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kestrio::sim
