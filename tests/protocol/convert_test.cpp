#include "protocol/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <utility>

namespace kestrio {
namespace {

TEST(HexTest, StripAndValue) {
  std::string s = "fF 0x1-2";
  EXPECT_EQ(StripNonHex(s), "fF012");  // case kept, the argument changed
  EXPECT_EQ(s, "fF012");
  EXPECT_EQ(StrippedHex("g-h:aB\n9"), "aB9");
  EXPECT_EQ(HexValue("00FCxyz"), 0xFCu);
  EXPECT_EQ(HexValue("zz"), 0u);
  EXPECT_EQ(HexValue("FFFFFFFFFFFFFFFF"), ~0ull);
  EXPECT_EQ(HexValue("123456789ABCDEF012"), ~0ull);  // saturates
  EXPECT_EQ(ToHex(0, 4), "0000");
  EXPECT_EQ(ToHex(0x12345, 4), "12345");  // never cut
  EXPECT_EQ(ToHex(~0ull, 0), "FFFFFFFFFFFFFFFF");
}

TEST(HexTest, BytesRoundTrip) {
  EXPECT_EQ(HexToBytes("0041FF"), (Bytes{0x00, 0x41, 0xFF}));
  EXPECT_EQ(BytesToHex(Bytes{0x0A, 0xFF, 0x01}, 2), "0AFF");
  EXPECT_EQ(BytesToHex(Bytes{0x0A}, 5), "0A");
  EXPECT_EQ(HexToBytes("abc"), (Bytes{0xAB, 0x0C}));   // a final single digit is read on its own
  EXPECT_EQ(HexToBytes("1Gz9"), (Bytes{0x01, 0x00}));  // leading hex digits of each pair
  EXPECT_TRUE(HexToBytes("").empty());
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(HexToBytes(BytesToHex(all)), all);
  // Every byte value at every offset of a long buffer (long ones are converted in wide steps):
  // upper-case digits, two per byte, in order.
  std::string expected;
  for (int i = 0; i < 256; ++i) expected += ToHex(static_cast<std::uint64_t>(i), 2);
  for (std::size_t skip = 0; skip < 20; ++skip)
    ASSERT_EQ(BytesToHex(all.data() + skip, all.size() - skip), expected.substr(2 * skip)) << skip;
}

TEST(IPTest, FormatParseAndRefuse) {
  EXPECT_EQ(FormatIPAddress({192, 168, 1, 5}), "192.168.1.5");
  EXPECT_EQ(FormatDottedHex({1, 2, 10, 255}), "01.02.0A.FF");
  EXPECT_EQ(IPToHex("192.168.1.5"), "C0A80105");
  EXPECT_EQ(IPToHex("255.0.10.001"), "FF000A01");
  EXPECT_EQ(IPToHex(" 10.0.0.1 "), "0A000001");
  for (const char* bad :
       {"192.168.1", "1.2", "", "...", "1.2.3.", ".1.2.3", "256.0.0.1", "1.2.3.256", "1.2.3.4.5", "1.2.3.4a",
        "-1.2.3.4", "1.2.3.99999999999999999999", "a.b.c.d", "1..2.3"}) {
    EXPECT_EQ(IPToHex(bad), "") << bad;
  }
}

TEST(MaskTest, NoBitLostAndBitsCountFromTheLastByte) {
  EXPECT_EQ(MaskToHex64(0x8000000000000001ull), "8000000000000001");
  EXPECT_EQ(MaskToHex64(0x0123456789ABCDEFull), "0123456789ABCDEF");
  EXPECT_EQ(MaskToHex64(0x0000800000008000ull), "0000800000008000");
  for (int n = 0; n < 64; ++n) {
    std::string hex = MaskToHex64(1ull << n);
    for (int m = 0; m < 64; ++m) ASSERT_EQ(MaskBit(hex, m), m == n) << n << " " << m;
  }
  EXPECT_FALSE(MaskBit("FFFFFFFFFFFFFFFF", 64));
  EXPECT_FALSE(MaskBit("FFFFFFFFFFFFFFFF", -1));
  EXPECT_TRUE(BinStringToBit(Bytes{0x01, 0x00}, 8));
  EXPECT_FALSE(BinStringToBit(Bytes{}, 0));
}

TEST(FloatTest, BigEndianBytes) {
  float v = 0;
  EXPECT_TRUE(ByteArrayToFloat({0xC2, 0xC8, 0x00, 0x00}, v));
  EXPECT_EQ(v, -100.0f);
  EXPECT_EQ(FloatToByteArray(1.0f), (Quad{0x3F, 0x80, 0x00, 0x00}));
  EXPECT_EQ(LongToByteArray(0x01020304), (Quad{1, 2, 3, 4}));
  EXPECT_EQ(LongToByteArray(-2), (Quad{0xFF, 0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(HexToFloat("3f8"), 1.0f);  // missing digits are zeros
  EXPECT_TRUE(std::isnan(HexToFloat("7FC00000")));
  EXPECT_EQ(FloatToHex(-100.0f), "C2C80000");
}

TEST(TypedNumberTest, LeadingNumericPartAndTiesToEvenRounding) {
  // An exponent without digits is not part of the number; what overflows a double is no number.
  const std::pair<std::string, std::optional<double>> leading[] = {
      {"5a", 5.0},     {"  -12.5xyz", -12.5},
      {"+3", 3.0},     {".5", 0.5},
      {"1e3", 1000.0}, {"1D2", 100.0},
      {"2E-1x", 0.2},  {"7e", 7.0},
      {"1.2.3", 1.2},  {"1e-99999", 0.0},
      {"abc", {}},     {"", {}},
      {"-", {}},       {".", {}},
      {"1e99999", {}}, {std::string(400, '9'), {}}};
  for (const auto& [text, value] : leading) EXPECT_EQ(LeadingNumber(text), value) << text;

  const std::pair<const char*, std::optional<std::int64_t>> rounded[] = {
      {"2.5", 2},     {"3.5", 4},
      {"-2.5", -2},   {"-3.5", -4},
      {"2.51", 3},    {"0.4", 0},
      {"500ms", 500}, {"x", {}},
      {"1e19", {}},   {"-9.2e18", static_cast<std::int64_t>(-9.2e18)}};
  for (const auto& [text, value] : rounded) EXPECT_EQ(ReadRoundedNumber(text), value) << text;

  EXPECT_EQ(NumberText(0), " 0");
  EXPECT_EQ(NumberText(-3), "-3");
}

}  // namespace
}  // namespace kestrio
