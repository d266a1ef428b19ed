// The simulator over real loopback TCP: framing, several clients, hostile input, fault modes and
// the kestrio-sim binary's options, state and rack files. Every wait ends on the event it waits for,
// or fails after a deadline long enough for a loaded machine.
#include "sim/server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <fstream>
#include <thread>

#include "support/packets.h"

namespace kestrio::sim {
namespace {

using namespace kestrio::memory_map;
using namespace kestrio::test;
using Cmd = DeviceCommand;

// How long a wait for bytes may go without any: generous for a loaded machine, and a wait that
// succeeds ends as soon as its bytes arrive.
constexpr int kQuietMs = 20000;

// A blocking loopback client. Replies come back whole, or empty when none arrives in time.
struct Client {
  explicit Client(std::uint16_t port) : fd(::socket(AF_INET, SOCK_STREAM, 0)) {
    const timeval quiet{kQuietMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &quiet, sizeof quiet);
    sockaddr_in a{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  }
  ~Client() { ::close(fd); }
  bool Send(const Bytes& b) {
    return ::send(fd, b.data(), b.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(b.size());
  }
  // Receives until `n` bytes are buffered; false when the peer closes or goes quiet first.
  bool Fill(std::size_t n) {
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
  Bytes Reply() {  // one packet as framed by its header
    if (!Fill(4) || (FramedLength(buf) == 0 && !Fill(16)) || !Fill(FramedLength(buf))) return {};
    const auto end = buf.begin() + static_cast<std::ptrdiff_t>(FramedLength(buf));
    Bytes r(buf.begin(), end);
    buf.erase(buf.begin(), end);
    return r;
  }
  Bytes Ask(const Bytes& request) { return Send(request) ? Reply() : Bytes{}; }
  // Receives until the server ends the connection; false when it goes quiet instead.
  bool ClosedByPeer() { return !Fill(SIZE_MAX) && closed; }

  int fd;
  Bytes buf;
  bool closed = false;
  int lastErrno = 0;  // why the connection ended: 0 for an orderly close
};

class SimServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start("127.0.0.1", 0)) << server.Error();
    Expected(Command(Cmd::PowerUpClear));
  }
  // What the brain answers to `request`, without the sockets.
  Bytes Expected(const Bytes& request) {
    return *server.WithBrain([&](Brain& b) { return b.Handle(request); });
  }
  SimServer server;
};

TEST_F(SimServerTest, FramesRequestsAndHostileClientsDoNotDisturbOthers) {
  Client good(server.Port()), junk(server.Port()), big(server.Port()), flood(server.Port());
  // A request a byte at a time is reassembled; requests sent together are taken apart.
  for (std::uint8_t byte : WriteBlock(kDigitalEvents.base, "0102030405060708090A", 7))
    ASSERT_TRUE(good.Send({byte}));
  EXPECT_EQ(BytesToHex(good.Reply()), "01231C20FFC0000000000000");
  ASSERT_TRUE(good.Send(Joined({ReadQuad(kDigitalEvents.base, 8), ReadBlock(kDigitalEvents.base, 10, 9),
                                WriteQuad(kSettings.base + 0x44, 7, 10)})));
  EXPECT_EQ(Data(good.Reply()), "01020304");
  EXPECT_EQ(Data(good.Reply()), "0102030405060708090A");
  EXPECT_EQ(BytesToHex(good.Reply()), "01232820FFC0000000000000");
  // Quadlets of unknown kinds (3, E) and a response sent to the brain are skipped.
  ASSERT_TRUE(junk.Send(HexToBytes("DEADBE3FDEADBEEF0123046000000000000000000000002A")));
  EXPECT_EQ(BytesToHex(junk.Ask(ReadQuad(kSettings.base + 0x44, 11))), "01232C60FFC000000000000000000007");
  // The largest block a header can claim is answered (an address error).
  Bytes huge = HexToBytes(Hdr(1, 13, kSettings.base) + "FFFF0000");
  huge.resize(16 + 65536, 0xAB);
  ASSERT_TRUE(big.Send(huge));
  EXPECT_EQ(RcodeOf(big.Reply()), kRcodeAddress);
  // A flood of large reads from a client that reads late: all answered, in order.
  Bytes burst;
  for (int i = 0; i < 400; ++i) burst = Joined({burst, ReadBlock(kEventMessages.base, 0x4000, i % 64)});
  ASSERT_TRUE(flood.Send(burst));
  for (int i = 0; i < 400; ++i) ASSERT_EQ(Label(flood.Reply()), i % 64) << i;
  EXPECT_EQ(Label(good.Ask(ReadQuad(kStatus.base, 14))), 14);
}

TEST_F(SimServerTest, FaultsThatReshapeReplies) {
  Client c(server.Port());
  const Bytes status = ReadBlock(kStatus.base, kStatus.size, 30), port = ReadQuad(kSettings.base + 0x44, 31);
  for (const FaultPlan& plan :
       {FaultPlan{.split = true}, FaultPlan{.segmentGapMs = 1, .sliceBytes = 5},
        FaultPlan{.split = true, .segmentGapMs = 1, .splitAt = 100}}) {  // 100: one short
    server.SetFaultPlan(plan);
    EXPECT_EQ(c.Ask(status), Expected(status));
  }
  server.SetFaultPlan({.coalesce = true});
  ASSERT_TRUE(c.Send(Joined({ReadQuad(kSettings.base, 32), ReadQuad(kSettings.base + 4, 33)})));
  EXPECT_EQ(Label(c.Reply()), 32);
  const Bytes last = c.Reply();
  EXPECT_EQ(Label(last), 33);
  // Stale: the previous reply, old label and all, comes before the real one.
  server.SetFaultPlan({.stale = true});
  ASSERT_TRUE(c.Send(port));
  EXPECT_EQ(c.Reply(), last);
  EXPECT_EQ(c.Reply(), Expected(port));
  // Garbage: 3 to 7 bytes in front of the reply.
  server.SetFaultPlan({.garbageEvery = 1});
  const Bytes want = Expected(port);
  ASSERT_TRUE(c.Send(port));
  while (c.buf.size() < want.size() + 3 || !std::equal(want.rbegin(), want.rend(), c.buf.rbegin()))
    ASSERT_TRUE(c.buf.size() < want.size() + 7 && c.Fill(c.buf.size() + 1)) << BytesToHex(c.buf);
}

TEST_F(SimServerTest, FaultsThatHoldBackRepliesOrEndTheConnection) {
  Client c(server.Port()), other(server.Port()), d(server.Port());
  server.SetFaultPlan({.delayMs = 40});
  EXPECT_EQ(Label(c.Ask(ReadQuad(kStatus.base, 20))), 20);
  // A delayed reply does not hold up another connection: this one is due long after the test ends.
  // The plan applies when the brain handles a request, so it changes only once the write is in.
  server.SetFaultPlan({.delayMs = 60000});
  const std::uint64_t flag = kSettings.base + 0x100;
  ASSERT_TRUE(c.Send(WriteQuad(flag, 1, 21)));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kQuietMs);
  while (Expected(ReadQuad(flag)).back() != 1) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the brain never got the write";
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  // Replies keep their order, so the reply after an unanswered request is the next request's.
  server.SetFaultPlan({.dropEvery = 2});
  EXPECT_EQ(Label(other.Ask(ReadQuad(kStatus.base, 22))), 22);
  ASSERT_TRUE(other.Send(ReadQuad(kStatus.base, 23)));
  EXPECT_EQ(Label(other.Ask(ReadQuad(kStatus.base, 24))), 24);
  // Close after two requests: the third is not answered.
  server.SetFaultPlan({.closeAfter = 2});
  const Bytes quad = ReadQuad(kStatus.base, 25);
  ASSERT_TRUE(d.Send(Joined({quad, quad, quad})));
  EXPECT_EQ(d.Reply(), Expected(quad));
  EXPECT_EQ(d.Reply(), Expected(quad));
  EXPECT_TRUE(d.ClosedByPeer() && d.buf.empty());
  // Cut a few bytes into a reply, then an orderly close or a reset: the rest and later requests never come.
  for (const auto& [plan, cause] : {std::pair{FaultPlan{.splitAt = 5, .closeMidReply = true}, 0},
                                    std::pair{FaultPlan{.splitAt = 7, .resetMidReply = true}, ECONNRESET}}) {
    server.SetFaultPlan(plan);
    Client cut(server.Port());
    ASSERT_TRUE(cut.Send(Joined({quad, quad})));
    EXPECT_TRUE(cut.ClosedByPeer());
    EXPECT_EQ(cut.buf.size(), static_cast<std::size_t>(plan.splitAt));
    EXPECT_EQ(cut.lastErrno, cause);  // 0 for an orderly close
  }
}

// The kestrio-sim binary; its port is read from its first output line (0 when it did not start).
struct Child {
  explicit Child(const QStringList& args) {
    process.start(KESTRIO_BINARY_DIR "/bin/kestrio-sim", args);
    while (process.waitForReadyRead(kQuietMs) && !process.canReadLine()) {
    }
    port = process.readLine().split(':').value(1).trimmed().toUShort();
  }
  int Stop() {  // as a service manager would; the exit code, or -1 after a crash
    process.terminate();
    process.waitForFinished(kQuietMs);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }
  ~Child() { Stop(); }
  QProcess process;
  std::uint16_t port = 0;
};

TEST(SimBinary, StateFileKeepsTheFlashAcrossRunsAndABadRackStopsTheStart) {
  QTemporaryDir dir;
  const QString state = dir.filePath("brain.state"), rack = dir.filePath("bad.rack");
  // A missing file is an empty flash; a stored one comes back at the next start; an erased one is empty.
  // The last run only looks (its power-up clear changes nothing).
  const std::uint64_t timer = RecordAddress(kTimers, 3) + 4;
  for (Cmd command : {Cmd::StoreToEeprom, Cmd::EraseFlash, Cmd::PowerUpClear}) {
    Child sim({"--port", "0", "--state", state});
    ASSERT_GT(sim.port, 0);
    Client c(sim.port);
    ASSERT_EQ(RcodeOf(c.Ask(Command(Cmd::PowerUpClear))), 0);
    EXPECT_EQ(Data(c.Ask(ReadQuad(timer))), command == Cmd::EraseFlash ? "000000AA" : "00000000");
    ASSERT_EQ(RcodeOf(c.Ask(WriteQuad(timer, 0xAA))), 0);
    EXPECT_EQ(RcodeOf(c.Ask(Command(command))), 0);
    EXPECT_EQ(sim.Stop(), 0);
  }
  std::string line;
  EXPECT_TRUE(std::getline(std::ifstream(state.toStdString()), line));
  EXPECT_EQ(line, AddressText(kEepromImage.base) + ": FFFFFFFF00000000");
  std::ofstream(rack.toStdString()) << "slot 99 din\n";
  Child bad({"--port", "0", "--rack", rack});
  EXPECT_EQ(bad.port, 0);
  EXPECT_EQ(bad.Stop(), 1);
}

TEST(SimBinary, ClientsStuckInsideAPacketAreDroppedSoTheirSlotsFreeUp) {
  Child sim({"--port", "0", "--incomplete-packet-ms", "300"});
  ASSERT_GT(sim.port, 0);
  // Every client slot taken by a client that sends half a request and then nothing.
  const Bytes half = HexToBytes(Hdr(4, 1, kStatus.base).substr(0, 12));
  std::deque<Client> stuck;
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(stuck.emplace_back(sim.port).Send(half));
  for (Client& c : stuck) ASSERT_TRUE(c.ClosedByPeer());
  // A new client is served. The status area shows the address we listen on, its mask and no gateway.
  Client late(sim.port);
  EXPECT_EQ(Data(late.Ask(ReadBlock(kStatus.base + status::kIpAddress, 12))), "7F000001FF00000000000000");
  EXPECT_EQ(sim.Stop(), 0);
  const QString said = QString::fromUtf8(sim.process.readAllStandardError());
  const QRegularExpression line("kestrio-sim: dropped 127.0.0.1:\\d+: incomplete packet waited 300 ms\n");
  EXPECT_EQ(said.count(line), 64) << said.toStdString();
}

}  // namespace
}  // namespace kestrio::sim
