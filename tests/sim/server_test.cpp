// The simulator over real loopback TCP: framing, several clients, hostile input and fault modes.
#include "sim/server.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "sim_test_util.h"

namespace kestrio::sim {
namespace {

using namespace test;

class SimServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.Start("127.0.0.1", 0)) << server.Error(); }
  std::unique_ptr<Client> Connect(bool puc = true) {
    auto c = std::make_unique<Client>(server.Port());
    EXPECT_TRUE(c->Connected());
    if (puc) {
      auto r = c->Transact(WriteQuad(kCommandAddr, kCmdPowerUpClear, 1));
      EXPECT_TRUE(r && RcodeOf(*r) == 0);
    }
    return c;
  }
  SimServer server;
};

TEST_F(SimServerTest, AnswersStatusReadsAndKeepsThePowerUpClearRule) {
  Client c(server.Port());
  auto r = c.Transact(ReadBlock(kStatusBase, 64, 3));
  ASSERT_TRUE(r);
  EXPECT_EQ(Tcode(*r), 7);
  EXPECT_EQ(Label(*r), 3);
  EXPECT_EQ(Data(*r).substr(8, 8), "00000001");
  EXPECT_EQ(Data(*r).substr(104, 8), "7F000001");  // the address we listen on
  r = c.Transact(ReadQuad(kDigitalStatesBase, 4));
  ASSERT_TRUE(r);
  EXPECT_EQ(RcodeOf(*r), kRcodeConflict);
  r = c.Transact(WriteQuad(kCommandAddr, kCmdPowerUpClear, 5));
  ASSERT_TRUE(r && RcodeOf(*r) == 0);
  // The rule is the brain's, not the connection's: a new client needs no second clear.
  Client other(server.Port());
  r = other.Transact(ReadQuad(kDigitalStatesBase, 6));
  ASSERT_TRUE(r);
  EXPECT_EQ(RcodeOf(*r), 0);
}

TEST_F(SimServerTest, ReassemblesSplitRequestsAndSeparatesCoalescedOnes) {
  auto c = Connect();
  Bytes write = WriteBlock(kDigitalEventsBase, "0102030405060708090A", 7);
  for (std::uint8_t byte : write) ASSERT_TRUE(c->Send(Bytes{byte}));
  auto r = c->Reply();
  ASSERT_TRUE(r);
  EXPECT_EQ(Label(*r), 7);
  EXPECT_EQ(RcodeOf(*r), 0);
  ASSERT_TRUE(c->Send(Joined({ReadQuad(kDigitalEventsBase, 8), ReadBlock(kDigitalEventsBase, 10, 9),
                              WriteQuad(kSettingsBase + 0x44, 7, 10)})));
  auto a = c->Reply(), b = c->Reply(), d = c->Reply();
  ASSERT_TRUE(a && b && d);
  EXPECT_EQ(Data(*a), "01020304");
  EXPECT_EQ(Data(*b), "0102030405060708090A");
  EXPECT_EQ(Label(*d), 10);
  EXPECT_EQ(Tcode(*d), 2);
}

TEST_F(SimServerTest, SeveralClientsShareOneBrain) {
  auto a = Connect(), b = Connect(false);
  ASSERT_TRUE(a->Transact(WriteBlock(kDigitalOutBase, "0000000000000010 0000000000000000", 2)));
  auto r = b->Transact(ReadBlock(kPointConfigBase + 64 * 4 + 4, 4, 3));
  ASSERT_TRUE(r);
  EXPECT_EQ(Data(*r), "00000180");
  server.WithBrain([](Brain& brain) { brain.SetDigitalInputOverride(0); });
  r = b->Transact(ReadBlock(kDigitalStatesBase, 8, 4));
  ASSERT_TRUE(r);
  EXPECT_EQ(Data(*r), "0000000000000010");
}

