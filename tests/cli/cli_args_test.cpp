// What the tool does without a brain: the command line refused before anything is sent, --help,
// decode (in-process, and the real binary over the golden files in tests/data/cli), and JSON strings.
#include "cli/cli_args.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <sstream>

#include "cli/cli.h"
#include "cli/json.h"
#include "support/json_check.h"

namespace kestrio::cli {
namespace {

struct Ran {
  int exit;
  std::string out, err;
};

Ran RunTool(std::vector<std::string> args, CliEnvironment env = {}) {
  std::ostringstream out, err;
  const int exit = RunCli(args, env, out, err);
  return {exit, out.str(), err.str()};
}

TEST(CliArgs, UsageErrorsExitTwoWithTheReasonAndNoOutput) {
  // A host that nothing listens on: every one of these must be refused before a connection is tried.
  const std::string host = "--host=127.0.0.1:1";
  const struct {
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {{}, "no command given"},
      {{host, "frob"}, "unknown command 'frob'"},
      {{host, "--frob", "status"}, "unknown option --frob"},
      {{host, "status", "extra"}, "status: unexpected operand 'extra'"},
      {{host, "--timeout", "0", "status"}, "--timeout: '0' is not a number of seconds from 1 to 3000"},
      {{host, "--timeout", "3001", "status"}, "--timeout: '3001'"},
      {{host, "--timeout"}, "--timeout needs a value"},
      {{host, "--yes=1", "status"}, "--yes takes no value"},
      {{host, "read"}, "read: missing operand"},
      {{host, "read", "FFFFG0300000"}, "'FFFFG0300000' is not a memory-map address"},
      {{host, "read", "FFFFF03000000"}, "is not a memory-map address (1 to 12 hex digits)"},
      {{host, "read", "FFFFF0300000", "0"}, "'0' is not a number of quadlets from 1 to 4096"},
      {{host, "read", "FFFFF0300000", "2.5"}, "'2.5' is not a number of quadlets"},
      {{host, "read", "FFFFF0300000", "5000"}, "read: Too many, max:  4096"},
      {{host, "read", "FFFFF0300000", "--max-bytes", "3"}, "--max-bytes: '3'"},
      {{host, "write", "FFFFF0100000", "010"}, "odd number of hex digits"},
      {{host, "write", "FFFFF0100000", "0x01"}, "'0x01' is not hex data"},
      {{host, "write", "FFFFF0100000", std::string(4097 * 8, '0')}, "Too many, max:  4096"},
      {{host, "command", "format"}, "unknown device command 'format'"},
      {{host, "send", "0000044 00000"}, "character 8 is not a hex digit"},
      {{host, "send", "000004400"}, "odd number of digits"},
      {{host, "send", "000004300000FFFFF0300000"}, "its tcode (the 7th digit, 3) is not a known packet type"},
      {{host, "--max-bytes", "8", "status"}, "--max-bytes does not apply to status"},
      {{host, "eeprom"}, "eeprom needs read or store"},
      {{host, "eeprom", "copy", "x"}, "unknown eeprom action 'copy'"},
      {{host, "eeprom", "read"}, "eeprom read: missing operand"},
      {{host, "options", "SNMP", "--set", "Trap port"}, "--set: 'Trap port' is not LABEL=VALUE"},
      {{host, "--set", "Trap port=1", "status"}, "--set does not apply to status"},
      {{host, "options", "SNMP", "--set", "Nope=1"}, "options: --set: no option labelled 'Nope' on "},
      {{host, "options", "SNMP", "--set", "Trap port=1", "--set", "Trap port=2"}, "'Trap port' is set twice"},
      {{host, "config", "push", "x"}, "unknown config action 'push'"},
      {{host, "config", "upload", "x", "--only", "names,points"},
       "--only: 'points' is not one of names,alarms,timers,messages,serial,events"},
      {{host, "config", "download", "x", "--only", "names"},
       "--only: 'names' is not one of points,alarms,events,messages,serial,timers"},
      {{host, "config", "diff", "x", "--only", "alarms"}, "--only does not apply to config diff"},
      {{host, "config", "download", "x", "--timers-first"}, "--timers-first does not apply to config download"},
      {{"status"}, "no brain to talk to: give --host HOST[:PORT] or set KESTRIO_HOST"},
      {{"--host", "brain:99999", "status"}, "'brain:99999' is not HOST or HOST:PORT"},
      {{host, "--log", "/nonexistent-dir/x.log", "status"}, "Could not open the log file /nonexistent-dir/x.log"},
      {{host, "--watch", "0", "points"}, "--watch: '0' is not a number of milliseconds from 1 to 3600000"},
      {{host, "--watch", "100", "status"}, "--watch does not apply to status"},
      {{host, "--count", "2", "points"}, "--count needs --watch MS"},
  };
  for (const auto& c : cases) {
    const Ran r = RunTool(c.args);
    EXPECT_EQ(r.exit, 2) << c.reason;
    EXPECT_EQ(r.out, "") << c.reason;
    EXPECT_TRUE(r.err.starts_with("kestrio-cli: ")) << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.reason << "\n" << r.err;
    EXPECT_EQ(r.err.find("Could not connect"), std::string::npos) << c.reason;
  }
}

TEST(CliArgs, HelpListsEveryCommandAndCommandErrorsOrHelpShowTheCommandsOwn) {
  const Ran all = RunTool({"--help"});
  EXPECT_EQ(all.exit, 0);
  for (const char* usage : {"status", "read ADDRESS [COUNT]", "write ADDRESS HEXDATA",
                            "command puc|store|reset|erase|restart|clear-events", "send PACKET",
                            "decode PACKET", "eeprom read FILE", "eeprom store FILE", "--host HOST[:PORT]",
                            "--timeout SECONDS", "--yes", "--json", "--log FILE", "--max-bytes N"}) {
    EXPECT_NE(all.out.find(usage), std::string::npos) << usage;
  }
  const Ran error = RunTool({"--host", "127.0.0.1:1", "read", "ZZ"});
  EXPECT_NE(error.err.find("  read ADDRESS [COUNT]"), std::string::npos);
  EXPECT_EQ(error.err.find("  write ADDRESS"), std::string::npos);
  // Help is given even when the rest of the line is incomplete, and never connects.
  const Ran eeprom = RunTool({"eeprom", "store", "-h"});
  EXPECT_EQ(eeprom.exit, 0);
  EXPECT_NE(eeprom.out.find("eeprom store FILE"), std::string::npos);
  EXPECT_EQ(eeprom.out.find("send PACKET"), std::string::npos);
  EXPECT_EQ(eeprom.err, "");
}

TEST(CliDecode, TypedPacketsAsTextAndJson) {
  const Ran typed = RunTool({"decode", "0000 0440 0000", "FFFFF0300004"});
  EXPECT_EQ(typed.exit, 0);
  EXPECT_NE(typed.out.find("Packet 1: [Read Quad Request], 24 digits"), std::string::npos) << typed.out;
  EXPECT_NE(typed.out.find("destination offset: FFFFF0300004"), std::string::npos);
  const Ran json = RunTool({"--json", "decode", "0000 0440 0000 FFFF F030 0004", "0000042"});
  EXPECT_EQ(json.exit, 0);
  EXPECT_TRUE(test::IsJsonObject(json.out)) << json.out;
  EXPECT_NE(json.out.find("\"hex\":\"000004400000FFFFF0300004\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"problems\":[\""), std::string::npos) << "the cut-off packet has a problem";
}

// Each *.packets file fed to "decode -" on stdin prints the .expected file beside it.
TEST(CliDecode, TheBinaryDecodesStoredPacketsAsTheGoldenFilesSay) {
  const QString binary = KESTRIO_BINARY_DIR "/bin/kestrio-cli";
  ASSERT_TRUE(QFile::exists(binary)) << binary.toStdString();
  const QDir data(KESTRIO_SOURCE_DIR "/tests/data/cli");
  const QStringList inputs = data.entryList({"*.packets"}, QDir::Files, QDir::Name);
  ASSERT_GE(inputs.size(), 3);
  for (const QString& name : inputs) {
    SCOPED_TRACE(name.toStdString());
    QFile expected(data.filePath(name.chopped(QString(".packets").size()) + ".expected"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    QProcess cli;
    cli.setStandardInputFile(data.filePath(name));
    cli.start(binary, {"decode", "-"});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_EQ(cli.readAllStandardOutput().toStdString(), expected.readAll().toStdString());
    EXPECT_EQ(cli.readAllStandardError().toStdString(), "");
  }
}

TEST(CliJson, StringsAreEscapedIntoValidJson) {
  EXPECT_EQ(JsonString("a\"b\\c\nd\te"), "\"a\\\"b\\\\c\\nd\\te\"");
  EXPECT_EQ(JsonString(std::string("\x01\x7f", 2)), "\"\\u0001\\u007f\"");
  EXPECT_EQ(JsonString("caf\xc3\xa9"), "\"caf\xc3\xa9\"");  // valid UTF-8 passes through
  // A Latin-1 file name, a cut sequence, an overlong encoding and a surrogate are each replaced.
  EXPECT_EQ(JsonString("caf\xe9"), "\"caf\\ufffd\"");
  EXPECT_EQ(JsonString("\xe2\x82"), "\"\\ufffd\\ufffd\"");
  EXPECT_EQ(JsonString("\xc0\xaf"), "\"\\ufffd\\ufffd\"");
  EXPECT_EQ(JsonString("\xed\xa0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");

  JsonObject o;
  o.Str("k\"ey", "v").Num("n", -3).Bool("b", false).Raw("a", JsonStringArray({"x", "\n"}));
  EXPECT_EQ(o.Text(), "{\"k\\\"ey\":\"v\",\"n\":-3,\"b\":false,\"a\":[\"x\",\"\\n\"]}");
  EXPECT_TRUE(test::IsJsonObject(o.Text()));
}

}  // namespace
}  // namespace kestrio::cli
