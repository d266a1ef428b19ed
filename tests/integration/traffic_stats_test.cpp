// The engine's traffic statistics against a brain that answers, refuses and stays silent.
#include <gtest/gtest.h>

#include "integration/sim_rig.h"

namespace kestrio::integration {
namespace {

class TrafficStatsTest : public SimRig {};

TEST_F(TrafficStatsTest, CountsRequestsRepliesRefusalsAndTimeouts) {
  ASSERT_TRUE(session_->Connect(false));
  engine().ResetStatistics();
  Send(Kind::ReadQuad, 1);
  Send(Kind::WriteBlock, 2);
  // An address the brain does not have: a reply with an rcode.
  last_ = engine().SendAndAwaitReply(session_->Builder().BuildReadQuadRequest("FFFFF0900000"), kReadQuadRequest);
  EXPECT_TRUE(last_.DeviceError());
  engine().SetTimeoutSeconds(1);
  sim_->SetFaultPlan({.dropEvery = 1});
  Send(Kind::ReadQuad, 3);
  const TrafficStats& s = engine().Statistics();
  EXPECT_EQ(s.requests, 4);
  EXPECT_EQ(s.replies, 3);
  EXPECT_EQ(s.failed, 1);
  EXPECT_EQ(s.timeouts, 1);
  EXPECT_GT(s.lastSeconds, 0);
  EXPECT_TRUE(s.Text().starts_with("requests 4, replies 3, timeouts 1, failed 1, last round trip "));
}

}  // namespace
}  // namespace kestrio::integration