TEST_F(SimServerTest, HostileClientsDoNotDisturbOthers) {
  auto good = Connect();
  {
    // Garbage of unknown kind is dropped; the connection stays usable.
    auto junk = Connect(false);
    ASSERT_TRUE(junk->Send(HexToBytes("DEADBE3FDEADBEEF")));
    auto r = junk->Transact(ReadQuad(kSettingsBase + 0x44, 11));
    ASSERT_TRUE(r);
    EXPECT_EQ(Label(*r), 11);
    // A response sent to the brain is ignored.
    ASSERT_TRUE(junk->Send(HexToBytes("0123046000000000000000000000002A")));
    r = junk->Transact(ReadQuad(kSettingsBase + 0x44, 12));
    ASSERT_TRUE(r);
    EXPECT_EQ(Label(*r), 12);
  }
  {
    // Half a packet, then a close.
    auto half = Connect(false);
    Bytes req = WriteBlock(kDigitalEventsBase, "0102030405060708");
    req.resize(20);
    ASSERT_TRUE(half->Send(req));
  }
  {
    // The largest block a header can claim: answered (address error), not fatal.
    auto big = Connect(false);
    Bytes req = HexToBytes(Hdr(1, 13, kSettingsBase) + "FFFF0000");
    req.resize(16 + 65536, 0xAB);
    ASSERT_TRUE(big->Send(req));
    auto r = big->Reply();
    ASSERT_TRUE(r);
    EXPECT_EQ(RcodeOf(*r), kRcodeAddress);
  }
  {
    // A flood of large reads from a client that reads late: all answered, in order.
    auto flood = Connect(false);
    Bytes burst;
    for (int i = 0; i < 400; ++i) {
      Bytes p = ReadBlock(kMessagesBase, 0x4000, i % 64);
      burst.insert(burst.end(), p.begin(), p.end());
    }
    ASSERT_TRUE(flood->Send(burst));
    for (int i = 0; i < 400; ++i) {
      auto r = flood->Reply();
      ASSERT_TRUE(r) << i;
      ASSERT_EQ(Label(*r), i % 64);
    }
  }
  auto r = good->Transact(ReadQuad(kStatusBase + 4, 14));
  ASSERT_TRUE(r);
  EXPECT_EQ(Label(*r), 14);
}

TEST_F(SimServerTest, DelayAndDropFaults) {
  auto c = Connect();
  server.SetFaultPlan({.delayMs = 40});
  auto r = c->Transact(ReadQuad(kSettingsBase, 20));
  ASSERT_TRUE(r);
  EXPECT_EQ(Label(*r), 20);
  // A delayed connection does not hold up another one: this reply is due long after the test ends.
  server.SetFaultPlan({.delayMs = 60000});
  ASSERT_TRUE(c->Send(ReadQuad(kSettingsBase, 21)));
  auto other = Connect(false);
  server.SetFaultPlan({});
  r = other->Transact(ReadQuad(kSettingsBase, 22));
  ASSERT_TRUE(r);
  EXPECT_EQ(Label(*r), 22);

  auto d = Connect(false);
  server.SetFaultPlan({.dropEvery = 2});
  ASSERT_TRUE(d->Transact(ReadQuad(kSettingsBase, 23)));
  EXPECT_FALSE(d->Transact(ReadQuad(kSettingsBase, 24), 150));  // the second is never answered
  r = d->Transact(ReadQuad(kSettingsBase, 25));
  ASSERT_TRUE(r);
  EXPECT_EQ(Label(*r), 25);
}

TEST_F(SimServerTest, SplitCoalesceStaleAndGarbageFaults) {
  auto c = Connect();
  server.SetFaultPlan({.split = true});
  auto r = c->Transact(ReadBlock(kStatusBase, 64, 30));
  ASSERT_TRUE(r);
  EXPECT_EQ(Label(*r), 30);
  EXPECT_EQ(Data(*r).size(), 128u);

  server.SetFaultPlan({.coalesce = true});
  ASSERT_TRUE(c->Send(Joined({ReadQuad(kSettingsBase, 31), ReadQuad(kSettingsBase + 4, 32)})));
  auto a = c->Reply(), b = c->Reply();
  ASSERT_TRUE(a && b);
  EXPECT_EQ(Label(*a), 31);
  EXPECT_EQ(Label(*b), 32);
  r = c->Transact(ReadQuad(kSettingsBase, 33));  // a lone request is still answered
  ASSERT_TRUE(r);

  server.SetFaultPlan({.stale = true});
  ASSERT_TRUE(c->Send(ReadQuad(kSettingsBase + 0x44, 34)));
  auto stale = c->Reply(), real = c->Reply();
  ASSERT_TRUE(stale && real);
  EXPECT_EQ(Label(*stale), 33);
  EXPECT_EQ(BytesToHex(*stale), BytesToHex(*r));
  EXPECT_EQ(Label(*real), 34);
  EXPECT_EQ(Data(*real), "000000A2");

  server.SetFaultPlan({.garbageEvery = 1});
  Bytes req = ReadQuad(kSettingsBase + 0x44, 35);
  ASSERT_TRUE(c->Send(req));
  Bytes expected = *server.WithBrain([&](Brain& brain) { return brain.Handle(req); });
  auto got = c->Take(expected.size() + 3);
  ASSERT_TRUE(got);
  while (!std::equal(expected.rbegin(), expected.rend(), got->rbegin())) {
    auto more = c->Take(1, 500);
    ASSERT_TRUE(more) << "reply never completed after the garbage: " << BytesToHex(*got);
    got->push_back((*more)[0]);
  }
  EXPECT_GE(got->size() - expected.size(), 3u);
  EXPECT_LE(got->size() - expected.size(), 7u);
}

