#include "memmap/eeprom_image.h"

#include <gtest/gtest.h>

#include "support/fake_engine.h"

namespace kestrio {
namespace {

using test::FakeEngine;

constexpr std::uint64_t kImageBase = 0xFFFFF0360000;

using Brain = test::FakeBrain;

std::string Pattern(std::size_t bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes; ++i) out += ToHex(i * 7 % 256, 2);
  return out;
}

// An image text of one record of `bytes` bytes at FFFFF0C00000.
std::string OneRecordText(std::size_t bytes) {
  return "FFFFF0360000: " + ToHex(bytes + 8, 8) + "00000000F0C00000" + ToHex(bytes, 8) + Pattern(bytes);
}

const std::string kStoreQuestion =
    "Are you sure you want to \nstore all the current configuration \nparameters into memory?";

// A store that must send nothing: everything it asked and said.
std::vector<std::string> RefusedStore(const std::string& text, double maxBytes = 1000, bool connected = true) {
  FakeEngine engine;
  engine.prompter.defaultAnswer = Answer::Yes;
  engine.connected = connected;
  EXPECT_FALSE(StoreEepromImage(engine, text, maxBytes));
  EXPECT_TRUE(engine.sent.empty());
  std::vector<std::string> said;
  for (const auto& entry : engine.prompter.log) said.push_back(entry.text);
  return said;
}

TEST(EepromProbe, AddressDependsOnTheAnswer) {
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {test::ReadQuadResponse("00000000"), "FFFFF0360000"},
      {test::ReadQuadResponse("00000000", 7), "FFFFF0370000"},
      {std::nullopt, "???"}};
  for (const auto& [reply, address] : cases) {
    FakeEngine engine;
    engine.replies.push_back(reply);
    EXPECT_EQ(ProbeEepromAddress(engine), address);
    EXPECT_EQ(engine.Packets(), std::vector<std::string>{"000004400000FFFFF0360000"});
  }
}

TEST(EepromRead, FirstPartInBlocksThenTheRestAtPlus4000) {
  Brain empty;
  empty.memory.Put(kImageBase, "FFFFFFFF");
  EepromReadResult r = ReadEepromImage(empty.engine, "FFFFF0360000", 1000, "");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.text, "FFFFF0360000: FFFFFFFF");  // an empty image is just its length field
  // The first 16384 bytes come in blocks of at most 1000.
  ASSERT_EQ(empty.engine.sent.size(), 17u);
  EXPECT_EQ(empty.engine.sent.back().packet.substr(12, 16), "FFFFF0363E800180");

  Brain small;
  small.memory.Put(kImageBase, "0000001800000000" + Pattern(40));
  r = ReadEepromImage(small.engine, "FFFFF0360000", 1000, "");
  EXPECT_EQ(r.text, "FFFFF0360000: 0000001800000000" + Pattern(24));

  for (std::size_t length : {20000u, 16380u, 16377u}) {
    Brain big;
    big.memory.Put(kImageBase, ToHex(length, 8) + "00000000" + Pattern(length));
    r = ReadEepromImage(big.engine, "FFFFF0360000", 1000, "");
    ASSERT_TRUE(r.ok) << length;
    EXPECT_EQ(r.image, big.memory.Get(kImageBase, length + 8)) << length;
    ASSERT_GT(big.engine.sent.size(), 17u);
    EXPECT_EQ(big.engine.sent[17].packet.substr(12, 12), "FFFFF0364000");
  }
  EXPECT_EQ(EepromReadPreview("FFFFF0360000", std::string(100, 'A')),
            "FFFFF0360000: " + std::string(100, 'A'));
  EXPECT_EQ(EepromReadPreview("FFFFF0360000", std::string(101, 'A')),
            "FFFFF0360000: " + std::string(100, 'A') + "<remaining data not shown>");
}

TEST(EepromRead, FailuresAreReportedNotReturnedAsData) {
  Brain refusing;
  refusing.memory.rcodeFor = [](std::uint64_t address, int) { return address == 0xFFFFF03603E8 ? 7 : 0; };
  EXPECT_FALSE(ReadEepromImage(refusing.engine, "FFFFF0360000", 1000, "02.03.00.0A").ok);
  EXPECT_EQ(
      refusing.engine.prompter.Messages(),
      (std::vector<std::string>{"An error occurred while trying to read from the memory map.\n"
                                "You may need a newer version of the kernel to perform this operation.\n"
                                "Currently loaded kernel version: 02.03.00.0A",
                                "EEPROM read not successful."}));
  EXPECT_GE(refusing.engine.prompter.statusShown, 1);

  // A length that cannot fit in the page is refused rather than read for ever.
  Brain huge;
  huge.memory.Put(kImageBase, "7FFFFFFF");
  EXPECT_FALSE(ReadEepromImage(huge.engine, "FFFFF0360000", 1000, "").ok);
  EXPECT_EQ(huge.engine.sent.size(), 17u);
  EXPECT_EQ(huge.engine.prompter.Messages().back(), "EEPROM read not successful.");

  FakeEngine unknown;
  EXPECT_FALSE(ReadEepromImage(unknown, "???", 1000, "").ok);
  EXPECT_TRUE(unknown.sent.empty());
  EXPECT_EQ(unknown.prompter.Messages(), (std::vector<std::string>{"'" + std::string(kEepromUnknownAddress) +
                                                                       "' is not an EEPROM address.",
                                                                   "EEPROM read not successful."}));
}

