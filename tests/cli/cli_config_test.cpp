// kestrio-cli's configuration file commands, in-process and without a brain.
#include <gmock/gmock.h>

#include <QFile>
#include <QTemporaryDir>
#include <sstream>

#include "cli/cli.h"
#include "support/json_check.h"

namespace kestrio::cli {
namespace {

using ::testing::HasSubstr;

const QString kGolden = KESTRIO_SOURCE_DIR "/tests/data/config/golden.txt";

struct Ran {
  int exit;
  std::string out, err;
};

Ran RunTool(const std::vector<QString>& args) {
  std::vector<std::string> line;
  for (const QString& a : args) line.push_back(a.toStdString());
  std::ostringstream out, err;
  const int exit = RunCli(line, {}, out, err);
  return {exit, out.str(), err.str()};
}

QByteArray Bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : "<missing>";
}

TEST(CliConfig, ShowPrintsEveryViewAsTheExpectedFileAndJsonTheTables) {
  const Ran text = RunTool({"config", "show", kGolden});
  EXPECT_EQ(text.exit, 0);
  EXPECT_EQ(text.err, "");
  EXPECT_EQ(text.out, Bytes(KESTRIO_SOURCE_DIR "/tests/data/cli/config_show.expected").toStdString());
  const Ran json = RunTool({"--json", "config", "show", kGolden});
  EXPECT_TRUE(test::IsJsonObject(json.out)) << json.out;
  EXPECT_THAT(json.out, HasSubstr("\"tables\":{\"pointNames\":[\"Pump 1\",\"\","));
  EXPECT_THAT(json.out,
              HasSubstr("\"digitalEvents\":[{\"number\":5,\"eventState\":3,\"reactionState\":127},"));
  EXPECT_THAT(json.out, HasSubstr("\"messageText\":\"Tank high alarm\\r\\non line 2\""));
}

TEST(CliConfig, SaveWritesWhatSaveToFileWritesAndARefusedImportTouchesNothing) {
  QTemporaryDir dir;
  const QString out = dir.filePath("out.txt"), bad = dir.filePath("bad.txt");
  const Ran saved = RunTool({"config", "save", kGolden, out});
  EXPECT_EQ(saved.exit, 0) << saved.err;
  EXPECT_EQ(saved.out, ("Imported " + kGolden + " and saved it to " + out + ".\n").toStdString());
  EXPECT_EQ(Bytes(out), Bytes(kGolden));

  QFile badFile(bad), outFile(out);
  ASSERT_TRUE(badFile.open(QIODevice::WriteOnly) && outFile.open(QIODevice::WriteOnly));
  badFile.write(Bytes(kGolden).replace("Number:  7\r", "Number:  128\r"));
  outFile.write("old");
  badFile.close();
  outFile.close();
  for (const std::vector<QString>& args :
       {std::vector<QString>{"config", "save", bad, out}, {"config", "show", bad}}) {
    const Ran refused = RunTool(args);
    EXPECT_EQ(refused.exit, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(
        refused.err,
        "Line 157 of the file: the MESSAGE number \"128\" is outside 0 to 127.  Nothing was imported.\n");
  }
  EXPECT_EQ(Bytes(out), "old");
}

}  // namespace
}  // namespace kestrio::cli
