// The memory-map window's manual Read/Write and the manual packet window.
#include <gtest/gtest.h>

#include "memmap/manual_access.h"
#include "memmap/manual_packet.h"
#include "support/fake_engine.h"

namespace kestrio {
namespace {

using test::FakeEngine;

class ManualAccessTest : public ::testing::Test, public test::FakeBrain {};

TEST_F(ManualAccessTest, TooManyIsClippedForReadsAndRefusedForWrites) {
  EXPECT_EQ(ManualAccess(engine, {false, "5000", "FFFFF0360000", "", "1000"}).countText, "4096");
  long bytes = 0;
  for (const auto& s : engine.sent) bytes += static_cast<long>(HexValue(s.packet.substr(24, 4)));
  EXPECT_EQ(bytes, 4096 * 4);
  engine.sent.clear();
  // Writing only the first part would leave the brain half-configured.
  const ManualAccessResult tooMany =
      ManualAccess(engine, {true, "", "FFFFF0100000", std::string(8 * 4096 + 2, 'A'), "1000"});
  EXPECT_EQ(tooMany.countText, "4097");
  EXPECT_TRUE(tooMany.refused);
  EXPECT_TRUE(engine.sent.empty());
  EXPECT_EQ(engine.prompter.Messages(),
            (std::vector<std::string>{"Too many, max:  4096", "Too many, max:  4096"}));
}

TEST_F(ManualAccessTest, NonsenseCountOrBlockSizeIsRefusedByTheTransfer) {
  ManualAccess(engine, {false, "abc", "FFFFF0300000", "", "1000"});
  ManualAccess(engine, {false, "1", "FFFFF0300000", "", "two"});
  EXPECT_TRUE(engine.sent.empty());
  EXPECT_EQ(engine.prompter.Messages(),
            (std::vector<std::string>{"The number of quadlets must be at least 1.",
                                      "The largest block must be at least 4 bytes."}));
}

TEST(ManualPacket, ExamplesCarryTheirTypeAndLabelOne) {
  const std::pair<int, int> indexToTcode[] = {{0, 1}, {1, 0}, {2, 5}, {3, 4}, {5, 2}, {6, 6}, {7, 7}};
  for (const auto& [index, tcode] : indexToTcode) {
    const std::optional<std::string> packet = ExamplePacketFor(index);
    ASSERT_TRUE(packet) << index;
    EXPECT_EQ(PacketTcode(*packet), tcode) << index;
    EXPECT_EQ(PacketLabel(*packet), 1) << index;
    EXPECT_FALSE(CheckManualPacket(*packet)) << index;
  }
  EXPECT_FALSE(ExamplePacketFor(4));
}

TEST(ManualPacket, SendsAWholeKnownPacketOnceAsTyped) {
  FakeEngine engine;
  engine.replies.push_back(test::ReadQuadResponse("00000001"));
  ManualSendResult r = SendManualPacket(engine, "000004400000FFFFF0400000");
  EXPECT_TRUE(r.sent);
  EXPECT_EQ(r.txRxTime, "    0.0010");
  // A response kind goes out without waiting; lower-case digits go as typed.
  const ManualSendResult response = SendManualPacket(engine, "00000460000000000000000000000000abcdef01");
  EXPECT_TRUE(response.sent);
  EXPECT_EQ(response.reply.outcome, Outcome::Sent);
  EXPECT_EQ(response.txRxTime, "    0.0000");
  // An unknown kind is silently not sent.
  EXPECT_FALSE(SendManualPacket(engine, "000004300000FFFFF0400000").sent);
  EXPECT_FALSE(SendManualPacket(engine, "000004900000FFFFF0400000").sent);
  ASSERT_EQ(engine.sent.size(), 2u);
  EXPECT_EQ(engine.sent[0].packet, "000004400000FFFFF0400000");
  EXPECT_EQ(engine.sent[0].tcode, kReadQuadRequest);
  EXPECT_EQ(engine.sent[1].packet, "00000460000000000000000000000000abcdef01");
  EXPECT_EQ(engine.sent[1].tcode, kReadQuadResponse);
  EXPECT_TRUE(engine.prompter.log.empty());

  const std::pair<std::string, std::string> refused[] = {
      {"0000 04400000FFFFF0400000",
       "The packet is not sent: character 5 is not a hex digit.  Type the packet as hex digits only (0-9, "
       "A-F), "
       "without blanks."},
      {"000004400000FFFFF040000",
       "The packet is not sent: it has an odd number of digits.  Each byte takes two."},
      {"", "There is no packet to send.  Type it as hex digits."},
  };
  for (const auto& [text, why] : refused) {
    engine.prompter.Clear();
    EXPECT_FALSE(SendManualPacket(engine, text).sent);
    EXPECT_EQ(engine.prompter.Messages(), std::vector<std::string>{why});
  }
  EXPECT_EQ(engine.sent.size(), 2u);
}

TEST(ScanTime, AcceptsOneToFiveThousandRounded) {
  std::string error;
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