TEST(EepromStore, LargeRecordGoesInBlocksThenTheStoreCommand) {
  Brain brain;
  brain.engine.prompter.answers = {Answer::Yes};
  std::vector<std::string> statuses;
  ASSERT_TRUE(StoreEepromImage(brain.engine, OneRecordText(2500) + "\n", 1000,
                               [&](const std::string& s) { statuses.push_back(s); }));
  std::vector<std::string> heads;
  for (const std::string& p : brain.engine.Packets()) heads.push_back(p.substr(12, 16));
  EXPECT_EQ(heads, (std::vector<std::string>{"FFFFF0C0000003E8", "FFFFF0C003E803E8", "FFFFF0C007D001F4",
                                             "FFFFF03800000000"}));
  EXPECT_EQ(brain.engine.Packets().back(), "000010000000FFFFF038000000000003");
  EXPECT_EQ(brain.memory.Get(0xFFFFF0C00000, 2500), Pattern(2500));
  EXPECT_EQ(brain.engine.prompter.log.front().text, kStoreQuestion);
  EXPECT_EQ(brain.engine.prompter.Messages(), std::vector<std::string>{"EEPROM Store complete."});
  EXPECT_EQ(statuses, (std::vector<std::string>{"Writing to address: FFFFF0C00000", ""}));
}

// What an older save may hold and can be stored without guessing: the read's padding after the
// records (ignored, with a log line), and an empty image (nothing but the store command).
TEST(EepromStore, PaddingAfterTheRecordsAndAnEmptyImageAreStored) {
  Brain padded;
  padded.engine.prompter.defaultAnswer = Answer::Yes;
  ASSERT_TRUE(StoreEepromImage(padded.engine, OneRecordText(2) + "0000", 1000));
  EXPECT_EQ(padded.engine.Packets().front(), "000004100000FFFFF0C000000002000000070000");
  EXPECT_EQ(padded.engine.log.front(),
            "\nEEPROM data: 4 digits after the image's records are not part of it and were not stored.");
  Brain empty;
  empty.engine.prompter.defaultAnswer = Answer::Yes;
  ASSERT_TRUE(StoreEepromImage(empty.engine, "FFFFF0360000: FFFFFFFF", 1000));
  EXPECT_EQ(empty.engine.Packets(), std::vector<std::string>{"000004000000FFFFF038000000000003"});
  EXPECT_EQ(empty.engine.prompter.Messages(), std::vector<std::string>{"EEPROM Store complete."});
}

// Refused after the question, as the window has always asked it, and before anything is sent.
TEST(EepromStore, MalformedTextIsRefusedBeforeAnything) {
  auto img = [](std::string fields) {  // the blanks only separate the fields for the reader
    std::erase(fields, ' ');
    return "FFFFF0360000: " + fields;
  };
  const std::pair<std::string, std::string> cases[] = {
      {img("00000018 00000000 F0C00000 00000004 01020304"),
       "its length field announces 24 bytes of records but only 12 follow"},
      {img("0000000C 00000000 F0C00000 00000010 01020304"),
       "the record at byte 8 (address FFFFF0C00000, 16 bytes) runs past the end of the image"},
      {img("0000000C 00000000 F0C00000 00000004 010203G4"),
       "the image holds characters that are not hex digits"},
      {img("00000004 00000000 F0C00000"), "the record at byte 8 is cut short"},
      {img("000000"), "the image is shorter than its length field"},
      {img("0000000C"), "the image is shorter than its 8-byte header"},
      {"0000000C00000000F0C000000000000401020304",
       "it does not begin with a 12-digit address followed by \": \""},
      {"FFFFF036000: 0000000C00000000F0C000000000000401020304",
       "it does not begin with a 12-digit address followed by \": \""},
      {OneRecordText(4) + "\n" + OneRecordText(4), "it holds more than one line"},
  };
  for (const auto& [text, why] : cases) {
    EXPECT_EQ(RefusedStore(text), (std::vector<std::string>{kStoreQuestion, "The EEPROM data is not valid: " +
                                                                               why + ".  Nothing was stored."}));
  }
}

TEST(EepromStore, RefusalsAndFailuresStopBeforeTheStoreCommand) {
  Brain data;
  data.memory.rcodeFor = [](std::uint64_t address, int) { return address == 0xFFFFF0C003E8 ? 7 : 0; };
  data.engine.prompter.defaultAnswer = Answer::Yes;
  EXPECT_FALSE(StoreEepromImage(data.engine, OneRecordText(2500), 1000));
  EXPECT_EQ(data.engine.sent.size(), 2u);
  EXPECT_EQ(data.engine.prompter.statusShown, 1);
  EXPECT_EQ(data.engine.prompter.Messages().back(), "EEProm Store not performed, error in data file.");

  Brain command;
  command.memory.rcodeFor = [](std::uint64_t address, int) { return address == 0xFFFFF0380000 ? 5 : 0; };
  command.engine.prompter.defaultAnswer = Answer::Yes;
  EXPECT_FALSE(StoreEepromImage(command.engine, OneRecordText(8), 1000));
  EXPECT_EQ(command.engine.prompter.Messages().back(), "EEPROM Store not successful.");

  EXPECT_EQ(RefusedStore(" \n"),
            std::vector<std::string>{"There's no data to store.  Open a file containing data."});
  EXPECT_EQ(RefusedStore(OneRecordText(8), 3),
            std::vector<std::string>{"The largest block must be at least 4 bytes."});
  EXPECT_EQ(RefusedStore(OneRecordText(8), 1000, false),
            (std::vector<std::string>{kStoreQuestion, "EEProm Store not performed, no longer connected.."}));
  FakeEngine cancelled;  // answers No
  EXPECT_FALSE(StoreEepromImage(cancelled, OneRecordText(8), 1000));
  EXPECT_TRUE(cancelled.sent.empty());
  EXPECT_EQ(cancelled.prompter.Messages(), std::vector<std::string>{"EEPROM store CANCELLED."});
}

}  // namespace
}  // namespace kestrio
