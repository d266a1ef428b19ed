// The receive side without a socket: bytes in arbitrary cuts, packets out, the reply told apart.
#include "transport/receiver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/hex.h"
#include "support/packets.h"

namespace kestrio {
namespace {

using test::Response;

struct Lines : LogSink {
  void AddMsg(const std::string& text) override { all += text; }
  std::string all;
};

class ReceiverTest : public ::testing::Test {
 protected:
  // Delivers `hex` as bytes, cut after each of `cuts` bytes; true when the reply came.
  bool Deliver(const std::string& hex, std::vector<std::size_t> cuts = {}) {
    const Bytes bytes = HexToBytes(hex);
    bool replied = false;
    std::size_t at = 0;
    cuts.push_back(bytes.size());
    for (std::size_t cut : cuts) {
      cut = std::min(cut, bytes.size());
      if (cut > at) replied = rx.Take(bytes.data() + at, cut - at) || replied;
      at = std::max(at, cut);
    }
    return replied;
  }
  Lines log;
  Receiver rx{log};
};

TEST_F(ReceiverTest, APacketSplitAnywhereIsJoinedAndOnlyItsLabelEndsTheWait) {
  const std::string reply = Response(kReadBlockResponse, 9, 0, "0102030405");
  for (std::size_t cut = 1; cut < reply.size() / 2; ++cut) {
    rx.Expect(9);
    ASSERT_EQ(Deliver(reply, {cut}), true) << cut;
    EXPECT_EQ(rx.LastReply(), reply);
    EXPECT_TRUE(rx.PendingDigits().empty());
  }
  // A late reply to another label is logged and judged on its own; it leaves this request waiting.
  rx.Expect(10);
  EXPECT_FALSE(Deliver(Response(kWriteResponse, 9, 7)));
  EXPECT_FALSE(rx.Flags().ReplyError);
  EXPECT_TRUE(log.all.ends_with(" [Write Response]"));
  EXPECT_TRUE(Deliver(Response(kWriteResponse, 10)));
  // Nothing awaited: a packet is stored and logged, never a reply.
  rx.EndWait();
  EXPECT_FALSE(Deliver(Response(kWriteResponse, 10)));
}

// Packets delivered together are cut apart into consecutive slots; slot 100 is followed by slot 0.
TEST_F(ReceiverTest, CoalescedPacketsTakeConsecutiveSlotsAndTheRingWraps) {
  const std::string stray = Response(kWriteResponse, 40);
  const std::string reply = Response(kReadQuadResponse, 3, 0, "0000002A");
  std::string burst;
  for (int i = 0; i < Receiver::kRingSlots - 1; ++i) burst += stray;
  rx.Expect(3);
  EXPECT_TRUE(Deliver(burst + reply));
  EXPECT_EQ(rx.RxIndex(), 0);
  EXPECT_EQ(rx.RxBuffer()[0], reply);
  EXPECT_EQ(rx.RxBuffer()[100], stray);
  EXPECT_TRUE(log.all.ends_with("\nReceived:  " + stray + " [Write Response]\nReceived:  " + reply +
                                " [Read Quad Response]"));
}

// A packet of unknown tcode has no trustworthy label: while a request waits, it is its reply; it takes
// every digit at hand.
TEST_F(ReceiverTest, UnknownDataIsTheReplyAndItsJudgementSaysSo) {
  rx.Expect(5);
  EXPECT_TRUE(Deliver("00000490AABBCCDDEEFF"));
  EXPECT_EQ(rx.LastReply(), "00000490AABBCCDDEEFF");
  EXPECT_TRUE(rx.Flags().UnknownReply);
  EXPECT_TRUE(log.all.ends_with(" <<Data of unknown type>>"));
  rx.Expect(-1);  // a request without a readable label takes any packet
  EXPECT_TRUE(Deliver(Response(kWriteResponse, 33, 5)));
  EXPECT_TRUE(rx.Flags().ReplyError);
}

// What a timeout may drop: digits that cannot be the start of this request's late reply.
TEST_F(ReceiverTest, KeptDigitsAreDroppedUnlessTheyMayBeTheLateReply) {
  const std::string head = Response(kReadBlockResponse, 4, 0, std::string(64, 'A')).substr(0, 40);
  struct Case {
    std::string kept;
    int label;
    bool late;
  };
  const Case cases[] = {{head.substr(0, 6), 9, true},  // too short to show its tcode
                        {head, 4, true},
                        {head, 5, false},
                        {Response(kReadBlockRequest, 4).substr(0, 10), 4, false}};
  for (const Case& c : cases) {
    Receiver fresh(log);
    const Bytes bytes = HexToBytes(c.kept);
    fresh.Take(bytes.data(), bytes.size());
    EXPECT_EQ(fresh.LateReplyInProgress(c.label), c.late) << c.kept;
    fresh.DropPending();
    EXPECT_TRUE(fresh.PendingDigits().empty());
  }
  EXPECT_TRUE(log.all.ends_with(" <<Incomplete packet discarded>>"));
  // A block can claim no more than 65535 bytes: what is kept stays bounded.
  rx.Expect(1);
  Deliver(Response(kReadBlockResponse, 1).substr(0, 24) + "FFFF0000" + std::string(4000, '0'));
  EXPECT_LE(rx.PendingDigits().size(), (0x10000u + 16u) * 2u);
}

}  // namespace
}  // namespace kestrio
