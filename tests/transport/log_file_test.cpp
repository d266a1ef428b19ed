#include "transport/log_file.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <regex>
#include <sstream>

namespace kestrio {
namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// The log's pieces begin with their own line breaks; the file gets whole lines, each time-stamped,
// and no blank ones. A line still open is written when the file closes.
TEST(LogFile, WholeTimeStampedLinesFromThePiecesOfTheLog) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("run.log").toStdString();
  {
    std::ofstream(path) << "an earlier run\n";
    LogFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path, error)) << error;
    for (const char* piece : {"127.0.0.1", "\nSending Power-up Clear.", "\n\nSending [Write Quad Request]: ",
                              "000004000000FFFFF038000000000001", "\nReceived:  000004200000000000000000",
                              " [Write Response]"})
      file.AddMsg(piece);
  }
  const std::string text = Read(path);
  const std::regex stamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )");
  const std::string expected[] = {"an earlier run", "127.0.0.1", "Sending Power-up Clear.",
                                  "Sending [Write Quad Request]: 000004000000FFFFF038000000000001",
                                  "Received:  000004200000000000000000 [Write Response]"};
  std::istringstream lines(text);
  std::string line;
  for (const std::string& want : expected) {
    ASSERT_TRUE(std::getline(lines, line));
    if (want == expected[0]) {
      EXPECT_EQ(line, want);  // appended to, never truncated
      continue;
    }
    std::smatch m;
    ASSERT_TRUE(std::regex_search(line, m, stamp) && m.position(0) == 0) << line;
    EXPECT_EQ(line.substr(m.length(0)), want);
  }
  EXPECT_FALSE(std::getline(lines, line));

  LogFile nowhere;
  std::string error;
  EXPECT_FALSE(nowhere.Open(dir.filePath("no/such/folder/run.log").toStdString(), error));
  EXPECT_TRUE(error.starts_with("Could not open the log file ")) << error;
}

}  // namespace
}  // namespace kestrio
