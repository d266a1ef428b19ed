#include "memmap/status_service.h"

#include <gtest/gtest.h>

#include "support/fake_engine.h"

namespace kestrio {
namespace {

using test::FakeEngine;
using test::ReadBlockResponse;

// Every field set to something distinguishable, the error code negative.
const std::string kArea =
    "00000000"  // 0
    "00000001"  // 4 power-up clear expected
    "00000000"  // 8 not busy
    "FFFFE001"  // 12 error -8191
    "0011"
    "FFC0"      // 16 label, 18 source
    "F0380000"  // 20 destination offset
    "01020005"  // 24 loader revision
    "0203000A"  // 28 kernel revision
    "00000042"  // 32 I/O unit type
    "03"
    "01"
    "0007"          // 36, 37, 38 hardware revision
    "00100000"      // 40 RAM size
    "0000"          // 44
    "021B0A010203"  // 46 MAC address
    "C0A80105"      // 52 IP address
    "FFFFFF00"      // 56 subnet mask
    "C0A80101";     // 60 gateway

TEST(StatusArea, ReadsAndDecodesEveryField) {
  ASSERT_EQ(kArea.size(), 128u);
  FakeEngine engine;
  engine.replies.push_back(ReadBlockResponse(kArea));
  StatusRecord record;
  ASSERT_TRUE(ReadStatusArea(engine, record));
  EXPECT_EQ(engine.Packets(), std::vector<std::string>{"000004500000FFFFF030000000400000"});
  EXPECT_EQ(record.raw, kArea);
  EXPECT_EQ(record.errorCode, -8191);
  EXPECT_EQ(record.errorSource, -64);
  EXPECT_EQ(record.ramSize, 0x00100000);

  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Power-Up Clear:", "MUST BE SENT!!"},
      {"Processor Status:", "clear"},
      {"Loader Revision:", "01.02.00.05"},
      {"Kernel Revision:", "02.03.00.0A"},
      {"I/O Unit Type:", "42"},
      {"Hardware Revision:", "3/1/7"},
      {"RAM Size:", "1048576"},
      {"MAC Address:", "02-1B-0A-01-02-03"},
      {"TCP/IP Address:", "192.168.1.5"},
      {"Subnet Mask:", "255.255.255.0"},
      {"Default Gateway:", "192.168.1.1"},
      {"Code:", "E001: Invalid command."},
      {"Transaction Label:", "11"},
      {"Source Address:", "FFC0"},
      {"Destination Offset:", "F0380000"},
  };
  EXPECT_EQ(StatusLines(record), expected);
}

TEST(StatusArea, FlagsAndZeroCodeShowTheirOtherWords) {
  std::string area = kArea;
  area.replace(8, 8, "00000000");   // power-up clear done
  area.replace(16, 8, "00000002");  // busy
  area.replace(24, 8, "00000000");  // no error
  StatusRecord record;
  ASSERT_TRUE(DecodeStatusArea(area, record));
  const auto lines = StatusLines(record);
  EXPECT_EQ(lines[0].second, "already sent");
  EXPECT_EQ(lines[1].second, "BUSY");
  EXPECT_EQ(lines[11].second, "0: No error.");
}

TEST(StatusArea, FailedReadKeepsThePreviousRecord) {
  FakeEngine engine;
  engine.replies = {ReadBlockResponse(kArea), ReadBlockResponse("", 7), std::nullopt,
                    ReadBlockResponse(kArea.substr(0, 120))};
  StatusRecord record;
  ASSERT_TRUE(ReadStatusArea(engine, record));
  for (int i = 0; i < 3; ++i) {
    engine.prompter.Clear();
    EXPECT_FALSE(ReadStatusArea(engine, record));
    EXPECT_EQ(engine.prompter.Messages().back(), "FATAL ERROR -- Could not get Status Info.");
    EXPECT_EQ(record.raw, kArea);
  }
  // Decoding never reads past short or non-hex text.
  EXPECT_FALSE(DecodeStatusArea(std::string(127, '0'), record));
  EXPECT_FALSE(DecodeStatusArea(std::string(127, '0') + "x", record));
  EXPECT_EQ(record.raw, kArea);
}

TEST(ErrorText, CoversTheTableAndEverythingElse) {
  const std::pair<int, const char*> table[] = {
      {0, "No error."},
      {-8191, "Invalid command."},
      {-8190, "Invalid point type."},
      {-8189, "Invalid float."},
      {-8188, "Power-up clear expected."},
      {-8187, "Invalid memory address."},
      {-8186, "Invalid command length."},
      {-8185, "Unknown error."},
      {-8184, "Device busy."},
      {-8183, "Cannot erase flash."},
      {-8182, "Cannot program flash."},
      {-8181, "Image too small."},
      {-8180, "Image CRC mismatch."},
      {-8179, "Image length mismatch."},
      {-8178, "Unknown error."},
      {-8192, "Unknown error."},
      {5, "Unknown error."},
  };
  for (const auto& [code, text] : table) EXPECT_EQ(ErrorText(code), text) << code;
  EXPECT_EQ(ErrorCodeText(-8185), "E007: Unknown error.");
  EXPECT_EQ(ErrorCodeText(0x12345), "2345: Unknown error.");
}

}  // namespace
}  // namespace kestrio
