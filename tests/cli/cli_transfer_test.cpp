// config upload, download and diff against the simulated brain: a configuration file goes to the
// brain and comes back, and the brain is compared with the file it was given and with a changed one.
#include "support/sim_session.h"
// clang-format off
#include <gmock/gmock.h>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "config/config_file.h"
#include "transfer/config_compare.h"
// clang-format on

namespace kestrio::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kEveryTable = KESTRIO_SOURCE_DIR "/tests/data/transfer/every_table.txt";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class CliTransferTest : public test::SimSession {
 protected:
  void SetUp() override {
    SimSession::SetUp();
    ASSERT_TRUE(StartSim()) << sim_->Error();
  }
  struct Ran {
    int exit;
    std::string out, err;
  };
  Ran Tool(std::vector<std::string> args) {
    args.insert(args.begin(), {"--timeout", "5", "--host", SimHost()});
    std::ostringstream out, err;
    const int exit = RunCli(args, {}, out, err);
    return {exit, out.str(), err.str()};
  }
  static config::StateGlobals Import(const std::string& path) {
    config::StateGlobals t;
    ScriptedPrompter ui;
    EXPECT_TRUE(config::ImportConfigurationFile(t, path, ui)) << path;
    return t;
  }
};

TEST_F(CliTransferTest, UploadThenDownloadRoundTripsTheFileAndDiffFindsAChange) {
  // A brain that never had an upload matches its own download (the file holds no priority of a
  // serial event it does not define).
  const std::string fresh = Path("fresh.txt");
  ASSERT_EQ(Tool({"config", "download", fresh}).exit, 0);
  const Ran unchanged = Tool({"config", "diff", fresh});
  EXPECT_EQ(unchanged.exit, 0) << unchanged.out;

  const Ran up = Tool({"config", "upload", kEveryTable});
  ASSERT_EQ(up.exit, 0) << up.err;
  EXPECT_EQ(up.err, "Upload Complete.\n");  // no progress lines: stderr is not a terminal

  const std::string saved = Path("downloaded.txt");
  const Ran down = Tool({"config", "download", saved});
  ASSERT_EQ(down.exit, 0) << down.err;
  EXPECT_EQ(down.out, "Saved the brain's configuration to " + saved + ".\n");
  EXPECT_THAT(transfer::CompareConfigurations(Import(kEveryTable), Import(saved)), IsEmpty());

  const Ran same = Tool({"config", "diff", kEveryTable});
  EXPECT_EQ(same.exit, 0) << same.err;
  EXPECT_EQ(same.out, "The brain matches " + kEveryTable + ".\n");

  std::string text = ReadFile(kEveryTable);
  text.replace(text.find("Limt:  90"), 9, "Limt:  91");
  text.replace(text.find(".  0:  Pump 1"), 13, ".  0:  Pump \"1\"");
  const std::string changed = Path("changed.txt");
  std::ofstream(changed, std::ios::binary) << text;
  const Ran diff = Tool({"config", "diff", changed});
  EXPECT_EQ(diff.exit, 1);
  EXPECT_EQ(diff.out,
            "Point 0 Name: file \"Pump \\\"1\\\"\", brain \"Pump 1\"\n"
            "Alarm 3 High Limit: file \"91\", brain \"90\"\n"
            "2 differences.\n");

  // Only the alarms: the file then holds no names and no other items.
  const Ran alarms = Tool({"config", "download", saved, "--only", "alarms"});
  ASSERT_EQ(alarms.exit, 0) << alarms.err;
  const config::StateGlobals only = Import(saved);
  EXPECT_EQ(only.pointNames[0].name, "");
  EXPECT_EQ(only.alarms[3].highLimit, "90");
  EXPECT_FALSE(config::IsDefined(only.timers[2]));
}

}  // namespace
}  // namespace kestrio::cli
