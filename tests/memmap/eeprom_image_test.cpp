#include "memmap/eeprom_image.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "support/fake_engine.h"

namespace kestrio {
namespace {

using test::FakeEngine;
using test::FakeMemory;

constexpr std::uint64_t kImageBase = 0xFFFFF0360000;

std::string Pattern(std::size_t bytes, int seed = 0) {
  std::string out;
  for (std::size_t i = 0; i < bytes; ++i) out += ToHex((i * 7 + static_cast<std::size_t>(seed)) % 256, 2);
  return out;
}

// An image text of one record of `bytes` bytes at FFFFF0C00000.
std::string OneRecordText(std::size_t bytes) {
  return std::string("FFFFF0360000: ") + ToHex(bytes + 8, 8) + "00000000" + "F0C00000" + ToHex(bytes, 8) +
         Pattern(bytes);
}

TEST(EepromProbe, AddressDependsOnTheAnswer) {
  FakeEngine ok;
  ok.replies.push_back(test::ReadQuadResponse("00000000"));
  EXPECT_EQ(ProbeEepromAddress(ok), "FFFFF0360000");
  EXPECT_EQ(ok.Packets(), std::vector<std::string>{"000004400000FFFFF0360000"});

  FakeEngine refused;
  refused.replies.push_back(test::ReadQuadResponse("00000000", 7));
  EXPECT_EQ(ProbeEepromAddress(refused), "FFFFF0370000");

  FakeEngine silent;
  silent.replies.push_back(std::nullopt);
  EXPECT_EQ(ProbeEepromAddress(silent), "???");
}

TEST(EepromRead, EmptyImageIsJustItsLengthField) {
  FakeEngine engine;
  FakeMemory memory;
  memory.Put(kImageBase, "FFFFFFFF");
  engine.responder = std::ref(memory);
  EepromReadResult r = ReadEepromImage(engine, "FFFFF0360000", 1000, "02.03.00.0A");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.text, "FFFFF0360000: FFFFFFFF");
  // The first 16384 bytes come in blocks of at most 1000.
  ASSERT_EQ(engine.sent.size(), 17u);
  EXPECT_EQ(engine.sent.back().packet.substr(12, 16), "FFFFF0363E800180");
}

TEST(EepromRead, ShortImageKeepsHeaderAndRecords) {
  FakeEngine engine;
  FakeMemory memory;
  memory.Put(kImageBase, "0000001800000000" + Pattern(40));
  engine.responder = std::ref(memory);
  EepromReadResult r = ReadEepromImage(engine, "FFFFF0360000", 1000, "");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.image.size(), 64u);
  EXPECT_EQ(EepromReadPreview("FFFFF0360000", r.image), r.text);
}

TEST(EepromRead, LongImageContinuesAtTheSecondPart) {
  for (std::size_t length : {20000u, 16380u, 16377u}) {
    FakeEngine engine;
    FakeMemory memory;
    memory.Put(kImageBase, ToHex(length, 8) + "00000000" + Pattern(length));
    engine.responder = std::ref(memory);
    EepromReadResult r = ReadEepromImage(engine, "FFFFF0360000", 1000, "");
    ASSERT_TRUE(r.ok) << length;
    EXPECT_EQ(r.image, memory.Get(kImageBase, length + 8)) << length;
    ASSERT_GT(engine.sent.size(), 17u);
    EXPECT_EQ(engine.sent[17].packet.substr(12, 12), "FFFFF0364000");
  }
  EXPECT_EQ(EepromReadPreview("FFFFF0360000", std::string(120, 'A')),
            "FFFFF0360000: " + std::string(100, 'A') + "<remaining data not shown>");
}

