#include "config/config_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/mask.h"

namespace kestrio::config {
namespace {

using Outcome = ImportResult::Outcome;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::string Golden() { return ReadFile(KESTRIO_SOURCE_DIR "/tests/data/config/golden.txt"); }

// What tests/data/config/golden.txt holds, entered field by field from the file's layout.
StateGlobals GoldenTables() {
  const std::string z = kEmptyMask;
  StateGlobals t;
  t.pointNames[0].name = "Pump 1";
  t.pointNames[5].name = "  Lead blanks";
  t.pointNames[17].name = "Valve\\Main";
  t.pointNames[63].name = "Tank:  high";
  t.flagNames[1].name = "Pumpe Süd";
  t.flagNames[12].name = "Alarm flag";
  t.flagNames[63].name = "Last flag";
  t.alarms[3] = {3, "5", "50", "Enabled", MaskText(1), MaskText(1ull << 63), "90", "2",        "Disabled",
                 z, z,   "10", "1",       "Enabled",   MaskText(1 << 12),    z,    "F040010C", "Yes"};
  t.eventMessages[7] = {
      "Tank high ",      "Enabled", "80000001", "Disabled", "0", "0",
      "Disabled",        "0",       "High",     "Disabled", "0", "Tank high alarm\r\non line 2",
      MaskText(1 << 12), z,         7};
  t.serialEvents[31] = {31, "PING", "PONG", "0", "0", "00000003", MaskText(2), z, "Low"};
  t.timers[2] = {2, 3, 4, "1500"};
  t.states[3] = {3, "Pump on", MaskText(1), z, z, MaskText(0x20)};
  t.states[4] = {4, "Timer 2: Reaction", MaskText(1ull << 63), MaskText(1), z, z};
  t.states[127] = {127, "Last set", z, z, "8000000000000001", z};
  t.digitalEvents[5] = {5, 3, 127};
  t.digitalEvents[63] = {63, 127, 3};
  return t;
}

// A file of the given sections only, CR LF ended.
std::string FileOf(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (std::string_view line : lines) out.append(line).append("\r\n");
  return out;
}

std::string NamesSection(std::string_view header, int namedIndex, std::string_view namedLine) {
  std::string out = std::string(header) + "\r\n";
  for (int i = 0; i < 64; ++i) {
    if (i == namedIndex) {
      out.append(namedLine);
    } else {
      const std::string number = "   " + std::to_string(i);
      out += "." + number.substr(number.size() - 3) + ":  ";
    }
    out += "\r\n";
  }
  return out + "END\r\n";
}

class ConfigFile : public ::testing::Test {
 protected:
  ImportResult Import(std::string_view bytes, const StateGlobals& current = {}) {
    return ReadConfigurationText(current, bytes);
  }
};

TEST_F(ConfigFile, GoldenFileImportsToItsTablesAndSavesBackByteForByte) {
  const std::string golden = Golden();
  ASSERT_FALSE(golden.empty());
  const ImportResult result = Import(golden);
  ASSERT_EQ(result.outcome, Outcome::Imported) << result.message;
  EXPECT_EQ(result.tables, GoldenTables());
  EXPECT_EQ(WriteConfigurationText(result.tables), golden);
}

TEST_F(ConfigFile, EveryTableRoundTripsExceptEmptyStatusesAndNumbers) {
  StateGlobals t;
  t.pointNames[0].name = "   three blanks";
  t.pointNames[63].name = "a:  b";
  t.flagNames[7].name = "back\\slash \\n";
  t.flagNames[8].name = "Ω-Ventil";
  t.states[0] = {
      9, "Set: one", "8000000000000001", "0000000000000000", "0000000000000000", "8000000000000001"};
  t.states[127] = {0, "  Set two", "0000000000000002", "", "", ""};
  t.digitalEvents[0] = {0, 0, 127};
  t.digitalEvents[63] = {0, 127, 0};
  t.timers[0] = {0, 127, 0, "0.00"};
  t.timers[63] = {0, 0, NO_STATE, ""};
  AlarmRecord& a = t.alarms[63];
  a.deviationStatus = "Enabled";
  a.deviationFlagsOn = "8000000000000001";
  a.addressToCheck = "F04001FC";
  a.isFloat = "No";
  EventMessageRecord& m = t.eventMessages[127];
  m.name = "Two lines";
  m.messageText = "Two lines\r\nof text\rand a \\ backslash";
  m.serialPortMask = "80000001";
  m.flagsOn = "0000000000000001";
  SerialEventRecord& s = t.serialEvents[0];
  s.patternString = "A\nB";
  s.resultingString = "Résultat";
  s.portMask = "00000001";

  const ImportResult result = Import(WriteConfigurationText(t));
  ASSERT_EQ(result.outcome, Outcome::Imported) << result.message;

  StateGlobals expected = t;
  expected.alarms[63].highStatus = expected.alarms[63].lowStatus = "Disabled";
  expected.alarms[63].number = 63;
  expected.eventMessages[127].number = 127;
  expected.states[0].number = 0;
  expected.states[127].number = 127;
  expected.digitalEvents[63].number = 63;
  expected.timers[63].number = 63;
  EXPECT_EQ(result.tables, expected);
}

TEST_F(ConfigFile, WriterSkipsUndefinedItemsAndItemsWhoseFirstSetIsUnnamed) {
  StateGlobals t;
  t.states[128].name = "not a set";
  t.states[2].digitalOn = "0000000000000001";  // free: no name
  t.digitalEvents[1] = {1, 2, 2};              // refers to the unnamed set
  t.digitalEvents[64] = {64, 0, 0};
  t.timers[0] = {0, NO_STATE, 0, "5"};
  t.alarms[0].highStatus = "Enabled";
  t.eventMessages[0].messageText = "no name";
  t.serialEvents[0].portMask = "00000001";
  EXPECT_EQ(WriteConfigurationText(t), WriteConfigurationText(StateGlobals{}));
  EXPECT_EQ(WriteConfigurationText(StateGlobals{}).substr(0, 33), "START: DIGITAL POINTS\r\n.  0:  \r\n.");
}

TEST_F(ConfigFile, ImportMergesOverTheEntriesOfTheSameNumbers) {
  StateGlobals current;
  current.flagNames[12].name = "kept by a 7-character line";
  current.flagNames[13].name = "overwritten";
  current.states[9].name = "untouched";
  const std::string file =
      NamesSection("START: FLAGS", 13, ". 13:  new") +
      FileOf({"START: TRANSITION", "Number:  4", "Event State: 9 ", "Reaction State: 10 ", "END"});
  const ImportResult result = Import(file, current);
  ASSERT_EQ(result.outcome, Outcome::Imported) << result.message;
  StateGlobals expected = current;
  expected.flagNames[13].name = "new";
  expected.digitalEvents[4] = {4, 9, 10};
  EXPECT_EQ(result.tables, expected);
  // Set 10 is not in any file: the next save drops the digital event because its sets are unnamed...
  StateGlobals noEventSet = result.tables;
  noEventSet.states[9].name.clear();
  EXPECT_EQ(WriteConfigurationText(noEventSet).find("START: TRANSITION"), std::string::npos);
  // ...but keeps it while its Event set has a name.
  EXPECT_NE(WriteConfigurationText(result.tables).find("START: TRANSITION"), std::string::npos);
}

TEST_F(ConfigFile, ReadsHeadersAnywhereNumbersLenientlyAndOlderFiles) {
  // A header inside other text, LF-only line ends, a number with a fraction, lower-case and empty
  // masks, and a name in the older single-byte code page.
  const std::string file =
      "junk START: STATE junk\nNumber:  2.5x\nName:  Pumpe S\xFC"
      "d\nDigital Points ON:  \n"
      "Digital Points OFF:  junk00000000000000ff\nFlags ON:  0000000000000000\nFlags OFF:  \nEND\n\nstray\n"
      "START: TIMER\nNumber:  x\nTimer Input State:\nTimer Output State: 3\nTimer Preset:  \nEND";
  const ImportResult result = Import(file);
  ASSERT_EQ(result.outcome, Outcome::Imported) << result.message;
  EXPECT_EQ(result.tables.states[2], (StateRecord{2, "Pumpe Süd", "", "00000000000000FF", kEmptyMask, ""}));
  EXPECT_EQ(result.tables.timers[0], (TimerRecord{0, 0, 3, ""}));
}

TEST_F(ConfigFile, FileWithoutSectionsIsNotADataFile) {
  for (std::string_view bytes :
       {std::string_view(""), std::string_view("END\r\nSTART: NOTHING\r\nstart: timer\r\n")}) {
    const ImportResult result = Import(bytes, GoldenTables());
    EXPECT_EQ(result.outcome, Outcome::NotADataFile);
    EXPECT_EQ(result.message, "File selected was not a valid data file.");
    EXPECT_EQ(result.tables, GoldenTables());
  }
}

// Every refusal names its line, and the tables stay as they were even when earlier sections were good.
TEST_F(ConfigFile, AnyBadLineRefusesTheWholeFile) {
  const std::string good = FileOf({"START: TIMER", "Number:  1", "Timer Input State: 3",
                                   "Timer Output State: 4", "Timer Preset:  0", "END"});
  struct Case {
    std::string name;
    std::string tail;  // after the good timer section (lines 1-6)
    int line;
    std::string message;
  };
  const Case cases[] = {
      {"alarm 64", FileOf({"START: ALARM", "Number:  64"}), 8,
       "Line 8 of the file: the ALARM number \"64\" is outside 0 to 63.  Nothing was imported."},
      {"state 128", FileOf({"START: STATE", "Number:  128"}), 8, ""},
      {"transition 64", FileOf({"START: TRANSITION", "Number:  64"}), 8, ""},
      {"timer 64", FileOf({"START: TIMER", "Number:  64"}), 8, ""},
      {"message 128", FileOf({"START: MESSAGE", "Number:  128"}), 8, ""},
      {"serial 32", FileOf({"START: SERIAL EVENT", "Number:  32"}), 8, ""},
      {"negative", FileOf({"START: TIMER", "Number:  -1"}), 8, ""},
      {"huge", FileOf({"START: TIMER", "Number:  99999999999999999999999"}), 8, ""},
      {"set reference", FileOf({"START: TRANSITION", "Number:  1", "Event State: 129 "}), 9,
       "Line 9 of the file: the set number \"129\" is outside 0 to 128.  Nothing was imported."},
      {"ends inside", FileOf({"START: STATE", "Number:  1", "Name:  x"}), 7,
       "The file ends inside the STATE section that starts on line 7.  Nothing was imported."},
      {"ends before END",
       FileOf({"START: TRANSITION", "Number:  1", "Event State: 1 ", "Reaction State: 1 "}), 7, ""},
      {"shifted", FileOf({"START: STATE", "Number:  1", "Digital Points ON:  0000000000000001"}), 9,
       "Line 9 of the file: \"Name:  \" expected in the STATE section.  Nothing was imported."},
      {"extra line",
       FileOf({"START: TRANSITION", "Number:  1", "Event State: 1 ", "Reaction State: 1 ", "x", "END"}), 11,
       "Line 11 of the file: \"END\" expected after the TRANSITION section.  Nothing was imported."},
      {"bad mask", FileOf({"START: STATE", "Number:  1", "Name:  x", "Digital Points ON:  000000000000000G"}),
       10,
       "Line 10 of the file: the last 16 characters of the line are not hexadecimal digits.  Nothing was "
       "imported."},
      {"short mask", FileOf({"START: STATE", "Number:  1", "Name:  x", "Digital Points ON:  20"}), 10, ""},
      {"names cut short", NamesSection("START: DIGITAL POINTS", 63, "END"), 71,
       "Line 71 of the file: a name line such as \".  5:  name\" expected in the DIGITAL POINTS section.  "
       "Nothing was imported."},
      {"names ending early", FileOf({"START: FLAGS", ".  0:  a"}), 7, ""},
  };
  StateGlobals current;
  current.pointNames[1].name = "before";
  for (const Case& c : cases) {
    const ImportResult result = Import(good + c.tail, current);
    EXPECT_EQ(result.outcome, Outcome::Refused) << c.name;
    EXPECT_EQ(result.line, c.line) << c.name;
    if (!c.message.empty()) {
      EXPECT_EQ(result.message, c.message) << c.name;
    }
    EXPECT_EQ(result.tables, current) << c.name;
  }
}

TEST_F(ConfigFile, SaveHandsTheTextToTheWriterAndReportsAFailedWrite) {
  ScriptedPrompter prompter;
  std::string written;
  const FileWriter good = [&](const std::string&, std::string_view bytes, std::string&) {
    written = bytes;
    return true;
  };
  EXPECT_TRUE(SaveConfigurationFile(GoldenTables(), "/x/Summary.txt", good, prompter));
  EXPECT_EQ(written, Golden());
  EXPECT_TRUE(prompter.log.empty());

  const FileWriter failing = [](const std::string&, std::string_view, std::string& error) {
    error = "Could not save /x/Summary.txt (Permission denied); the old file is unchanged.";
    return false;
  };
  EXPECT_FALSE(SaveConfigurationFile(GoldenTables(), "/x/Summary.txt", failing, prompter));
  EXPECT_EQ(prompter.Messages().at(0),
            "Could not save /x/Summary.txt (Permission denied); the old file is unchanged.");
}

TEST_F(ConfigFile, ImportFromDiskAppliesOnlyAGoodFile) {
  const auto path = std::filesystem::temp_directory_path() / ("kestrio-config-" + std::to_string(::getpid()));
  ScriptedPrompter prompter;
  StateGlobals tables;
  EXPECT_FALSE(ImportConfigurationFile(tables, path.string(), prompter));  // not there yet
  std::ofstream(path, std::ios::binary) << "START: STATE\r\nNumber:  1\r\n";
  EXPECT_FALSE(ImportConfigurationFile(tables, path.string(), prompter));
  EXPECT_EQ(tables, StateGlobals{});
  EXPECT_EQ(prompter.Messages().size(), 2u);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << Golden();
  EXPECT_TRUE(ImportConfigurationFile(tables, path.string(), prompter));
  EXPECT_EQ(tables, GoldenTables());
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace kestrio::config
