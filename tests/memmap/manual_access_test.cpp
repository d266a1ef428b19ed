#include "memmap/manual_access.h"

#include <gtest/gtest.h>

#include "support/fake_engine.h"

namespace kestrio {
namespace {

using test::FakeEngine;
using test::FakeMemory;

class ManualAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.responder = [this](const std::string& p, int tcode) { return memory(p, tcode); };
  }
  FakeEngine engine;
  FakeMemory memory;
};

TEST_F(ManualAccessTest, ReadShowsOneLinePerQuadletWithItsAddress) {
  memory.Put(0xFFFFF0300034, "0102030405060708");
  const ManualAccessResult r = ManualAccess(engine, false, " 2 quads", "FFFF F030 0034", "old text", "1000");
  EXPECT_EQ(r.dataText, "FFFFF0300034:01020304\nFFFFF0300038:05060708\n");
  EXPECT_EQ(r.countText, " 2 quads");
  EXPECT_TRUE(r.transfer.ok());
  EXPECT_EQ(engine.Offsets(), std::vector<std::string>{"FFFFF0300034"});
}

TEST_F(ManualAccessTest, WriteCountsQuadletsFromTheDataAndLeavesTheBoxEmpty) {
  const ManualAccessResult r = ManualAccess(engine, true, "", "FFFFF0100000", "01 02 03", "1000");
  EXPECT_EQ(r.countText, "1");
  EXPECT_EQ(r.dataText, "");
  EXPECT_TRUE(r.transfer.ok());
  // One block of 3 bytes.
  ASSERT_EQ(engine.sent.size(), 1u);
  EXPECT_EQ(engine.sent[0].tcode, kWriteBlockRequest);
  EXPECT_EQ(engine.sent[0].packet.substr(24, 4), "0003");
  EXPECT_EQ(memory.Get(0xFFFFF0100000, 3), "010203");

  // Nine digits take two quadlets; a box without hex digits writes nothing.
  EXPECT_EQ(ManualAccess(engine, true, "", "FFFFF0100000", "11223344 5", "1000").countText, "2");
  engine.sent.clear();
  const ManualAccessResult none = ManualAccess(engine, true, "7", "FFFFF0100000", "zz  ", "1000");
  EXPECT_EQ(none.countText, "0");
  EXPECT_TRUE(engine.sent.empty());
  EXPECT_EQ(engine.prompter.Messages().back(), "There is no hex data to write.");
}

TEST_F(ManualAccessTest, TooManyIsClippedForReadsAndRefusedForWrites) {
  const ManualAccessResult r = ManualAccess(engine, false, "5000", "FFFFF0360000", "", "1000");
  ASSERT_FALSE(engine.prompter.Messages().empty());
  EXPECT_EQ(engine.prompter.Messages()[0], "Too many, max:  4096");
  EXPECT_EQ(r.countText, "4096");
  long bytes = 0;
  for (const auto& s : engine.sent) bytes += static_cast<long>(HexValue(s.packet.substr(24, 4)));
  EXPECT_EQ(bytes, 4096 * 4);

  engine.sent.clear();
  engine.prompter.Clear();
  const ManualAccessResult w =
      ManualAccess(engine, true, "", "FFFFF0100000", std::string(8 * 4096 + 2, 'A'), "1000");
  EXPECT_EQ(w.countText, "4097");
  EXPECT_EQ(engine.prompter.Messages(), std::vector<std::string>{"Too many, max:  4096"});
  EXPECT_TRUE(engine.sent.empty());
}

TEST_F(ManualAccessTest, NonsenseCountOrBlockSizeIsRefusedByTheTransfer) {
  ManualAccess(engine, false, "abc", "FFFFF0300000", "", "1000");
  ManualAccess(engine, false, "1", "FFFFF0300000", "", "two");
  EXPECT_TRUE(engine.sent.empty());
  EXPECT_EQ(engine.prompter.Messages(),
            (std::vector<std::string>{"The number of quadlets must be at least 1.",
                                      "The largest block must be at least 4 bytes."}));
}

// The desktop program's status window reads the status area the moment it opens, through the same
// engine; the refused request must still be reported as refused, not as the status read's data.
class StatusReadingEngine : public FakeEngine {
 public:
  class Ui_ : public ScriptedPrompter {
   public:
    explicit Ui_(StatusReadingEngine& e) : engine_(e) {}
    void ShowStatus() override {
      ScriptedPrompter::ShowStatus();
      engine_.SendAndAwaitReply(engine_.Builder().BuildReadBlockRequest("0040", "FFFFF0300000"),
                                kReadBlockRequest);
    }

   private:
    StatusReadingEngine& engine_;
  };
  Prompter& Ui() override { return ui; }
  Ui_ ui{*this};
};

TEST(ManualAccessStatusTest, ARefusedReadStaysRefusedWhenTheStatusWindowReadsOnOpening) {
  StatusReadingEngine engine;
  FakeMemory memory;
  memory.Put(0xFFFFF0300000, std::string(128, '7'));
  memory.rcodeFor = [](std::uint64_t address, int) { return address == 0xFFFFF0900010 ? 7 : 0; };
  engine.responder = [&memory](const std::string& p, int tcode) { return memory(p, tcode); };

  const ManualAccessResult block = ManualAccess(engine, false, "1", "FFFFF0900010", "", "1000");
  EXPECT_EQ(block.transfer.deviceErrors, 1);
  EXPECT_EQ(block.dataText, "FFFFF0900010:7\n");
  EXPECT_EQ(engine.ui.statusShown, 1);
  EXPECT_EQ(engine.sent.size(), 2u);
}

}  // namespace
}  // namespace kestrio
