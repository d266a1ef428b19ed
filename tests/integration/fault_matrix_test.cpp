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
    ASSERT_TRUE(session_->Connect(false));
    ASSERT_TRUE(prompter_.log.empty());
  }
  Kind kind() const { return GetParam(); }
  int replyBytes() { return static_cast<int>(ExpectedReply(kind(), 0, 0).size() / 2); }

  // A healthy transaction after the fault: the brain behaves again and the engine must recover.
  void ExpectNextSucceeds(int variant) {
    sim_->SetFaultPlan({});
    engine().SetTimeoutSeconds(5);
    const std::string request = Send(kind(), variant);
    EXPECT_TRUE(Answered(kind(), variant, request)) << LogText();
  }
  // Request 1 under `plan` fails in the engine's words with nothing taken as its reply, and
  // request 2 after it succeeds.
  void ExpectFailedThenRecovers(const sim::FaultPlan& plan, Outcome outcome, const char* said) {
    prompter_.Clear();
    const std::string before = engine().LastReply();
    sim_->SetFaultPlan(plan);
    Send(kind(), 1);
    EXPECT_EQ(last_.outcome, outcome);
    EXPECT_TRUE(TransactionFailed(last_, prompter_));
    EXPECT_EQ(engine().LastReply(), before);
    ExpectNextSucceeds(2);
    EXPECT_EQ(prompter_.Messages(), Messages{said});
  }
};

// Split after every byte, then sliced into single bytes.
TEST_P(FaultMatrix, ReplyInPiecesIsJoined) {
  const int length = replyBytes();
  for (int cut = 1; cut < length; ++cut) {
    sim_->SetFaultPlan({.split = true, .segmentGapMs = 1, .splitAt = cut});
    const std::string request = Send(kind(), cut);
    ASSERT_TRUE(Answered(kind(), cut, request)) << "split after byte " << cut;
  }
  sim_->SetFaultPlan({.segmentGapMs = 1, .sliceBytes = 1});
  const std::string request = Send(kind(), length);
  EXPECT_TRUE(Answered(kind(), length, request)) << LogText();
  EXPECT_EQ(prompter_.Messages(), Messages{});
  EXPECT_TRUE(engine().Rx().PendingDigits().empty());
}

// No reply at all, and a reply that stops partway until well after the timeout: its rest arrives
// while the next request waits and must not be taken for (or swallow) that request's reply. The rest
// comes 2.5 s after its start, so a 1 s timeout ends first even on a loaded machine.
TEST_P(FaultMatrix, NoReplyWithinTheTimeout) {
  for (const int cut : {0, 3, replyBytes() / 2}) {
    engine().SetTimeoutSeconds(1);
    ExpectFailedThenRecovers(cut ? sim::FaultPlan{.split = true, .segmentGapMs = 2500, .splitAt = cut}
                                 : sim::FaultPlan{.dropEvery = 1},
                             Outcome::TimedOut, kTimeoutOfOneSecond);
  }
}

// A reset or an orderly close while the reply is on its way; the next request reconnects silently.
TEST_P(FaultMatrix, ConnectionLostInTheMiddleOfAReply) {
  for (const bool reset : {true, false}) {
    ExpectFailedThenRecovers({.segmentGapMs = 20, .closeMidReply = !reset, .resetMidReply = reset},
                             Outcome::NotConnected, kNotConnected);
  }
}

TEST_P(FaultMatrix, ConnectionRefused) {
  StopSim();  // the brain is gone: the silent reconnect is refused
  const std::string before = engine().LastReply();
  Send(kind(), 1);
  EXPECT_EQ(last_.outcome, Outcome::NotConnected);
  EXPECT_EQ(engine().LastReply(), before);
  EXPECT_EQ(prompter_.Messages(), Messages{kNotConnected});

  ASSERT_TRUE(StartBrain(port_)) << sim_->Error();
  ExpectNextSucceeds(2);
}

TEST_P(FaultMatrix, SimulatorRestarted) {
  StopSim();
  ASSERT_TRUE(StartBrain(port_)) << sim_->Error();  // a fresh brain expects its power-up clear again

  // Without the reconnect's power-up clear the brain would refuse this request with rcode 4.
  const std::string request = Send(kind(), 2);
  EXPECT_TRUE(Answered(kind(), 2, request)) << LogText();
  EXPECT_FALSE(sim_->WithBrain([](sim::Brain& brain) { return brain.PowerUpClearPending(); }));
  EXPECT_EQ(prompter_.Messages(), Messages{});
  EXPECT_EQ(test::Count(LogText(), "Sending Power-up Clear."), 2u);
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
  engine().SetTimeoutSeconds(1);
  sim_->SetFaultPlan({.dropEvery = 1});
  Send(Kind::ReadQuad, 1);
  EXPECT_EQ(last_.outcome, Outcome::TimedOut);
  EXPECT_EQ(engine().LastReply(), "");
  EXPECT_EQ(prompter_.Messages(),
            (Messages{kTimeoutOfOneSecond, "PUC not successful.", kTimeoutOfOneSecond}));

  sim_->SetFaultPlan({});
  engine().SetTimeoutSeconds(5);
  const std::string request = Send(Kind::ReadQuad, 2);
  EXPECT_TRUE(Answered(Kind::ReadQuad, 2, request)) << LogText();
}

// Stale copies of earlier replies, replies coalesced or split, and garbage before replies: each reply
// is still matched to its own request.
class UnrulyBrain : public SimRig {};

TEST_F(UnrulyBrain, StaleCoalescedAndGarbledRepliesStillMatch) {
  ASSERT_TRUE(session_->Connect(false));
  int variant = 0;
  for (sim::FaultPlan plan :
       {sim::FaultPlan{.coalesce = true, .stale = true}, sim::FaultPlan{.split = true, .stale = true}}) {
    sim_->SetFaultPlan(plan);
    for (int i = 0; i < 4; ++i, ++variant) {
      const std::string request = Send(Kind::ReadQuad, variant);
      EXPECT_TRUE(Answered(Kind::ReadQuad, variant, request)) << LogText();
    }
  }
  EXPECT_EQ(prompter_.Messages(), Messages{});
  EXPECT_TRUE(engine().Rx().PendingDigits().empty());

  // Garbage may eat a reply (a report, never a crash); what it leaves is discarded by a timeout at worst.
  engine().SetTimeoutSeconds(1);
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
