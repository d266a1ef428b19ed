#include "memmap/status_service.h"

#include <gtest/gtest.h>

#include "support/fake_engine.h"

namespace kestrio {
namespace {

using test::FakeEngine;
using test::ReadBlockResponse;

// The values of the page's fields and then the "Last Error:" frame's. Their labels are the status
// command's whole text in the command-line tool's tests.
std::vector<std::string> Values(const StatusRecord& record) {
  std::vector<std::string> out;
  const StatusView view = ShowStatusRecord(record);
  for (const auto* part : {&view.page, &view.lastError})
    for (const StatusField& f : *part) out.push_back(f.value);
  return out;
}

// Every field set to something distinguishable, the error code negative.
// Bytes 0-15: word 0, power-up clear expected, not busy, error -8191.
const std::string kArea = std::string("000000000000000100000000FFFFE001") +
                          // 16-35: label, source, destination offset, loader and kernel revisions, unit type.
                          "0011FFC0F0380000010200050203000A00000042" +
                          // 36-63: hardware 3/1/7, RAM size, word 44, MAC, IP address, subnet mask, gateway.
                          "03010007001000000000021B0A010203C0A80105FFFFFF00C0A80101";

TEST(StatusArea, ReadsAndDecodesEveryField) {
  FakeEngine engine;
  engine.replies.push_back(ReadBlockResponse(kArea));
  StatusRecord record;
  ASSERT_TRUE(ReadStatusArea(engine, record));
  EXPECT_EQ(engine.Packets(), std::vector<std::string>{"000004500000FFFFF030000000400000"});
  EXPECT_EQ(record.raw, kArea);
  EXPECT_EQ(record.errorCode, -8191);
  EXPECT_EQ(record.errorSource, -64);
  EXPECT_EQ(Values(record),
            (std::vector<std::string>{"MUST BE SENT!!", "clear", "01.02.00.05", "02.03.00.0A", "42", "3/1/7",
                                      "1048576", "02-1B-0A-01-02-03", "192.168.1.5", "255.255.255.0",
                                      "192.168.1.1", "E001: Invalid command.", "11", "FFC0", "F0380000"}));
  ASSERT_EQ(ShowStatusRecord(record).lastError.size(), 4u);

  // The flags' other words, and no error.
  std::string area = kArea;
  area.replace(8, 24, "000000000000000200000000");
  ASSERT_TRUE(DecodeStatusArea(PayloadReader(area), record));
  const auto values = Values(record);
  EXPECT_EQ(values[0], "already sent");
  EXPECT_EQ(values[1], "BUSY");
  EXPECT_EQ(values[11], "0: No error.");
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
  EXPECT_FALSE(DecodeStatusArea(PayloadReader(std::string(127, '0')), record));
  EXPECT_FALSE(DecodeStatusArea(PayloadReader(std::string(127, '0') + "x"), record));
  EXPECT_EQ(record.raw, kArea);
}

TEST(ErrorText, CodesOutsideTheTableAreUnknown) {
  EXPECT_EQ(ErrorCodeText(-8191), "E001: Invalid command.");
  EXPECT_EQ(ErrorCodeText(-8179), "E00D: Image length mismatch.");
  EXPECT_EQ(ErrorCodeText(0), "0: No error.");
  for (int code : {-8178, -8192, 5, -8185}) EXPECT_EQ(ErrorText(code), "Unknown error.") << code;
  EXPECT_EQ(ErrorCodeText(0x12345), "2345: Unknown error.");
}

}  // namespace
}  // namespace kestrio
