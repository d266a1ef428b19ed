#include "memmap/memmap_service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>

#include "support/fake_engine.h"

namespace kestrio {
namespace {

using test::ReadBlockResponse;
using test::ReadQuadResponse;

// An engine answering from a byte map, and the two strings a transfer takes and changes.
class MemMapTest : public ::testing::Test, public test::FakeBrain {
 protected:
  MemMapResult Transfer(double count, bool blockMode, double maxBytes) {
    return MemMapData(engine, {count, offset, data, blockMode, maxBytes});
  }
  // The transfer's text as the program shows it.
  std::string Text(double count, bool formatted, bool blockMode, double maxBytes) {
    return TransferText(Transfer(count, blockMode, maxBytes), formatted);
  }
  std::string offset = "FFFFF0300000";
  std::string data;
};

TEST_F(MemMapTest, BlockReadsSplitInWholeQuadletsAndWrapInsideThePage) {
  // A read that fits one block goes as one even in quadlet mode; the offset is left cleaned.
  memory.Put(0xFFFFF0300000, "00000000000000010000000000000002");
  offset = "FFFF F030 0000";
  const MemMapResult one = Transfer(4, false, 1000);
  EXPECT_EQ(TransferText(one, false), "00000000000000010000000000000002");
  EXPECT_EQ(one.offset, "FFFFF0300000");

  offset = "FFFFF030FFF8";
  memory.Put(0xFFFFF03003E0, "CAFEF00D");
  // 1001 bytes is used as 1000: a block must advance the address by whole quadlets.
  const MemMapResult r = Transfer(252, true, 1001);
  EXPECT_TRUE(r.ok());
  const std::string text = TransferText(r, true);
  EXPECT_EQ(engine.Packets(),
            (std::vector<std::string>{"000004500000FFFFF030000000100000", "000008500000FFFFF030FFF803E80000",
                                      "00000C500000FFFFF03003E000080000"}));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 252);
  EXPECT_NE(text.find("FFFFF030FFFC:00000000\nFFFFF0300000:00000000\n"), std::string::npos);
  EXPECT_NE(text.find("FFFFF03003DC:00000000\nFFFFF03003E0:CAFEF00D\n"), std::string::npos);
}

TEST_F(MemMapTest, QuadletPathWritesEightDigitsAtATimeAndReadsAcrossTheWrap) {
  data = "11111111222222223333";
  EXPECT_EQ(Text(3, false, false, 1000), "quad  1 ok\nquad  2 ok\nquad  3 ok\n");
  EXPECT_EQ(engine.Packets(),
            (std::vector<std::string>{"000004000000FFFFF030000011111111", "000008000000FFFFF030000422222222",
                                      "00000C000000FFFFF030000833330000"}));

  memory.Put(0xFFFFF030FFFC, "0000ABCD");
  offset = "FFFFF030FFFC";
  data.clear();
  EXPECT_EQ(Text(2, true, false, 4),
            "FFFFF030FFFC: 0000ABCD\nFFFFF0300000: 11111111\n");
  EXPECT_EQ(engine.Packets().back(), "000014400000FFFFF0300000");
}

// A block write split by the largest block, and a block read's rcode line, are the command-line
// write's and read's tests against the simulator.
TEST_F(MemMapTest, AQuadletTransferCarriesOnPastAnRcodeNumberingQuadletsFromOne) {
  engine.replies = {ReadQuadResponse("00000001"), ReadQuadResponse("00000000", 6),
                    ReadQuadResponse("00000003")};
  const MemMapResult quads = Transfer(3, false, 4);
  EXPECT_EQ(TransferText(quads, true), "FFFFF0300000: 00000001\nFFFFF0300004: rcode  2:6\nFFFFF0300008: 00000003\n");
  EXPECT_EQ(engine.prompter.statusShown, 1);
  EXPECT_FALSE(quads.ok());
}

TEST_F(MemMapTest, NoUsableReplyEndsTheTransferWithoutStaleData) {
  engine.replies = {ReadQuadResponse("AAAAAAAA"), std::nullopt, ReadQuadResponse("CCCCCCCC")};
  MemMapResult r = Transfer(3, false, 4);
  EXPECT_EQ(TransferText(r, false), "AAAAAAAA");
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(engine.sent.size(), 2u);
  EXPECT_EQ(engine.prompter.Messages().back(),
            "Error getting data (MemMapData function). Error number:  1\n");

  // In a split block transfer the whole result is withheld.
  engine.replies = {ReadBlockResponse(std::string(2000, '0')), std::nullopt};
  r = Transfer(300, true, 1000);
  EXPECT_EQ(TransferText(r, true), "");
  EXPECT_TRUE(r.stopped);

  // A reply of the wrong kind is not taken for data either.
  engine.replies = {test::WriteResponse()};
  EXPECT_EQ(Text(1, false, false, 1000), "");
  EXPECT_EQ(engine.prompter.Messages().back(),
            "Error getting data (MemMapData function). Error number:  5\n");
}

TEST_F(MemMapTest, StopRequestedEndsTheQuadletLoop) {
  int answered = 0;
  engine.responder = [&](const std::string&, int) -> std::optional<std::string> {
    if (++answered == 2) engine.SetStopRequested(true);
    return ReadQuadResponse("00000000");
  };
  engine.SetStopRequested(true);  // a stale request from an earlier scan is cleared first
  EXPECT_TRUE(Transfer(10, false, 4).stopped);
  EXPECT_EQ(engine.sent.size(), 2u);
}

TEST_F(MemMapTest, BadArgumentsAreRefusedBeforeAnythingIsSent) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::string tooSmall = "The largest block must be at least 4 bytes.";
  const std::string noCount = "The number of quadlets must be at least 1.";
  auto refusal = [&](double count, std::string offset, std::string data, bool blockMode, double maxBytes) {
    engine.prompter.Clear();
    const MemMapResult r = MemMapData(engine, {count, offset, data, blockMode, maxBytes});
    EXPECT_TRUE(r.stopped && r.refused);
    const std::vector<std::string> said = engine.prompter.Messages();
    return said.size() == 1 ? said[0] : "(" + std::to_string(said.size()) + " messages)";
  };
  EXPECT_EQ(refusal(4, offset, "", true, 0), tooSmall);
  EXPECT_EQ(refusal(4, offset, "", true, nan), tooSmall);
  EXPECT_EQ(refusal(0, offset, "", true, 1000), noCount);
  EXPECT_EQ(refusal(nan, offset, "", false, 1000), noCount);
  EXPECT_EQ(refusal(std::numeric_limits<double>::infinity(), offset, "", false, 1000),
            "Too many quadlets for one transfer, max:  16384");
  EXPECT_EQ(refusal(1, "FFFFF03000001", "", false, 1000),
            "Memory map access aborted - Invalid destination offset");
  EXPECT_EQ(refusal(1, offset, "xyz", false, 1000), "There is no hex data to write.");
  EXPECT_EQ(refusal(1, offset, "010", true, 1000),
            "\nWrite Block aborted - data block input string must be in groups of 2 characters\n010");
  EXPECT_TRUE(engine.sent.empty());
}

TEST_F(MemMapTest, MemMapBlockReadsAndWritesOneBlock) {
  memory.Put(0x0000F0300000, "0102030405");
  // A write pads a short offset on the left; the data's byte count decides the length.
  EXPECT_EQ(TransferText(MemMapBlock(engine, "F030 0008", 0, "AABBCC"), true), "");
  EXPECT_EQ(engine.sent[0].packet, "0000041000000000F030000800030000AABBCC00");
  // A read of a partial quadlet returns only the bytes asked for, not the padding.
  const MemMapResult five = MemMapBlock(engine, "0000F0300000", 5, "");
  EXPECT_EQ(TransferText(five, false), "0102030405");
  EXPECT_EQ(TransferText(five, true), "0000F0300000:01020304\n");
  // A refusal names the offset as it was passed.
  engine.replies.push_back(ReadBlockResponse("", 7));
  EXPECT_EQ(TransferText(MemMapBlock(engine, "F030 0000", 4, ""), true), "F030 0000:7\n");
}

}  // namespace
}  // namespace kestrio
