#include "protocol/packet.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrio {
namespace {

class BuildersTest : public ::testing::Test {
 protected:
  TransactionLabels labels;
  ScriptedPrompter prompter;
  PacketBuilder builder{labels, prompter};
};

TEST_F(BuildersTest, LabelsRunOneToSixtyThreeThenZero) {
  for (int i = 1; i <= 63; ++i) ASSERT_EQ(PacketLabel(builder.BuildHeader(kReadQuadRequest)), i);
  EXPECT_EQ(builder.BuildHeader(kWriteQuadRequest), "000000000000");  // the 64th request
  EXPECT_EQ(builder.BuildHeader(kWriteBlockRequest), "000004100000");
}

TEST_F(BuildersTest, RequestPackets) {
  // Labels 1, 2, 3, ... in turn; separators in offsets and data are dropped.
  EXPECT_EQ(builder.BuildReadQuadRequest("FFFF F030-0000"), "000004400000FFFFF0300000");
  // Write quadlet data is padded with zeros on the right or cut to eight digits.
  EXPECT_EQ(builder.BuildWriteQuadRequest("00000000", "FFFFF0500000"), "000008000000FFFFF050000000000000");
  EXPECT_EQ(builder.BuildWriteQuadRequest("1", "FFFFF0500000"), "00000C000000FFFFF050000010000000");
  EXPECT_EQ(builder.BuildWriteQuadRequest("123456789", "FFFFF0500000"), "000010000000FFFFF050000012345678");
  EXPECT_EQ(builder.BuildWriteQuadRequest("", "FFFFF0500000"), "000014000000FFFFF050000000000000");
  EXPECT_EQ(builder.BuildReadBlockRequest("40", "FFFFF0300000"), "000018500000FFFFF030000000400000");
  EXPECT_EQ(builder.BuildReadBlockRequest("", "FFFFF0300000"), "00001C500000FFFFF030000000000000");
  EXPECT_EQ(builder.BuildReadBlockRequest("0 1 0 0", "FFFFF0600000"), "000020500000FFFFF060000001000000");
  // Write block: data_length in bytes, the block padded to whole quadlets.
  EXPECT_EQ(builder.BuildWriteBlockRequest("01 02 03", "FFFFF0C00030"),
            "000024100000FFFFF0C000300003000001020300");
  EXPECT_EQ(builder.BuildWriteBlockRequest("", "FFFFF0C00030"), "000028100000FFFFF0C0003000000000");
  EXPECT_EQ(builder.BuildWriteBlockRequest("0102030405060708", "FFFFF0C00030"),
            "00002C100000FFFFF0C00030000800000102030405060708");
  EXPECT_TRUE(prompter.log.empty());
}

TEST_F(BuildersTest, RefusalsInEachBuildersOwnWords) {
  const std::string badOffset = " aborted - Invalid destination offset";
  const std::pair<std::function<std::string()>, std::string> cases[] = {
      {[&] { return builder.BuildReadQuadRequest("FFFFF030000"); }, "\nRead Quadlet" + badOffset},
      {[&] { return builder.BuildReadQuadRequest("FFFFF03000000"); }, "\nRead Quadlet" + badOffset},
      {[&] { return builder.BuildReadQuadRequest("FFFFF030000G"); }, "\nRead Quadlet" + badOffset},
      {[&] { return builder.BuildWriteQuadRequest("1", "F"); }, "\nWrite Quadlet" + badOffset},
      {[&] { return builder.BuildReadBlockRequest("40", ""); }, "\nRead Block" + badOffset},
      {[&] { return builder.BuildWriteBlockRequest("01", "FFFFF0300000FF"); }, "\nWrite Block" + badOffset},
      {[&] { return builder.BuildReadBlockRequest("10000", "FFFFF0300000"); },
       "\nRead Block aborted - data length is 2 bytes (no more than 4 characters)"},
      // The odd-digit refusal shows the data as cleaned.
      {[&] { return builder.BuildWriteBlockRequest("0 1-2", "FFFFF0C00030"); },
       "\nWrite Block aborted - data block input string must be in groups of 2 characters\n012"},
      {[&] { return builder.BuildWriteBlockRequest(std::string(0x10000 * 2, 'A'), "FFFFF0C00030"); },
       "\nWrite Block aborted - data block is longer than 65535 bytes (data length is 2 bytes)"},
  };
  for (const auto& [build, message] : cases) {
    prompter.Clear();
    EXPECT_EQ(build(), "") << message;
    EXPECT_EQ(prompter.Messages(), std::vector<std::string>{message});
  }
  EXPECT_EQ(labels.Current(), 9);  // a refused request still used up its label

  // The longest block data_length can name is built whole.
  const std::string p = builder.BuildWriteBlockRequest(std::string(0xFFFF * 2, 'A'), "FFFFF0C00030");
  EXPECT_EQ(p.substr(24, 8), "FFFF0000");
  EXPECT_EQ(p.size(), 32u + 0x10000 * 2);
  EXPECT_EQ(PacketLength(p), p.size());
}

TEST(PacketLengthTest, ByKind) {
  const std::pair<std::string, std::size_t> cases[] = {
      {"000004200000000000000000000004600000", 24},
      {"000004600000000000000000123456780000", 32},
      {"000004400000FFFFF0400000FFFF", 24},
      {"000004000000FFFFF05000000000000100", 32},
      // Six data bytes: rounded to eight, plus the 16-byte header, in digits.
      {"00000470000000000000000000060000010203040506000000000420", 48},
      {"000004100000FFFFF0C0003000030000010203000000", 40},
      // A read block request carries no data whatever length it asks for.
      {"000004500000FFFFF06000000100000000000440", 32},
      {"0000047000000000000000000100", 28},  // claims more than is there
      {"000004300000ABCDEF", 18},            // unknown kinds take the whole text
      {"000004900000ABCDEF", 18},
      {"000000A" + std::string(40, '0'), 32},  // a letter tcode counts as 0
      {"", 0},
      {"0000", 4},
  };
  for (const auto& [text, length] : cases) EXPECT_EQ(PacketLength(text), length) << text;
}

TEST(DescribePacketTest, NamesTheKindAndJudgesTheRcode) {
  struct Case {
    std::string packet, description;
    bool error, unknown;
  } cases[] = {
      {"000004200000000000000000", " [Write Response]", false, false},
      {"000004600000000000000000DEADBEEF", " [Read Quad Response]", false, false},
      {"00000470000040000000000000000000", " [Read Block Response]", true, false},
      {"000004200000700000000000", " [Write Response]", true, false},
      // The rcode byte is read as decimal digits up to the first other character.
      {"0000042000000A0000000000", " [Write Response]", false, false},
      {"000004200000010000000000", " [Write Response]", true, false},
      {"0000042", " [Write Response]", false, false},
      // Requests never fail, whatever stands where a response has its rcode.
      {"00000400000070000000000000000001", " [Write Quad Request]", false, false},
      {"00000450000040000000000000040000", " [Read Block Request]", false, false},
      {"", " No data received.", true, false},
      {"000004300000", " <<Data of unknown type>>", false, true},
      {"000004900000", " <<Data of unknown type>>", false, true},
      {"000004A00000", " [Write Quad Request]", false, false},  // a letter tcode counts as 0
  };
  for (const Case& c : cases) {
    ReplyFlags flags;
    EXPECT_EQ(DescribePacket(c.packet, flags), c.description) << c.packet;
    EXPECT_EQ(flags.ReplyError, c.error) << c.packet;
    EXPECT_EQ(flags.UnknownReply, c.unknown) << c.packet;
  }
}

TEST(ReplyFailedTest, ErrorIsSilentUnknownIsReported) {
  ScriptedPrompter prompter;
  ReplyFlags flags;
  EXPECT_FALSE(ReplyFailed(flags, prompter));
  flags.ReplyError = flags.UnknownReply = true;  // an error reply is judged silently
  EXPECT_TRUE(ReplyFailed(flags, prompter));
  EXPECT_TRUE(prompter.log.empty());
  flags.ReplyError = false;
  EXPECT_TRUE(ReplyFailed(flags, prompter));
  EXPECT_EQ(prompter.Messages(),
            (std::vector<std::string>{"Unrecognized Data Received from Ethernet device."}));
}

TEST(PacketFieldsTest, LabelRcodeAndNamesOutsideTheTable) {
  EXPECT_EQ(PacketLabel("000007"), 1);  // rt bits ignored
  EXPECT_EQ(PacketLabel("00000"), -1);
  EXPECT_EQ(PacketRcode("000004700000700000000000"), 7);
  EXPECT_EQ(PacketRcode("000004700000"), 0);
  EXPECT_EQ(PacketTypeName(-1), "[unknown packet type]");
  EXPECT_EQ(PacketTypeName(12), "[unknown packet type]");
}

}  // namespace
}  // namespace kestrio