TEST(EepromRead, FailuresAreReportedNotReturnedAsData) {
  FakeEngine engine;
  FakeMemory memory;
  memory.rcodeFor = [](std::uint64_t address, int) { return address == 0xFFFFF03603E8 ? 7 : 0; };
  engine.responder = std::ref(memory);
  EXPECT_FALSE(ReadEepromImage(engine, "FFFFF0360000", 1000, "02.03.00.0A").ok);
  EXPECT_EQ(
      engine.prompter.Messages(),
      (std::vector<std::string>{"An error occurred while trying to read from the memory map.\n"
                                "You may need a newer version of the kernel to perform this operation.\n"
                                "Currently loaded kernel version: 02.03.00.0A",
                                "EEPROM read not successful."}));
  EXPECT_GE(engine.prompter.statusShown, 1);

  // A length that cannot fit in the page is refused rather than read for ever.
  FakeEngine huge;
  FakeMemory big;
  big.Put(kImageBase, "7FFFFFFF");
  huge.responder = std::ref(big);
  EXPECT_FALSE(ReadEepromImage(huge, "FFFFF0360000", 1000, "").ok);
  EXPECT_EQ(huge.sent.size(), 17u);
  EXPECT_EQ(huge.prompter.Messages().back(), "EEPROM read not successful.");

  FakeEngine unknown;
  EXPECT_FALSE(ReadEepromImage(unknown, "???", 1000, "").ok);
  EXPECT_TRUE(unknown.sent.empty());
}

TEST(EepromStore, LargeRecordGoesInBlocksThenTheStoreCommand) {
  FakeEngine engine;
  FakeMemory memory;
  engine.responder = std::ref(memory);
  engine.prompter.answers = {Answer::Yes};
  std::vector<std::string> statuses;
  ASSERT_TRUE(StoreEepromImage(
      engine, OneRecordText(2500) + "\n", 1000, [] { return true; },
      [&](const std::string& s) { statuses.push_back(s); }));
  ASSERT_EQ(engine.sent.size(), 4u);
  EXPECT_EQ(engine.sent[0].packet.substr(12, 16), "FFFFF0C0000003E8");
  EXPECT_EQ(engine.sent[1].packet.substr(12, 16), "FFFFF0C003E803E8");
  EXPECT_EQ(engine.sent[2].packet.substr(12, 16), "FFFFF0C007D001F4");
  EXPECT_EQ(engine.sent[3].packet, "000010000000FFFFF038000000000003");
  EXPECT_EQ(memory.Get(0xFFFFF0C00000, 2500), Pattern(2500));
  EXPECT_EQ(engine.prompter.Messages().back(), "EEPROM Store complete.");
  EXPECT_EQ(engine.prompter.log[0].text,
            "Are you sure you want to \nstore all the current configuration \nparameters into memory?");
  EXPECT_EQ(statuses, (std::vector<std::string>{"Writing to address: FFFFF0C00000", ""}));
}

TEST(EepromStore, MalformedTextIsRefusedBeforeAnything) {
  auto img = [](std::string fields) {  // the blanks only separate the fields for the reader
    std::erase(fields, ' ');
    return "FFFFF0360000: " + fields;
  };
  const std::pair<std::string, std::string> cases[] = {
      {img("00000018 00000000 F0C00000 00000004 01020304"), "only 12 follow"},
      {img("0000000C 00000000 F0C00000 00000010 01020304"), "runs past the end"},
      {img("0000000C 00000000 F0C00000 00000004 010203G4"), "not hex digits"},
      {img("0000000C 00000000 F0C00000 00000004 01020304 00"), "digits after"},
      {img("00000004 00000000 F0C00000"), "is cut short"},
      {img("000000"), "shorter than its length field"},
      {img("0000000C"), "shorter than its 8-byte header"},
      {img("FFFFFFFF"), "nothing to store"},
      {"0000000C00000000F0C000000000000401020304", "12-digit address"},
      {"FFFFF036000: 0000000C00000000F0C000000000000401020304", "12-digit address"},
      {OneRecordText(4) + "\n" + OneRecordText(4), "more than one line"},
  };
  for (const auto& [text, why] : cases) {
    FakeEngine engine;
    engine.prompter.defaultAnswer = Answer::Yes;
    EXPECT_FALSE(StoreEepromImage(engine, text, 1000)) << text;
    EXPECT_TRUE(engine.sent.empty()) << text;
    ASSERT_EQ(engine.prompter.log.size(), 1u) << text;  // no question either
    EXPECT_EQ(engine.prompter.log[0].text.rfind("The EEPROM data is not valid: ", 0), 0u) << text;
    EXPECT_NE(engine.prompter.log[0].text.find(why), std::string::npos) << engine.prompter.log[0].text;
  }
}

