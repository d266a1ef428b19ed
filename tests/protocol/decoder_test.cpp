#include "protocol/decoder.h"

#include <gtest/gtest.h>

#include <random>

#include "protocol/convert.h"
#include "protocol/packet.h"

namespace kestrio {
namespace {

// The layout of every field and the problems of a cut or unknown packet are the decode command's golden
// files (tests/data/cli); here, how a stream is cut into packets and the texts of the other problems.
TEST(DecoderTest, SplitsAStreamIntoPacketsAcrossSeparators) {
  const std::string wr = "000004200000000000000000";
  const std::string rq = "000008600000000000000000C2C80000";
  const std::string rb = "00000C700000000000000000000600000102030405060000";
  const std::string wb = "000004100000FFFFF0C000300003000001020300";
  const std::string rbq = "000004500000FFFFF060000001000000";
  std::vector<std::string> hexes;
  for (const auto& one : DecodePackets(wr + " " + rq + "\n" + rb + wb + "-" + rbq)) {
    hexes.push_back(one.hex);
    EXPECT_TRUE(one.problems.empty()) << one.hex;
  }
  EXPECT_EQ(hexes, (std::vector<std::string>{wr, rq, rb, wb, rbq}));
  EXPECT_TRUE(DecodePackets("").empty());
  EXPECT_TRUE(DecodePackets("xyz -- ").empty());
}

TEST(DecoderTest, ReportsMalformedPackets) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"0000046000", {"too short: 10 digits, fewer than the 32-digit header"}},
      // A 64 KiB claim with 4 bytes behind it: reported, not believed.
      {"000004700000000000000000FFFF000001020304",
       {"data_length claims 65535 bytes (131072 digits with padding) but only 8 digits follow"}},
      {"00000420000000000000000000000460",
       {"trailing partial packet: 8 digits, fewer than the 32-digit header"}},
      {"0000042000000000000000001",
       {"trailing partial packet: 1 digits, fewer than the 12-digit header",
        "odd number of digits (25): the last byte is incomplete"}},
      // An unknown kind has no length: it takes the rest.
      {"000004B00000DEADBEEF000004200000000000000000",
       {"unknown tcode B: the rest of the text is shown as one packet"}},
  };
  for (const auto& [text, problems] : cases) {
    auto p = DecodePackets(text);
    ASSERT_FALSE(p.empty());
    for (std::size_t i = 0; i + 1 < p.size(); ++i) EXPECT_TRUE(p[i].problems.empty()) << text;
    EXPECT_EQ(p.back().problems, problems) << text;
  }
}

// Texts biased towards plausible packets: header-like prefixes, hex digits, a few separators, and
// now and then arbitrary bytes, with lengths around the interesting boundaries.
std::string RandomText(std::mt19937& rng) {
  static const std::string kAlphabet = "0123456789ABCDEFabcdef .-:xG\n\t";
  static const char* kPrefixes[] = {"00000470", "00000410", "00000460", "00000420", "0000045", "000004F0"};
  auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  const int kind = pick(10);
  std::string s = kind < 4 ? kPrefixes[pick(6)] : "";
  for (int i = pick(81); i > 0; --i)
    s.push_back(kind == 9 ? static_cast<char>(pick(256))
                          : kAlphabet[pick(static_cast<int>(kAlphabet.size()))]);
  return s;
}

TEST(RobustnessTest, EveryFunctionIsTotalOnGarbage) {
  std::mt19937 rng(20240611u);
  TransactionLabels labels;
  ScriptedPrompter prompter;
  PacketBuilder builder(labels, prompter);

  for (int round = 0; round < 5000; ++round) {
    const std::string a = RandomText(rng);
    const std::string b = RandomText(rng);

    const std::size_t len = PacketLength(a);
    ASSERT_LE(len, a.size());
    ASSERT_TRUE(a.empty() || len > 0);  // splitting by length always makes progress

    ReplyFlags flags;
    ASSERT_EQ(DescribePacket(a, flags).substr(0, 1), " ");
    ASSERT_LE(static_cast<unsigned>(PacketRcode(a)), 15u);

    std::size_t total = 0;
    const auto packets = DecodePackets(a);
    for (const auto& p : packets) {
      ASSERT_FALSE(p.hex.empty());
      total += p.hex.size();
    }
    ASSERT_EQ(total, StrippedHex(a).size());  // every digit lands in exactly one packet
    ASSERT_FALSE(FormatDecoded(packets).empty());

    const Bytes bytes = HexToBytes(a);
    ASSERT_EQ(bytes.size(), (a.size() + 1) / 2);
    ASSERT_EQ(HexToBytes(BytesToHex(bytes)), bytes);
    const std::string ip = IPToHex(a);
    ASSERT_TRUE(ip.empty() || ip.size() == 8u);
    (void)LeadingNumber(a);
    (void)ReadRoundedNumber(a);
    (void)HexToFloat(a);
    (void)MaskBit(a, round % 70 - 3);

    for (const std::string& p : {builder.BuildReadQuadRequest(a), builder.BuildWriteQuadRequest(b, a),
                                 builder.BuildReadBlockRequest(b, a), builder.BuildWriteBlockRequest(b, a)}) {
      if (!p.empty()) ASSERT_EQ(p.size() % 8, 0u) << p;
    }
  }
}

}  // namespace
}  // namespace kestrio
