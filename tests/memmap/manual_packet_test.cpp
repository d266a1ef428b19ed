#include "memmap/manual_packet.h"

#include <gtest/gtest.h>

#include "support/fake_engine.h"

namespace kestrio {
namespace {

using test::FakeEngine;

TEST(ManualPacket, ExamplesCarryTheirTypeAndLabelOne) {
  const std::pair<int, int> indexToTcode[] = {{0, 1}, {1, 0}, {2, 5}, {3, 4}, {5, 2}, {6, 6}, {7, 7}};
  ASSERT_EQ(ExamplePackets().size(), 7u);
  for (const auto& [index, tcode] : indexToTcode) {
    std::optional<std::string> packet = ExamplePacketFor(index);
    ASSERT_TRUE(packet) << index;
    EXPECT_EQ(PacketTcode(*packet), tcode) << index;
    EXPECT_EQ(PacketLabel(*packet), 1) << index;
    EXPECT_FALSE(CheckManualPacket(*packet)) << index;
  }
  EXPECT_FALSE(ExamplePacketFor(4));
  EXPECT_STREQ(ExamplePackets()[4].caption, "Write Response");
}

TEST(ManualPacket, SendsOnceWithItsOwnTcode) {
  FakeEngine engine;
  engine.replies.push_back(test::ReadQuadResponse("00000001"));
  ManualSendResult r = SendManualPacket(engine, "000004400000FFFFF0400000");
  EXPECT_TRUE(r.sent);
  ASSERT_EQ(engine.sent.size(), 1u);
  EXPECT_EQ(engine.sent[0].packet, "000004400000FFFFF0400000");
  EXPECT_EQ(engine.sent[0].tcode, 4);
  EXPECT_EQ(r.txRxTime, engine.TxRxTime());

  // A response kind goes out without waiting; lower-case digits go as typed.
  EXPECT_TRUE(SendManualPacket(engine, "00000460000000000000000000000000abcdef01").sent);
  EXPECT_EQ(engine.LastOutcome(), Outcome::Sent);
  EXPECT_TRUE(engine.prompter.Messages().empty());
}

TEST(ManualPacket, UnknownTcodeIsSilentlyNotSent) {
  FakeEngine engine;
  EXPECT_FALSE(SendManualPacket(engine, "000004300000FFFFF0400000").sent);
  EXPECT_FALSE(SendManualPacket(engine, "000004900000FFFFF0400000").sent);
  EXPECT_TRUE(engine.sent.empty());
  EXPECT_TRUE(engine.prompter.log.empty());
}

TEST(ManualPacket, TextThatIsNotAPacketIsRefusedWithAReason) {
  const std::pair<std::string, std::string> cases[] = {
      {"0000 04400000FFFFF0400000", "character 5 is not a hex digit"},
      {"000004400000FFFFF040000G", "character 24 is not a hex digit"},
      {"000004400000FFFFF040000", "odd number of digits"},
      {"", "no packet to send"},
  };
  for (const auto& [text, why] : cases) {
    FakeEngine engine;
    EXPECT_FALSE(SendManualPacket(engine, text).sent);
    EXPECT_TRUE(engine.sent.empty());
    ASSERT_EQ(engine.prompter.Messages().size(), 1u);
    EXPECT_NE(engine.prompter.Messages()[0].find(why), std::string::npos) << engine.prompter.Messages()[0];
  }
}

TEST(ScanTime, AcceptsOneToFiveThousandRounded) {
  std::string error;
  EXPECT_EQ(ParseScanTime("250", error), 250);
  EXPECT_EQ(ParseScanTime("5000", error), 5000);
  EXPECT_EQ(ParseScanTime("2.5", error), 2);
  EXPECT_EQ(ParseScanTime("1.5", error), 2);
  for (const std::string bad : {"0", "5001", "", "abc", "0.4", "-3", "99999999999999999999999"}) {
    EXPECT_FALSE(ParseScanTime(bad, error)) << bad;
    EXPECT_EQ(error,
              "'" + bad + "' is not a valid scan time.  Must be non-zero number no greater than  5000.");
  }
}

}  // namespace
}  // namespace kestrio
