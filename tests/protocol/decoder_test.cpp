#include "protocol/decoder.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

const DecodedField* Find(const DecodedPacket& p, const std::string& name) {
  for (const DecodedField& f : p.fields)
    if (f.name == name) return &f;
  return nullptr;
}

TEST(DecoderTest, SplitsAStreamOfReplies) {
  std::string wr = "000004200000000000000000";
  std::string rq = "000008600000000000000000C2C80000";
  std::string rb = "00000C700000000000000000000600000102030405060000";
  auto packets = DecodePackets(wr + " " + rq + "\n" + rb);
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(packets[0].hex, wr);
  EXPECT_EQ(packets[1].hex, rq);
  EXPECT_EQ(packets[2].hex, rb);
  for (const auto& p : packets) EXPECT_TRUE(p.problems.empty()) << p.hex;

  EXPECT_EQ(Find(packets[1], "tl")->note, "2");
  EXPECT_EQ(Find(packets[1], "tcode")->note, "[Read Quad Response]");
  EXPECT_EQ(Find(packets[1], "rcode")->note, "complete");
  EXPECT_EQ(Find(packets[1], "quadlet data")->value, "C2C80000");
  EXPECT_EQ(Find(packets[1], "destination offset"), nullptr);

  EXPECT_EQ(Find(packets[2], "data_length")->note, "6 bytes");
  EXPECT_EQ(Find(packets[2], "data block")->value, "010203040506");
  EXPECT_EQ(Find(packets[2], "padding")->value, "0000");
}

TEST(DecoderTest, RequestFields) {
  auto packets = DecodePackets(
      "000004100000FFFFF0C00030000300000102030"
      "0"
      "000004500000FFFFF060000001000000");
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(Find(packets[0], "destination offset")->value, "FFFFF0C00030");
  EXPECT_EQ(Find(packets[0], "data block")->value, "010203");
  EXPECT_EQ(Find(packets[0], "rcode"), nullptr);
  EXPECT_EQ(Find(packets[1], "data_length")->note, "256 bytes");
  EXPECT_EQ(Find(packets[1], "data block"), nullptr);  // a read request carries no data
  EXPECT_TRUE(packets[1].problems.empty());
}

TEST(DecoderTest, RcodeNames) {
  const std::pair<char, const char*> cases[] = {{'0', "complete"},      {'4', "conflict error"},
                                                {'5', "data error"},    {'6', "type error"},
                                                {'7', "address error"}, {'A', "reserved"}};
  for (auto [digit, name] : cases) {
    std::string p = std::string("000004200000") + digit + "00000000000";
    auto packets = DecodePackets(p);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(Find(packets[0], "rcode")->note, name);
  }
}

TEST(DecoderTest, ReportsMalformedPackets) {
  auto shortOne = DecodePackets("0000046000");
  ASSERT_EQ(shortOne.size(), 1u);
  ASSERT_EQ(shortOne[0].problems.size(), 1u);
  EXPECT_NE(shortOne[0].problems[0].find("header"), std::string::npos);

  // A 64 KiB claim with 4 bytes behind it: reported, not believed.
  auto claim = DecodePackets("000004700000000000000000FFFF000001020304");
  ASSERT_EQ(claim.size(), 1u);
  ASSERT_EQ(claim[0].problems.size(), 1u);
  EXPECT_NE(claim[0].problems[0].find("65535"), std::string::npos);
  EXPECT_EQ(Find(claim[0], "data block")->value, "01020304");

  auto trailing = DecodePackets(
      "000004200000000000000000"
      "00000460");
  ASSERT_EQ(trailing.size(), 2u);
  EXPECT_TRUE(trailing[0].problems.empty());
  ASSERT_FALSE(trailing[1].problems.empty());
  EXPECT_NE(trailing[1].problems[0].find("trailing partial packet"), std::string::npos);

  auto odd = DecodePackets("0000042000000000000000001");
  ASSERT_EQ(odd.size(), 2u);
  EXPECT_NE(odd.back().problems.back().find("odd number of digits"), std::string::npos);

  auto unknown = DecodePackets(
      "000004B00000DEADBEEF"
      "000004200000000000000000");
  ASSERT_EQ(unknown.size(), 1u);  // an unknown kind has no length: it takes the rest
  EXPECT_EQ(Find(unknown[0], "tcode")->value, "B");
  EXPECT_EQ(Find(unknown[0], "tcode")->note, "[unknown packet type]");
  EXPECT_NE(unknown[0].problems[0].find("unknown tcode B"), std::string::npos);

  EXPECT_TRUE(DecodePackets("").empty());
  EXPECT_TRUE(DecodePackets("xyz -- ").empty());
}

TEST(DecoderTest, FormatsOneLinePerField) {
  std::string text =
      FormatDecoded(DecodePackets("000008600000000000000000C2C80000"
                                  "00000460"));
  EXPECT_NE(text.find("Packet 1: [Read Quad Response], 32 digits\n"), std::string::npos);
  EXPECT_NE(text.find("  tl:"), std::string::npos);
  EXPECT_NE(text.find("08  (2)\n"), std::string::npos);
  EXPECT_NE(text.find("C2C80000\n"), std::string::npos);
  EXPECT_NE(text.find("Packet 2: [Read Quad Response], 8 digits\n"), std::string::npos);
  EXPECT_NE(text.find("  ! trailing partial packet"), std::string::npos);
  EXPECT_EQ(FormatDecoded({}), "No packets.\n");
}

}  // namespace
}  // namespace kestrio