TEST_F(SimServerTest, CloseAfterAnswersThenDrops) {
  server.SetFaultPlan({.closeAfter = 2});
  Client c(server.Port());
  const Bytes more = ReadQuad(kStatusBase + 4, 41);
  ASSERT_TRUE(c.Send(Joined({ReadQuad(kStatusBase, 40), more, more})));
  auto a = c.Reply(), b = c.Reply();
  ASSERT_TRUE(a && b);
  EXPECT_EQ(Label(*b), 41);
  EXPECT_TRUE(c.ClosedByPeer());
  EXPECT_EQ(c.Buffered(), 0u);  // the third request was not answered
}

TEST_F(SimServerTest, SlicedSplitAtAndMidReplyFaults) {
  auto c = Connect();
  server.SetFaultPlan({.segmentGapMs = 1, .sliceBytes = 5});
  auto r = c->Transact(ReadBlock(kStatusBase, 64, 50));
  ASSERT_TRUE(r);
  EXPECT_EQ(Label(*r), 50);
  EXPECT_EQ(Data(*r).size(), 128u);

  server.SetFaultPlan({.split = true, .segmentGapMs = 1, .splitAt = 100});  // beyond the end: one byte short
  r = c->Transact(ReadQuad(kStatusBase, 51));
  ASSERT_TRUE(r);
  EXPECT_EQ(Label(*r), 51);

  // Cut after five bytes, then an orderly close: the rest of the reply and later requests never come.
  server.SetFaultPlan({.segmentGapMs = 1, .splitAt = 5, .closeMidReply = true});
  ASSERT_TRUE(c->Send(Joined({ReadQuad(kStatusBase, 52), ReadQuad(kStatusBase, 53)})));
  EXPECT_TRUE(c->Take(5));
  EXPECT_TRUE(c->ClosedByPeer());
  EXPECT_EQ(c->Buffered(), 0u);

  // A reset: the first part arrives, then the connection fails with a reset rather than a close.
  server.SetFaultPlan({.segmentGapMs = 1, .splitAt = 7, .resetMidReply = true});
  Client d(server.Port());
  ASSERT_TRUE(d.Send(ReadQuad(kStatusBase, 54)));
  EXPECT_TRUE(d.Take(7));
  EXPECT_TRUE(d.ClosedByPeer());
  EXPECT_EQ(d.Buffered(), 0u);
  EXPECT_EQ(d.LastErrno(), ECONNRESET);
}

// Runs the kestrio-sim binary and reads its port from the first output line.
struct Child {
  QProcess process;
  int port = 0;
  explicit Child(const QStringList& args) {
    process.start(KESTRIO_BINARY_DIR "/bin/kestrio-sim", args);
    while (process.waitForReadyRead(10000) && !process.canReadLine()) {
    }
    std::sscanf(process.readLine().constData(), "listening on 127.0.0.1:%d", &port);
  }
  // Ends it as a service manager would; the exit code, or -1 when it did not exit normally.
  int Stop() {
    process.terminate();
    process.waitForFinished(10000);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }
  ~Child() { Stop(); }
};

TEST(SimBinary, StateFilePersistsAcrossRuns) {
  auto dir = std::filesystem::temp_directory_path() / ("kestrio-sim-bin-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string state = (dir / "brain.state").string();
  std::filesystem::remove(state);
  {
    Child sim({"--port", "0", "--state", QString::fromStdString(state)});
    ASSERT_GT(sim.port, 0);
    Client c(static_cast<std::uint16_t>(sim.port));
    ASSERT_TRUE(c.Transact(WriteQuad(kCommandAddr, kCmdPowerUpClear)));
    ASSERT_TRUE(c.Transact(WriteBlock(kTimersBase + 128 * 3, "00000000000000AA")));
    auto r = c.Transact(WriteQuad(kCommandAddr, kCmdStore));
    ASSERT_TRUE(r && RcodeOf(*r) == 0);
    EXPECT_EQ(sim.Stop(), 0);
  }
  Child sim({"--port", "0", "--state", QString::fromStdString(state)});
  ASSERT_GT(sim.port, 0);
  Client c(static_cast<std::uint16_t>(sim.port));
  ASSERT_TRUE(c.Transact(WriteQuad(kCommandAddr, kCmdPowerUpClear)));
  auto r = c.Transact(ReadBlock(kTimersBase + 128 * 3, 8));
  ASSERT_TRUE(r);
  EXPECT_EQ(Data(*r), "00000000000000AA");
  std::filesystem::remove_all(dir);
}

TEST(SimBinary, RefusesABadRackFile) {
  auto path =
      std::filesystem::temp_directory_path() / ("kestrio-bad-" + std::to_string(::getpid()) + ".rack");
  std::ofstream(path) << "slot 99 din\n";
  Child sim({"--port", "0", "--rack", QString::fromStdString(path.string())});
  EXPECT_EQ(sim.port, 0);
  EXPECT_EQ(sim.Stop(), 1);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace kestrio::sim
