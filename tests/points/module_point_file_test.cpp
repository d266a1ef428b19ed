// The module/point file: its field rules, the 20-type limit, codes out of range, unnamed codes and
// analog output modules, and the message of a file that cannot be opened.
#include "points/module_point_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

namespace kestrio::points {
namespace {

class ModulePointFileTest : public ::testing::Test {
 protected:
  // Every entry the file listed: "max <module>/<point>; M<code>=<name>[<offered>] P<code>=<name>@<module>".
  std::string Summary(const std::string& text) {
    const ModulePointTables t = ParseModulePointInfo(text, ui);
    std::string out =
        "max " + std::to_string(t.HighestModuleType) + "/" + std::to_string(t.HighestPointType) + ";";
    for (const auto& [code, m] : t.ModuleTypeTable) {
      out += " M" + std::to_string(code) + "=" + m.Name + "[";
      for (const PointTypeChoice& c : t.OfferedPointTypes(code)) out += std::to_string(c.code) + ",";
      out.back() = ']';
    }
    for (const auto& [code, p] : t.PointTypeTable)
      out += " P" + std::to_string(code) + "=" + p.Name + "@" + std::to_string(p.ModuleType);
    return out;
  }
  ScriptedPrompter ui;
};

TEST_F(ModulePointFileTest, FieldRulesAndRecords) {
  struct Case {
    const char* what;
    const char* text;
    const char* summary;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"quoted fields hold commas", "\"AI, two\",16,\"0, 10 V\",65\n", "max 16/65; M16=AI, two[65] P65=0, 10 V@16"},
      {"blanks around unquoted fields and text after a closing quote are dropped",
       "  A  ,  1 , d e ,2\n\"B\" junk,2,\"x\"y,3", "max 2/3; M1=A[2] M2=B[3] P2=d e@1 P3=x@2"},
      {"&H codes in either case", "A,&H10,d,&h41\n", "max 16/65; M16=A[65] P65=d@16"},
      {"comments where a record begins; a comma in a comment starts a field",
       "' first\n'second\n' note, X,3,e,4\n' last", "max 3/4; M3=X[4] P4=e@3"},
      {"CR LF line ends and blank lines", "A,1,d,2\r\n\r\n   \nB,2,e,3\r\n", "max 2/3; M1=A[2] M2=B[3] P2=d@1 P3=e@2"},
      {"the later record names module and point; both modules offer the point",
       "A,3,d1,7\nB,3,d2,7\nC,4,d3,7\n", "max 4/7; M3=B[7,7] M4=C[7] P7=d3@4"},
      {"an unquoted comma shifts every later field; shifted codes are skipped silently",
       "M,5,one,two,7\nN,6,d,8\n", "max 0/0;"},
      {"a record cut short by the end of the file, or a code with text after it, is dropped",
       "A,1,d,2\nB,2,e,3x\nC,3", "max 1/2; M1=A[2] P2=d@1"},
      {"a comments-only file", "' only\n' comments\n", "max 0/0;"},
      {"codes outside 0..32767 are skipped", "A,40000,d,1\nB,2,d,-3\nC,&HFFFFFFFFFF,d,1\nD,1,d,2\n",
       "max 1/2; M1=D[2] P2=d@1"},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(Summary(c.text), c.summary) << c.what;
  EXPECT_EQ(
      ui.Messages(),
      (std::vector<std::string>{
          "ModulePointInfo.txt, line 1: the module type code '40000' is not 0 to 32767; the record is "
          "skipped.",
          "ModulePointInfo.txt, line 2: the point type code '-3' is not 0 to 32767; the record is skipped.",
          "ModulePointInfo.txt, line 3: the module type code '&HFFFFFFFFFF' is not 0 to 32767; the record is "
          "skipped."}));
}

TEST_F(ModulePointFileTest, TwentyOneTypesGiveOneMessageAndKeepTheFirstTwenty) {
  std::string text;
  for (int i = 0; i < 21; ++i)
    text += "\"AI, 8\",2,T" + std::to_string(i) + "," + std::to_string(100 + i) + "\n";
  const std::string summary = Summary(text);
  EXPECT_NE(summary.find(
                "M2=AI, 8[100,101,102,103,104,105,106,107,108,109,110,111,112,113,114,115,116,117,118,119]"),
            std::string::npos);
  EXPECT_NE(summary.find("P120=T20@2"), std::string::npos);  // the refused record still names its point type
  EXPECT_EQ(ui.Messages(),
            std::vector<std::string>{"There are too many point configuration types for the AI, 8 "
                                     "module.  The max is:  20"});
}

// Codes outside the tables (negative, huge) are the module file fuzzer's lookups.
TEST_F(ModulePointFileTest, UnnamedCodesAndAnalogOutputModules) {
  const ModulePointTables t = ParseModulePointInfo("AO-1,24,Out,80\nao-x,5,In,64\n AO,6,In,64\n", ui);
  EXPECT_FALSE(t.ModuleName(25));
  EXPECT_EQ(t.ModuleName(0), "");  // inside the table, named by no record
  EXPECT_EQ(t.PointTypeName(79), "");
  EXPECT_EQ(t.OfferedPointTypes(24), (std::vector<PointTypeChoice>{{80, "Out"}}));
  EXPECT_TRUE(t.IsAnalogOutputModule(24));
  EXPECT_FALSE(t.IsAnalogOutputModule(5));  // case-sensitive
  EXPECT_TRUE(t.IsAnalogOutputModule(6));   // the blank before the field is not part of the name
}

TEST_F(ModulePointFileTest, LoadingReadsTheFileOrGivesTheFatalText) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kestrio-points-test";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / kModulePointFileName) << "' rack\nAO-1,24,Out,80\n";
  const ModulePointFile loaded = LoadModulePointInfo(dir / kModulePointFileName, ui);
  EXPECT_TRUE(loaded.Opened());
  EXPECT_EQ(loaded.tables.ModuleName(24), "AO-1");

  const ModulePointFile gone = LoadModulePointInfo(dir / "absent.txt", ui);
  EXPECT_EQ(gone.fatalError, "FATAL ERROR\n\nCould not open file: \n" + (dir / "absent.txt").string() +
                                 "\nerror number:  " + std::to_string(ENOENT) + "\n");
  EXPECT_FALSE(LoadModulePointInfo(dir, ui).Opened());  // a folder cannot be read as the file
  EXPECT_TRUE(ui.log.empty());
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kestrio::points
