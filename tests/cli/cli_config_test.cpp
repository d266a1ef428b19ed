// kestrio-cli's configuration file commands, in-process and without a brain: the summary views of the
// golden file as the expected output beside it, the save that writes what Save to File writes, and a
// refused import that changes nothing.
#include <gmock/gmock.h>

#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "support/json_check.h"

namespace kestrio::cli {
namespace {

using ::testing::HasSubstr;

const std::string kGolden = KESTRIO_SOURCE_DIR "/tests/data/config/golden.txt";

struct Ran {
  int exit;
  std::string out, err;
};

Ran RunTool(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int exit = RunCli(args, {}, out, err);
  return {exit, out.str(), err.str()};
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(CliConfig, ShowPrintsEveryViewAndJsonTheTables) {
  const Ran text = RunTool({"config", "show", kGolden});
  EXPECT_EQ(text.exit, 0);
  EXPECT_EQ(text.err, "");
  EXPECT_EQ(text.out, ReadFile(KESTRIO_SOURCE_DIR "/tests/data/cli/config_show.expected"));

  const Ran json = RunTool({"--json", "config", "show", kGolden});
  EXPECT_EQ(json.exit, 0);
  EXPECT_TRUE(test::IsJsonObject(json.out)) << json.out;
  EXPECT_THAT(json.out, HasSubstr("\"tables\":{\"pointNames\":[\"Pump 1\",\"\","));
  EXPECT_THAT(json.out,
              HasSubstr("\"digitalEvents\":[{\"number\":5,\"eventState\":3,\"reactionState\":127},"));
  EXPECT_THAT(json.out, HasSubstr("\"messageText\":\"Tank high alarm\\r\\non line 2\""));
}

TEST(CliConfig, SaveWritesWhatSaveToFileWritesAndARefusedImportTouchesNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string out = dir.filePath("out.txt").toStdString();
  const Ran saved = RunTool({"config", "save", kGolden, out});
  EXPECT_EQ(saved.exit, 0) << saved.err;
  EXPECT_EQ(saved.out, "Imported " + kGolden + " and saved it to " + out + ".\n");
  EXPECT_EQ(ReadFile(out), ReadFile(kGolden));

  std::string bad = ReadFile(kGolden);
  bad.replace(bad.find("Number:  7"), 10, "Number:  128");
  const std::string in = dir.filePath("bad.txt").toStdString();
  WriteFile(in, bad);
  WriteFile(out, "old");
  const std::string refusal =
      "Line 157 of the file: the MESSAGE number \"128\" is outside 0 to 127.  Nothing was imported.\n";
  for (const std::vector<std::string>& args : {std::vector<std::string>{"config", "save", in, out},
                                               std::vector<std::string>{"config", "show", in}}) {
    const Ran refused = RunTool(args);
    EXPECT_EQ(refused.exit, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, refusal);
  }
  EXPECT_EQ(ReadFile(out), "old");
}

}  // namespace
}  // namespace kestrio::cli
