#include <gtest/gtest.h>

#include <random>

#include "protocol/convert.h"
#include "protocol/decoder.h"
#include "protocol/packet.h"

namespace kestrio {
namespace {

// Texts biased towards plausible packets: hex digits, header-like prefixes, a few separators
// and arbitrary bytes, with lengths around the interesting boundaries.
std::string RandomText(std::mt19937& rng) {
  static const std::string kAlphabet = "0123456789ABCDEFabcdef .-:xG\n\t";
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<int> len(0, 80);
  std::string s;
  int k = kind(rng);
  if (k < 4) {
    const char* prefixes[] = {"00000470", "00000410", "00000460", "00000420", "0000045", "000004F0"};
    s = prefixes[std::uniform_int_distribution<int>(0, 5)(rng)];
  }
  int n = len(rng);
  for (int i = 0; i < n; ++i) {
    if (k == 9) {
      s.push_back(static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng)));
    } else {
      s.push_back(kAlphabet[std::uniform_int_distribution<std::size_t>(0, kAlphabet.size() - 1)(rng)]);
    }
  }
  return s;
}

TEST(RobustnessTest, EveryFunctionIsTotalOnGarbage) {
  std::mt19937 rng(20240611u);
  TransactionLabels labels;
  ScriptedPrompter prompter;
  PacketBuilder builder(labels, prompter);

  for (int round = 0; round < 5000; ++round) {
    std::string a = RandomText(rng);
    std::string b = RandomText(rng);

    std::size_t len = PacketLength(a);
    ASSERT_LE(len, a.size());
    if (!a.empty()) {
      ASSERT_GT(len, 0u);  // splitting by length always makes progress
    }

    ReplyFlags flags;
    std::string d = DescribePacket(a, flags);
    ASSERT_FALSE(d.empty());
    ASSERT_EQ(d[0], ' ');
    ASSERT_LE(PacketLabel(a), 63);
    int rc = PacketRcode(a);
    ASSERT_TRUE(rc >= 0 && rc <= 15);

    std::string digits = StrippedHex(a);
    auto packets = DecodePackets(a);
    std::size_t total = 0;
    for (const auto& p : packets) {
      ASSERT_FALSE(p.hex.empty());
      ASSERT_LE(p.fields.size(), 20u);
      total += p.hex.size();
    }
    ASSERT_EQ(total, digits.size());  // every digit lands in exactly one packet
    ASSERT_FALSE(FormatDecoded(packets).empty());

    Bytes bytes = HexToBytes(a);
    ASSERT_EQ(bytes.size(), (a.size() + 1) / 2);
    ASSERT_EQ(HexToBytes(BytesToHex(bytes)), bytes);

    std::string ip = IPToHex(a);
    ASSERT_TRUE(ip.empty() || ip.size() == 8u);
    (void)LeadingNumber(a);
    (void)ReadRoundedNumber(a);
    (void)HexToFloat(a);
    (void)MaskBit(a, round % 70 - 3);

    prompter.Clear();
    for (const std::string& p : {builder.BuildReadQuadRequest(a), builder.BuildWriteQuadRequest(b, a),
                                 builder.BuildReadBlockRequest(b, a), builder.BuildWriteBlockRequest(b, a)}) {
      if (p.empty()) continue;
      ASSERT_EQ(p.size() % 8, 0u) << p;
      ASSERT_LE(PacketLabel(p), 63);
    }
    // Every refusal was said; every packet built was said nothing about.
    ASSERT_LE(prompter.Messages().size(), 4u);
  }
}

TEST(RobustnessTest, HugeBlockClaimsAreNotAllocated) {
  // Every header claims 65535 bytes; only the digits actually present are ever copied.
  std::string text;
  for (int i = 0; i < 200; ++i) text += "000004700000000000000000FFFF0000";
  auto packets = DecodePackets(text);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].hex.size(), text.size());
  EXPECT_FALSE(packets[0].problems.empty());
  EXPECT_EQ(PacketLength(text), text.size());
}

}  // namespace
}  // namespace kestrio
