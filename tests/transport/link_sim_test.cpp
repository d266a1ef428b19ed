// The engine against the simulated brain over loopback TCP, with the simulator misbehaving on purpose.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "sim/server.h"
#include "transport/link.h"
#include "transport/session.h"

namespace kestrio {
namespace {

class LinkSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(sim_.Start("127.0.0.1", 0)) << sim_.Error();
    session_ = std::make_unique<Session>(prompter_, dir_.filePath("settings.ini").toStdString());
    link().SetHost("127.0.0.1:" + std::to_string(sim_.Port()));
    link().SetTimeoutSeconds(10);
  }
  void TearDown() override { sim_.Stop(); }

  Link& link() { return session_->GetLink(); }

  // Reads the busy-flag quadlet of the status area; true when it came back as this request's reply.
  bool ReadStatusQuad() {
    const std::string request = session_->Builder().BuildReadQuadRequest("FFFFF0300008");
    link().SendAndAwaitReply(request, kReadQuadRequest);
    return link().LastOutcome() == Outcome::Replied && !link().ReplyFailed() &&
           PacketLabel(link().LastReply()) == PacketLabel(request) &&
           PacketTcode(link().LastReply()) == kReadQuadResponse;
  }

  QTemporaryDir dir_;
  sim::SimServer sim_;
  ScriptedPrompter prompter_;
  std::unique_ptr<Session> session_;
};

TEST_F(LinkSimTest, ConnectClearsThePowerUpFlag) {
  ASSERT_TRUE(link().Connect(false));
  EXPECT_TRUE(prompter_.log.empty());
  EXPECT_TRUE(session_->Log().Text().toStdString().ends_with(
      "\nSending Power-up Clear.\n\nSending [Write Quad Request]: 000004000000FFFFF038000000000001"
      "\nReceived:  000004200000000000000000 [Write Response]"));
  const std::string request = session_->Builder().BuildReadQuadRequest("FFFFF0300004");
  link().SendAndAwaitReply(request, kReadQuadRequest);
  ASSERT_EQ(link().LastOutcome(), Outcome::Replied);
  EXPECT_EQ(link().LastReply().substr(24), "00000000");  // the power-up clear is no longer expected
}

TEST_F(LinkSimTest, StaleSplitAndCoalescedRepliesStillMatchTheirRequests) {
  ASSERT_TRUE(link().Connect(false));
  for (sim::FaultPlan plan : {sim::FaultPlan{.split = true}, sim::FaultPlan{.coalesce = true, .stale = true},
                              sim::FaultPlan{.split = true, .stale = true}}) {
    sim_.SetFaultPlan(plan);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(ReadStatusQuad()) << session_->Log().Text().toStdString();
  }
  EXPECT_TRUE(prompter_.log.empty());
  EXPECT_TRUE(link().PendingDigits().empty());
}

TEST_F(LinkSimTest, ReconnectsWhenTheBrainClosedTheConnection) {
  sim_.SetFaultPlan(sim::FaultPlan{.closeAfter = 2});  // the power-up clear and one more request
  ASSERT_TRUE(link().Connect(false));
  EXPECT_TRUE(ReadStatusQuad());
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(ReadStatusQuad()) << i;
  EXPECT_TRUE(prompter_.log.empty());
}

TEST_F(LinkSimTest, GarbageBeforeRepliesLeavesTheEngineUsable) {
  ASSERT_TRUE(link().Connect(false));
  link().SetTimeoutSeconds(1);
  sim_.SetFaultPlan(sim::FaultPlan{.garbageEvery = 3});
  for (int i = 0; i < 4; ++i) ReadStatusQuad();  // garbage may eat a reply: a report, never a crash
  sim_.SetFaultPlan(sim::FaultPlan{});
  // Whatever the garbage left behind is discarded by a timeout at worst; then replies match again.
  bool ok = false;
  for (int i = 0; i < 3 && !ok; ++i) ok = ReadStatusQuad();
  EXPECT_TRUE(ok);
}

}  // namespace
}  // namespace kestrio
