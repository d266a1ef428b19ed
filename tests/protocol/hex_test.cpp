#include "protocol/hex.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace kestrio {
namespace {

TEST(HexTest, StripNonHexKeepsCaseAndChangesTheArgument) {
  std::string s = "fF 0x1-2";
  EXPECT_EQ(StripNonHex(s), "fF012");
  EXPECT_EQ(s, "fF012");
  std::string e;
  EXPECT_EQ(StripNonHex(e), "");
  EXPECT_EQ(StrippedHex("g-h:aB\n9"), "aB9");
}

TEST(HexTest, BytesRoundTrip) {
  EXPECT_EQ(HexToBytes("0041FF"), (Bytes{0x00, 0x41, 0xFF}));
  EXPECT_EQ(BytesToHex(Bytes{0x00, 0x41, 0xFF}), "0041FF");
  EXPECT_EQ(BytesToHex(Bytes{0x0A, 0xFF, 0x01}, 2), "0AFF");
  EXPECT_EQ(BytesToHex(Bytes{0x0A}, 5), "0A");
  EXPECT_EQ(HexToBytes("abc"), (Bytes{0xAB, 0x0C}));   // a final single digit is read on its own
  EXPECT_EQ(HexToBytes("1Gz9"), (Bytes{0x01, 0x00}));  // leading hex digits of each pair
  EXPECT_TRUE(HexToBytes("").empty());
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(HexToBytes(BytesToHex(all)), all);
  // Every byte value, at every offset of a long buffer (long ones are converted in wide steps):
  // upper-case digits, two per byte, in order.
  for (std::size_t skip = 0; skip < 20; ++skip) {
    const std::string hex = BytesToHex(all.data() + skip, all.size() - skip);
    ASSERT_EQ(hex.size(), 2 * (all.size() - skip));
    for (std::size_t i = skip; i < all.size(); ++i) {
      char expected[3];
      std::snprintf(expected, sizeof expected, "%02X", static_cast<unsigned>(i));
      ASSERT_EQ(hex.substr(2 * (i - skip), 2), expected) << "byte " << i << " at offset " << skip;
    }
  }
}

TEST(HexTest, ValueAndPadding) {
  EXPECT_EQ(HexValue("00FCxyz"), 0xFCu);
  EXPECT_EQ(HexValue("zz"), 0u);
  EXPECT_EQ(HexValue("FFFFFFFFFFFFFFFF"), ~0ull);
  EXPECT_EQ(HexValue("123456789ABCDEF012"), ~0ull);  // saturates
  EXPECT_EQ(ToHex(0, 4), "0000");
  EXPECT_EQ(ToHex(0xFC, 2), "FC");
  EXPECT_EQ(ToHex(0x12345, 4), "12345");  // never cut
  EXPECT_EQ(ToHex(~0ull, 0), "FFFFFFFFFFFFFFFF");
}

}  // namespace
}  // namespace kestrio
