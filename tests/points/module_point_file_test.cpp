// The module/point file: its field rules, the 20-type limit, codes out of range, the lookups'
// bounds and the message of a file that cannot be opened.
#include "points/module_point_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

namespace kestrio::points {
namespace {

class ModulePointFileTest : public ::testing::Test {
 protected:
  ModulePointTables Parse(const std::string& text) { return ParseModulePointInfo(text, ui); }
  static std::vector<int> Offered(const ModulePointTables& t, int module) {
    std::vector<int> codes;
    for (const PointTypeChoice& c : t.OfferedPointTypes(module)) codes.push_back(c.code);
    return codes;
  }
  ScriptedPrompter ui;
};

struct ParseCase {
  const char* what;
  std::string text;
  int highestModule, highestPoint;
  std::vector<std::pair<int, std::string>> modules;  // code and the name it must have
  std::vector<std::pair<int, std::string>> points;
  std::vector<std::pair<int, std::vector<int>>> offered;
  std::vector<std::string> messages;
};

TEST_F(ModulePointFileTest, FieldRulesAndRecords) {
  const std::vector<ParseCase> cases = {
      {"quoted fields hold commas",
       "\"AI, two\",16,\"0, 10 V\",65\n",
       16,
       65,
       {{16, "AI, two"}},
       {{65, "0, 10 V"}},
       {{16, {65}}},
       {}},
      {"blanks before a field and after an unquoted one are dropped; text after a closing quote too",
       "  A  ,  1 , d e ,2\n\"B\" junk,2,\"x\"y,3",
       2,
       3,
       {{1, "A"}, {2, "B"}},
       {{2, "d e"}, {3, "x"}},
       {},
       {}},
      {"&H codes in either case", "A,&H10,d,&h41\n", 16, 65, {{16, "A"}}, {{65, "d"}}, {}, {}},
      {"comments where a record begins; a comma in a comment starts a field",
       "' first\n'second\n' note, X,3,e,4\n' last",
       3,
       4,
       {{3, "X"}},
       {{4, "e"}},
       {},
       {}},
      {"CR LF line ends and blank lines",
       "A,1,d,2\r\n\r\n   \nB,2,e,3\r\n",
       2,
       3,
       {{1, "A"}, {2, "B"}},
       {},
       {},
       {}},
      {"the later record names the module and the point; both modules offer the point",
       "A,3,d1,7\nB,3,d2,7\nC,4,d3,7\n",
       4,
       7,
       {{3, "B"}, {4, "C"}},
       {{7, "d3"}},
       {{3, {7, 7}}, {4, {7}}},
       {}},
      {"an unquoted comma shifts every later field, and shifted codes are skipped silently",
       "M,5,one,two,7\nN,6,d,8\n",
       0,
       0,
       {{0, ""}},
       {{0, ""}},
       {},
       {}},
      {"a record cut short by the end of the file, or a code with text after it, is dropped",
       "A,1,d,2\nB,2,e,3x\nC,3",
       1,
       2,
       {{1, "A"}},
       {},
       {},
       {}},
      {"codes outside 0..32767 are skipped with a message naming the line",
       "A,40000,d,1\nB,2,d,-3\nC,&HFFFFFFFFFF,d,1\nD,1,d,2\n",
       1,
       2,
       {{1, "D"}},
       {},
       {},
       {"ModulePointInfo.txt, line 1: the module type code '40000' is not 0 to 32767; the record is skipped.",
        "ModulePointInfo.txt, line 2: the point type code '-3' is not 0 to 32767; the record is skipped.",
        "ModulePointInfo.txt, line 3: the module type code '&HFFFFFFFFFF' is not 0 to 32767; the record is "
        "skipped."}},
      {"a comments-only file gives one empty entry in each table",
       "' only\n' comments\n",
       0,
       0,
       {{0, ""}},
       {{0, ""}},
       {{0, {}}},
       {}},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.what);
    ui.Clear();
    const ModulePointTables t = Parse(c.text);
    EXPECT_EQ(t.HighestModuleType, c.highestModule);
    EXPECT_EQ(t.HighestPointType, c.highestPoint);
    for (const auto& [code, name] : c.modules) EXPECT_EQ(t.ModuleName(code), name) << code;
    for (const auto& [code, name] : c.points) EXPECT_EQ(t.PointTypeName(code), name) << code;
    for (const auto& [code, list] : c.offered) EXPECT_EQ(Offered(t, code), list) << code;
    EXPECT_EQ(ui.Messages(), c.messages);
  }
}

TEST_F(ModulePointFileTest, TwentyOneTypesGiveOneMessageAndKeepTheFirstTwenty) {
  std::string text;
  std::vector<int> first20;
  for (int i = 0; i < 21; ++i) {
    text += "\"AI-8, Wide\",2,Type " + std::to_string(i) + "," + std::to_string(100 + i) + "\n";
    if (i < 20) first20.push_back(100 + i);
  }
  const ModulePointTables t = Parse(text);
  EXPECT_EQ(Offered(t, 2), first20);
  EXPECT_EQ(t.PointTypeName(120), "Type 20");  // the refused record still names its point type
  EXPECT_EQ(t.PointTypeTable.at(120).ModuleType, 2);
  EXPECT_EQ(ui.Messages(),
            std::vector<std::string>{
                "There are too many point configuration types for the AI-8, Wide module.  The max is:  20"});
}

TEST_F(ModulePointFileTest, LookupsStayInsideTheTables) {
  const ModulePointTables t = Parse("AO-1,24,Out,80\nao-x,5,In,64\n AO,6,In,64\n");
  for (std::int64_t code : {std::int64_t{-1}, std::int64_t{25}, std::int64_t{1} << 40, INT64_MIN}) {
    EXPECT_FALSE(t.ModuleName(code)) << code;
    EXPECT_FALSE(t.IsAnalogOutputModule(code)) << code;
    EXPECT_TRUE(t.OfferedPointTypes(code).empty()) << code;
  }
  for (std::int64_t code : {std::int64_t{-1}, std::int64_t{81}, INT64_MIN})
    EXPECT_FALSE(t.PointTypeName(code));
  EXPECT_EQ(t.ModuleName(23), "");  // inside the table, named by no record
  EXPECT_EQ(t.OfferedPointTypes(24), (std::vector<PointTypeChoice>{{80, "Out"}}));
  EXPECT_TRUE(t.IsAnalogOutputModule(24));
  EXPECT_FALSE(t.IsAnalogOutputModule(5));  // case-sensitive
  EXPECT_TRUE(t.IsAnalogOutputModule(6));   // leading blanks of the field are not part of the name
}

TEST_F(ModulePointFileTest, LoadingReadsTheFileOrGivesTheFatalText) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kestrio-points-test";
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / kModulePointFileName;
  std::ofstream(file) << "' rack\nAO-1,24,Out,80\n";
  const ModulePointFile loaded = LoadModulePointInfo(file, ui);
  EXPECT_TRUE(loaded.Opened());
  EXPECT_EQ(loaded.tables.ModuleName(24), "AO-1");

  const std::filesystem::path missing = dir / "absent.txt";
  const ModulePointFile gone = LoadModulePointInfo(missing, ui);
  EXPECT_FALSE(gone.Opened());
  EXPECT_EQ(gone.fatalError, "FATAL ERROR\n\nCould not open file: \n" + missing.string() +
                                 "\nerror number:  " + std::to_string(ENOENT) + "\n");
  EXPECT_NE(LoadModulePointInfo(dir, ui).fatalError, "");  // a folder cannot be read as the file
  EXPECT_TRUE(ui.log.empty());
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kestrio::points
