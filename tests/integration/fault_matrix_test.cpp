// The fault matrix: every request kind the program sends, against a simulated brain that cuts,
// delays, withholds or breaks its replies, or goes away. Each case checks that no reply is taken
// for the wrong request, that the outcome is reported in the program's words, and that the next
// transaction succeeds.
#include <gtest/gtest.h>

#include <vector>

#include "integration/sim_rig.h"

namespace kestrio::integration {
namespace {

using Messages = std::vector<std::string>;

class FaultMatrix : public SimRig, public ::testing::WithParamInterface<Kind> {
 protected:
  void SetUp() override {
    SimRig::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(link().Connect(false));
    ASSERT_TRUE(prompter_.log.empty());
  }
  Kind kind() const { return GetParam(); }

  // A healthy transaction after the fault: the brain behaves again and the engine must recover.
  void ExpectNextSucceeds(int variant) {
    sim_->SetFaultPlan({});
    link().SetTimeoutSeconds(5);
    const std::string request = Send(kind(), variant);
    EXPECT_TRUE(Answered(kind(), variant, request)) << LogText();
  }
  // The transaction failed in the engine's words and nothing was taken as its reply.
  void ExpectFailed(Outcome outcome, const std::string& before, const char* said) {
    EXPECT_EQ(link().LastOutcome(), outcome);
    EXPECT_TRUE(link().TransactionFailed());
    EXPECT_EQ(link().LastReply(), before);
    EXPECT_EQ(prompter_.Messages(), Messages{said});
  }
};

TEST_P(FaultMatrix, ReplySlicedIntoSingleBytes) {
  sim_->SetFaultPlan({.segmentGapMs = 1, .sliceBytes = 1});
  for (int variant = 1; variant <= 2; ++variant) {
    const std::string request = Send(kind(), variant);
    EXPECT_TRUE(Answered(kind(), variant, request)) << LogText();
  }
  EXPECT_EQ(prompter_.Messages(), Messages{});
  ExpectNextSucceeds(3);
}

TEST_P(FaultMatrix, ReplySplitAtEveryOffset) {
  const int length = static_cast<int>(ReplyBytes(kind()));
  for (int cut = 1; cut < length; ++cut) {
    sim_->SetFaultPlan({.split = true, .segmentGapMs = 1, .splitAt = cut});
    const std::string request = Send(kind(), cut);
    ASSERT_TRUE(Answered(kind(), cut, request)) << "split after byte " << cut;
  }
  EXPECT_EQ(prompter_.Messages(), Messages{});
  EXPECT_TRUE(link().PendingDigits().empty());
  ExpectNextSucceeds(length);
}

TEST_P(FaultMatrix, DelayShorterThanTheTimeout) {
  link().SetTimeoutSeconds(2);
  sim_->SetFaultPlan({.delayMs = 300});
  const std::string request = Send(kind(), 1);
  EXPECT_TRUE(Answered(kind(), 1, request)) << LogText();
  EXPECT_EQ(prompter_.Messages(), Messages{});
  ExpectNextSucceeds(2);
}

TEST_P(FaultMatrix, LateReplyIsNeverTakenForTheNextRequest) {
  const std::string before = link().LastReply();
  link().SetTimeoutSeconds(1);
  sim_->SetFaultPlan({.delayMs = 1500});
  const std::string late = Send(kind(), 1);
  ExpectFailed(Outcome::TimedOut, before, kTimeoutOfOneSecond);

  // The late reply arrives while the next request waits (the brain answers in order).
  ExpectNextSucceeds(2);
  bool lateSeen = false;
  for (const std::string& packet : link().RxBuffer())
    lateSeen |= !packet.empty() && PacketLabel(packet) == PacketLabel(late) && packet != link().LastReply();
  EXPECT_TRUE(lateSeen) << "the late reply never arrived, so this case proved nothing\n" << LogText();
  EXPECT_EQ(prompter_.Messages(), Messages{kTimeoutOfOneSecond});
}

// The timeout runs out while a reply is half received; the rest comes during the next request.
TEST_P(FaultMatrix, TimeoutInTheMiddleOfAReply) {
  const int length = static_cast<int>(ReplyBytes(kind()));
  int variant = 1;
  for (const int cut : {3, length / 2}) {
    link().SetTimeoutSeconds(1);
    sim_->SetFaultPlan({.split = true, .segmentGapMs = 1500, .splitAt = cut});
    Send(kind(), variant++);
    EXPECT_EQ(link().LastOutcome(), Outcome::TimedOut);
    ExpectNextSucceeds(variant++);
  }
  EXPECT_EQ(prompter_.Messages(), (Messages{kTimeoutOfOneSecond, kTimeoutOfOneSecond}));
}

TEST_P(FaultMatrix, SilentPeer) {
  const std::string before = link().LastReply();
  link().SetTimeoutSeconds(1);
  sim_->SetFaultPlan({.dropEvery = 1});
  Send(kind(), 1);
  ExpectFailed(Outcome::TimedOut, before, kTimeoutOfOneSecond);
  ExpectNextSucceeds(2);
  EXPECT_EQ(prompter_.Messages(), Messages{kTimeoutOfOneSecond});
}

// A reset or an orderly close while the reply is on its way; the next request reconnects silently.
TEST_P(FaultMatrix, ConnectionLostInTheMiddleOfAReply) {
  for (const bool reset : {true, false}) {
    prompter_.Clear();
    const std::string before = link().LastReply();
    sim_->SetFaultPlan({.segmentGapMs = 20, .closeMidReply = !reset, .resetMidReply = reset});
    Send(kind(), 1);
    ExpectFailed(Outcome::NotConnected, before, kNotConnected);
    ExpectNextSucceeds(2);
    EXPECT_EQ(prompter_.Messages(), Messages{kNotConnected});
  }
}

TEST_P(FaultMatrix, ConnectionRefused) {
  StopSim();  // the brain is gone: the silent reconnect is refused
  const std::string before = link().LastReply();
  Send(kind(), 1);
  ExpectFailed(Outcome::NotConnected, before, kNotConnected);

  ASSERT_TRUE(StartBrain(port_)) << sim_->Error();
  ExpectNextSucceeds(2);
  EXPECT_EQ(prompter_.Messages(), Messages{kNotConnected});
}

TEST_P(FaultMatrix, SimulatorRestarted) {
  std::string request = Send(kind(), 1);
  ASSERT_TRUE(Answered(kind(), 1, request));
  StopSim();
  ASSERT_TRUE(StartBrain(port_)) << sim_->Error();  // a fresh brain expects its power-up clear again
  ASSERT_TRUE(sim_->WithBrain([](sim::Brain& brain) { return brain.PowerUpClearPending(); }));

  // Without the reconnect's power-up clear the brain would refuse this request with rcode 4.
  request = Send(kind(), 2);
  EXPECT_TRUE(Answered(kind(), 2, request)) << LogText();
  EXPECT_FALSE(sim_->WithBrain([](sim::Brain& brain) { return brain.PowerUpClearPending(); }));
  EXPECT_EQ(prompter_.Messages(), Messages{});
  EXPECT_EQ(test::Count(LogText(), "Sending Power-up Clear."), 2u);
  ExpectNextSucceeds(3);
}

INSTANTIATE_TEST_SUITE_P(EveryRequestKind, FaultMatrix,
                         ::testing::Values(Kind::ReadQuad, Kind::ReadBlock, Kind::WriteQuad,
                                           Kind::WriteBlock),
                         [](const ::testing::TestParamInfo<Kind>& info) { return KindName(info.param); });

// A brain that accepts the connection but never says a word: the connection's power-up clear and
// the request both time out, each with its message (the connection adds that its power-up clear
// failed), and nothing is taken as a reply.
class SilentBrain : public SimRig {};

TEST_F(SilentBrain, FromTheFirstConnection) {
  link().SetTimeoutSeconds(1);
  sim_->SetFaultPlan({.dropEvery = 1});
  Send(Kind::ReadQuad, 1);
  EXPECT_EQ(link().LastOutcome(), Outcome::TimedOut);
  EXPECT_EQ(link().LastReply(), "");
  EXPECT_EQ(prompter_.Messages(),
            (Messages{kTimeoutOfOneSecond, "PUC not successful.", kTimeoutOfOneSecond}));

  sim_->SetFaultPlan({});
  link().SetTimeoutSeconds(5);
  const std::string request = Send(Kind::ReadQuad, 2);
  EXPECT_TRUE(Answered(Kind::ReadQuad, 2, request)) << LogText();
}

// Stale copies of earlier replies, replies coalesced or split, and garbage before replies: each reply
// is still matched to its own request.
class UnrulyBrain : public SimRig {};

TEST_F(UnrulyBrain, StaleCoalescedAndGarbledRepliesStillMatch) {
  ASSERT_TRUE(link().Connect(false));
  int variant = 0;
  for (sim::FaultPlan plan : {sim::FaultPlan{.split = true}, sim::FaultPlan{.coalesce = true, .stale = true},
                              sim::FaultPlan{.split = true, .stale = true}}) {
    sim_->SetFaultPlan(plan);
    for (int i = 0; i < 4; ++i, ++variant) {
      const std::string request = Send(Kind::ReadQuad, variant);
      EXPECT_TRUE(Answered(Kind::ReadQuad, variant, request)) << LogText();
    }
  }
  EXPECT_EQ(prompter_.Messages(), Messages{});
  EXPECT_TRUE(link().PendingDigits().empty());

  // Garbage may eat a reply (a report, never a crash); what it leaves is discarded by a timeout at worst.
  link().SetTimeoutSeconds(1);
  sim_->SetFaultPlan({.garbageEvery = 3});
  for (int i = 0; i < 4; ++i) Send(Kind::ReadQuad, ++variant);
  sim_->SetFaultPlan({});
  bool ok = false;
  for (int i = 0; i < 3 && !ok; ++i) {
    const std::string request = Send(Kind::ReadQuad, ++variant);
    ok = Answered(Kind::ReadQuad, variant, request);
  }
  EXPECT_TRUE(ok) << LogText();
}

}  // namespace
}  // namespace kestrio::integration
