#include <gtest/gtest.h>

#include "protocol/packet.h"

namespace kestrio {
namespace {

TEST(DescribePacketTest, NamesKnownKindsAndJudgesRcode) {
  ReplyFlags flags;
  EXPECT_EQ(DescribePacket("000004200000000000000000", flags), " [Write Response]");
  EXPECT_EQ(DescribePacket("000004600000000000000000DEADBEEF", flags), " [Read Quad Response]");
  EXPECT_FALSE(flags.ReplyError);
  EXPECT_FALSE(flags.UnknownReply);

  for (const char* rcode : {"40", "50", "60", "70"}) {
    ReplyFlags f;
    std::string p = std::string("000004700000") + rcode + "000000000000" + "00000000";
    EXPECT_EQ(DescribePacket(p, f), " [Read Block Response]");
    EXPECT_TRUE(f.ReplyError) << rcode;
    EXPECT_FALSE(f.UnknownReply);
  }
}

TEST(DescribePacketTest, RequestsNeverFailEvenWithRcodeDigits) {
  for (const char* p : {"000004000000FFFFF05000001", "000004100000FFFF", "000004400000FFFFF0400000",
                        "000004500000FFFFF0300000"}) {
    ReplyFlags f;
    std::string d = DescribePacket(p, f);
    EXPECT_EQ(d, " " + PacketTypeName(PacketTcode(p)));
    EXPECT_FALSE(f.ReplyError) << p;
  }
}

TEST(DescribePacketTest, RcodeDigitsReadAsDecimalUntilANonDigit) {
  ReplyFlags f;
  DescribePacket("0000042000000A0000000000", f);  // "0A" reads as 0
  EXPECT_FALSE(f.ReplyError);
  DescribePacket("000004200000010000000000", f);  // reserved bits set
  EXPECT_TRUE(f.ReplyError);
  ReplyFlags g;
  DescribePacket("0000042", g);  // no rcode digits at all
  EXPECT_FALSE(g.ReplyError);
}

TEST(DescribePacketTest, EmptyAndUnknownPackets) {
  ReplyFlags f;
  EXPECT_EQ(DescribePacket("", f), " No data received.");
  EXPECT_TRUE(f.ReplyError);
  EXPECT_FALSE(f.UnknownReply);

  for (const char* p : {"000004300000", "000004900000"}) {
    ReplyFlags u;
    EXPECT_EQ(DescribePacket(p, u), " <<Data of unknown type>>");
    EXPECT_TRUE(u.UnknownReply);
    EXPECT_FALSE(u.ReplyError);
  }
  // A letter in the tcode position counts as 0, a known kind.
  ReplyFlags l;
  EXPECT_EQ(DescribePacket("000004A00000", l), " [Write Quad Request]");
}

TEST(ReplyFailedTest, ErrorIsSilentUnknownIsReported) {
  ScriptedPrompter prompter;
  ReplyFlags flags;
  EXPECT_FALSE(ReplyFailed(flags, prompter));

  flags.ReplyError = true;
  flags.UnknownReply = true;
  EXPECT_TRUE(ReplyFailed(flags, prompter));
  EXPECT_TRUE(prompter.log.empty());

  flags.ReplyError = false;
  EXPECT_TRUE(ReplyFailed(flags, prompter));
  EXPECT_EQ(prompter.Messages(),
            (std::vector<std::string>{"Unrecognized Data Received from Ethernet device."}));
  flags.Clear();
  EXPECT_FALSE(ReplyFailed(flags, prompter));
}

TEST(PacketFieldsTest, LabelRcodeAndNames) {
  EXPECT_EQ(PacketLabel("0000FC"), 63);
  EXPECT_EQ(PacketLabel("000007"), 1);  // rt bits ignored
  EXPECT_EQ(PacketLabel("00000"), -1);
  EXPECT_EQ(PacketRcode("000004700000700000000000"), 7);
  EXPECT_EQ(PacketRcode("000004700000"), 0);
  EXPECT_EQ(PacketTypeNames()[3], "[unknown packet type]");
  EXPECT_EQ(PacketTypeName(6), "[Read Quad Response]");
  EXPECT_EQ(PacketTypeName(12), "[unknown packet type]");
  EXPECT_EQ(PacketTypeName(-1), "[unknown packet type]");
  std::vector<int> known;
  for (int t = -2; t < 20; ++t)
    if (IsKnownTcode(t)) known.push_back(t);
  EXPECT_EQ(known, (std::vector<int>{0, 1, 2, 4, 5, 6, 7}));
}

}  // namespace
}  // namespace kestrio
