#include "protocol/decoder.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kestrio