TEST(EepromStore, StopsAtTheFirstFailureWithoutTheStoreCommand) {
  FakeEngine engine;
  FakeMemory memory;
  memory.rcodeFor = [](std::uint64_t address, int) { return address == 0xFFFFF0C003E8 ? 7 : 0; };
  engine.responder = std::ref(memory);
  engine.prompter.defaultAnswer = Answer::Yes;
  EXPECT_FALSE(StoreEepromImage(engine, OneRecordText(2500), 1000));
  EXPECT_EQ(engine.sent.size(), 2u);
  EXPECT_EQ(engine.prompter.statusShown, 1);
  EXPECT_EQ(engine.prompter.Messages().back(), "EEProm Store not performed, error in data file.");

  FakeEngine command;
  FakeMemory memory2;
  memory2.rcodeFor = [](std::uint64_t address, int) { return address == 0xFFFFF0380000 ? 5 : 0; };
  command.responder = std::ref(memory2);
  command.prompter.defaultAnswer = Answer::Yes;
  EXPECT_FALSE(StoreEepromImage(command, OneRecordText(8), 1000));
  EXPECT_EQ(command.prompter.Messages().back(), "EEPROM Store not successful.");

  FakeEngine gone;
  gone.prompter.defaultAnswer = Answer::Yes;
  EXPECT_FALSE(StoreEepromImage(gone, OneRecordText(8), 1000, [] { return false; }));
  EXPECT_TRUE(gone.sent.empty());
  EXPECT_EQ(gone.prompter.Messages().back(), "EEProm Store not performed, no longer connected..");
}

TEST(EepromStore, EmptyTextAndCancelSendNothing) {
  FakeEngine engine;
  EXPECT_FALSE(StoreEepromImage(engine, " \n", 1000));
  EXPECT_EQ(engine.prompter.Messages(),
            std::vector<std::string>{"There's no data to store.  Open a file containing data."});
  engine.prompter.Clear();
  EXPECT_FALSE(StoreEepromImage(engine, OneRecordText(8), 1000));  // the default answer is No
  EXPECT_EQ(engine.prompter.Messages(), std::vector<std::string>{"EEPROM store CANCELLED."});
  EXPECT_TRUE(engine.sent.empty());
}

class DataFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() / ("kestrio-memmap-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  static std::string Contents(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path dir_;
};

TEST_F(DataFileTest, LoadingKeepsLinesAndRefusesWhatItCannotRead) {
  const auto path = dir_ / "crlf.tag";
  std::ofstream(path, std::ios::binary) << "first\r\nsecond";
  EXPECT_EQ(LoadDataFile(path).text, "first\nsecond\n");
  EXPECT_FALSE(LoadDataFile(dir_ / "missing.tag").ok);

  const auto big = dir_ / "big.tag";
  std::ofstream(big, std::ios::binary) << std::string(kMaxDataFileBytes + 1, '0');
  LoadedDataFile r = LoadDataFile(big);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.text.empty());
  EXPECT_EQ(LoadedTextPreview(std::string(101, 'x')), std::string(100, 'x') + " <remaining data not shown>");
}

TEST_F(DataFileTest, SavingAsksBeforeOverwritingAndFailsCleanly) {
  const auto path = dir_ / "old.tag";
  std::ofstream(path, std::ios::binary) << "old contents\n";
  ScriptedPrompter ui;
  ui.answers = {Answer::No, Answer::Yes};
  EXPECT_FALSE(SaveDataFile(ui, path, "new"));
  EXPECT_EQ(Contents(path), "old contents\n");
  EXPECT_EQ(ui.log[0].text, "Are you sure you want to overwrite " + path.string() + "?");
  EXPECT_EQ(ui.log[0].title, "Warning");
  EXPECT_EQ(ui.log[1].text, "Save Cancelled.");
  EXPECT_EQ(ui.log[1].title, "Warning");

  EXPECT_TRUE(SaveDataFile(ui, path, "new\n"));
  EXPECT_EQ(Contents(path), "new\n");

  // A save that cannot replace its target says so and leaves nothing behind.
  const auto blocked = dir_ / "blocked";
  std::filesystem::create_directories(blocked / "inside");
  ui.Clear();
  EXPECT_FALSE(SaveDataFile(ui, blocked, "data"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_NE(ui.Messages()[0].find("the old file is unchanged"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 2);  // old.tag and blocked
}

}  // namespace
}  // namespace kestrio
