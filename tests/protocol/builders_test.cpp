#include <gtest/gtest.h>

#include "protocol/packet.h"

namespace kestrio {
namespace {

class BuildersTest : public ::testing::Test {
 protected:
  TransactionLabels labels;
  ScriptedPrompter prompter;
  PacketBuilder builder{labels, prompter};
};

TEST_F(BuildersTest, LabelsRunOneToSixtyThreeThenZero) {
  EXPECT_EQ(builder.BuildReadQuadRequest("FFFFF0400000"), "000004400000FFFFF0400000");
  for (int i = 2; i <= 63; ++i) {
    std::string p = builder.BuildHeader(kReadQuadRequest);
    ASSERT_EQ(PacketLabel(p), i);
  }
  EXPECT_EQ(builder.BuildHeader(kReadQuadRequest).substr(4, 2), "00");     // 64th request
  EXPECT_EQ(builder.BuildHeader(kReadQuadRequest).substr(4, 2), "04");     // 65th
  for (int i = 0; i < 61; ++i) builder.BuildHeader(0);                     // labels 2 to 62
  EXPECT_EQ(builder.BuildHeader(kWriteQuadRequest).substr(4, 4), "FC00");  // label 63 again
}

TEST_F(BuildersTest, HeaderCarriesTcodeTimesSixteen) {
  EXPECT_EQ(builder.BuildHeader(kReadBlockRequest), "000004500000");
  EXPECT_EQ(builder.BuildHeader(kWriteBlockRequest), "000008100000");
}

TEST_F(BuildersTest, OffsetSeparatorsDroppedAndLengthChecked) {
  EXPECT_EQ(builder.BuildReadQuadRequest("FFFF F030-0000"), "000004400000FFFFF0300000");
  EXPECT_TRUE(prompter.log.empty());
  EXPECT_EQ(builder.BuildReadQuadRequest("FFFFF030000"), "");
  EXPECT_EQ(builder.BuildReadQuadRequest("FFFFF03000000"), "");
  EXPECT_EQ(builder.BuildReadQuadRequest("FFFFF030000G"), "");
  ASSERT_EQ(prompter.Messages().size(), 3u);
  EXPECT_EQ(prompter.Messages()[0], "\nRead Quadlet aborted - Invalid destination offset");
  // A refused request still used up its label.
  EXPECT_EQ(labels.Current(), 4);
}

TEST_F(BuildersTest, EachBuilderRefusesABadOffsetInItsOwnWords) {
  EXPECT_EQ(builder.BuildWriteQuadRequest("1", "F"), "");
  EXPECT_EQ(builder.BuildReadBlockRequest("40", ""), "");
  EXPECT_EQ(builder.BuildWriteBlockRequest("01", "FFFFF0300000FF"), "");
  EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{
                                     "\nWrite Quadlet aborted - Invalid destination offset",
                                     "\nRead Block aborted - Invalid destination offset",
                                     "\nWrite Block aborted - Invalid destination offset",
                                 }));
}

TEST_F(BuildersTest, WriteQuadDataPaddedOnTheRightOrCut) {
  EXPECT_EQ(builder.BuildWriteQuadRequest("00000000", "FFFFF0500000"), "000004000000FFFFF050000000000000");
  EXPECT_EQ(builder.BuildWriteQuadRequest("1", "FFFFF0500000").substr(24), "10000000");
  EXPECT_EQ(builder.BuildWriteQuadRequest("123456789", "FFFFF0500000").substr(24), "12345678");
  EXPECT_EQ(builder.BuildWriteQuadRequest("", "FFFFF0500000").substr(24), "00000000");
}

TEST_F(BuildersTest, ReadBlockLength) {
  EXPECT_EQ(builder.BuildReadBlockRequest("40", "FFFFF0300000"), "000004500000FFFFF030000000400000");
  EXPECT_EQ(builder.BuildReadBlockRequest("", "FFFFF0300000").substr(24), "00000000");
  EXPECT_EQ(builder.BuildReadBlockRequest("0 1 0 0", "FFFFF0600000").substr(24, 4), "0100");
  EXPECT_TRUE(prompter.log.empty());
  EXPECT_EQ(builder.BuildReadBlockRequest("10000", "FFFFF0300000"), "");
  EXPECT_EQ(prompter.Messages(),
            (std::vector<std::string>{
                "\nRead Block aborted - data length is 2 bytes (no more than 4 characters)"}));
}

TEST_F(BuildersTest, WriteBlockDataLengthAndPadding) {
  EXPECT_EQ(builder.BuildWriteBlockRequest("01 02 03", "FFFFF0C00030"),
            "000004100000FFFFF0C00030000300000102030"
            "0");
  EXPECT_EQ(builder.BuildWriteBlockRequest("", "FFFFF0C00030"), "000008100000FFFFF0C0003000000000");
  std::string p = builder.BuildWriteBlockRequest("0102030405060708", "FFFFF0C00030");
  EXPECT_EQ(p.size(), 48u);
  EXPECT_EQ(p.substr(24, 4), "0008");
  EXPECT_EQ(PacketLength(p + "0000"), 48u);
  EXPECT_TRUE(prompter.log.empty());
}

TEST_F(BuildersTest, WriteBlockRefusesOddDigitsShowingTheCleanedData) {
  EXPECT_EQ(builder.BuildWriteBlockRequest("0 1-2", "FFFFF0C00030"), "");
  EXPECT_EQ(prompter.Messages(),
            (std::vector<std::string>{
                "\nWrite Block aborted - data block input string must be in groups of 2 characters\n012"}));
}

TEST_F(BuildersTest, WriteBlockRefusesMoreThanDataLengthCanName) {
  std::string max(0xFFFF * 2, 'A');
  std::string p = builder.BuildWriteBlockRequest(max, "FFFFF0C00030");
  EXPECT_EQ(p.substr(24, 8), "FFFF0000");
  EXPECT_EQ(PacketLength(p), p.size());
  EXPECT_EQ(builder.BuildWriteBlockRequest(max + "AA", "FFFFF0C00030"), "");
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_NE(prompter.Messages()[0].find("Write Block aborted"), std::string::npos);
}

TEST(PacketLengthTest, ByKind) {
  EXPECT_EQ(PacketLength("000004200000000000000000"
                         "000004600000"),
            24u);
  EXPECT_EQ(PacketLength("000004600000000000000000123456780000"), 32u);
  EXPECT_EQ(PacketLength("000004400000FFFFF0400000FFFF"), 24u);
  // Read block response with 6 bytes: rounded to 8, plus 16, twice.
  std::string rb = "000004700000000000000000000600000102030405060000";
  EXPECT_EQ(PacketLength(rb + "00000420"), 48u);
  // A read block request carries no data whatever length it asks for.
  EXPECT_EQ(PacketLength("000004500000FFFFF06000000100000000000440"), 32u);
  EXPECT_EQ(PacketLength("0000047000000000000000000100"), 28u);  // claims more than is there
  EXPECT_EQ(PacketLength("000004300000ABCDEF"), 18u);            // unknown kind: the whole text
  EXPECT_EQ(PacketLength("000004900000ABCDEF"), 18u);
  // A letter tcode counts as 0, a 32-digit kind.
  EXPECT_EQ(PacketLength(std::string(6, '0') + "A" + std::string(40, '0')), 32u);
  EXPECT_EQ(PacketLength(""), 0u);
  EXPECT_EQ(PacketLength("0000"), 4u);
}

}  // namespace
}  // namespace kestrio
