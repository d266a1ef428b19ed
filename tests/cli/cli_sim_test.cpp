// kestrio-cli's commands run in-process against the simulated brain over loopback TCP.
#include "support/sim_session.h"
// clang-format off
#include <gmock/gmock.h>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "support/json_check.h"
// clang-format on

namespace kestrio::cli {
namespace {

using kestrio::test::Count;
using ::testing::_;
using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

struct Ran {
  int exit;
  std::string out, err;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class CliSimTest : public kestrio::test::SimSession {
 protected:
  void SetUp() override {
    SimSession::SetUp();
    ASSERT_TRUE(StartSim()) << sim_->Error();
  }
  // Runs the tool with `args` after --host (the simulator, unless `host` is given) and --timeout.
  Ran RunTool(std::vector<std::string> args, std::optional<std::string> host = {}, CliEnvironment env = {}) {
    if (!host || !host->empty()) args.insert(args.begin(), {"--host", host.value_or(SimHost())});
    args.insert(args.begin(), {"--timeout", "5"});
    std::ostringstream out, err;
    const int exit = RunCli(args, env, out, err);
    return {exit, out.str(), err.str()};
  }
  // Asserts that the tool's --json line for `args` is one object agreeing with `exit`, and returns it.
  std::string RunJson(std::vector<std::string> args, int exit) {
    args.insert(args.begin(), "--json");
    const Ran r = RunTool(args);
    EXPECT_EQ(r.exit, exit) << r.err;
    EXPECT_TRUE(test::IsJsonObject(r.out)) << r.out;
    EXPECT_EQ(Count(r.out, "\n"), 1u) << r.out;
    EXPECT_THAT(r.out, HasSubstr(exit == 0 ? "\"ok\":true" : "\"ok\":false"));
    return r.out;
  }
  void Check(const std::vector<std::string>& args, int exit,
             const ::testing::Matcher<const std::string&>& out,
             const ::testing::Matcher<const std::string&>& err, const std::string& json) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const Ran r = RunTool(args);
    EXPECT_EQ(r.exit, exit) << r.err;
    EXPECT_THAT(r.out, out);
    EXPECT_THAT(r.err, err);
    EXPECT_THAT(RunJson(args, exit), HasSubstr(json));
  }
};

// Each command's text and exit status; the same line with --json prints one object that agrees.
TEST_F(CliSimTest, EachCommandPrintsItsResultAndExitStatusAndTheSameAsOneJsonObject) {
  Check({"status"}, 0,
        Eq("Power-Up Clear: already sent\nProcessor Status: clear\nLoader Revision: 01.00.00.03\n"
           "Kernel Revision: 02.01.00.07\nI/O Unit Type: 4B\nHardware Revision: 1/0/7\nRAM Size: 8388608\n"
           "MAC Address: 02-4B-45-53-54-01\nTCP/IP Address: 127.0.0.1\nSubnet Mask: 255.0.0.0\n"
           "Default Gateway: 0.0.0.0\nCode: 0: No error.\nTransaction Label: 0\nSource Address: 0\n"
           "Destination Offset: 0\n"),
        IsEmpty(), "\"MAC Address\":\"02-4B-45-53-54-01\"");
  Check({"read", "FFFF F030 0018", "3"}, 0,
        Eq("FFFFF0300018:01000003\nFFFFF030001C:02010007\nFFFFF0300020:0000004B\n"), IsEmpty(),
        "{\"address\":\"FFFFF030001C\",\"data\":\"02010007\"}");
  // Nothing answers there: the rcode line, and the brain's own error code from the status area.
  Check({"read", "FFFFF0900000", "2"}, 1, Eq("FFFFF0900000:7\n"),
        AllOf(HasSubstr("Last Error:\n  Code: E005: Invalid memory address.\n"),
              HasSubstr("  Destination Offset: F0900000\n")),
        "\"lastError\":{\"Code\":\"E005: Invalid memory address.\"");
  Check({"write", "FFFFF0100040", "0102"}, 0, Eq("Wrote 2 bytes at FFFFF0100040.\n"), IsEmpty(),
        "\"bytes\":2");
  // The status area is read-only: a write the brain refuses is not reported as done.
  Check({"write", "FFFFF0300000", "00000001"}, 1, IsEmpty(),
        AllOf(HasSubstr("Write not successful."), HasSubstr("Code: E001: Invalid command.")),
        "\"deviceErrors\":1");
  Check({"command", "store"}, 1, IsEmpty(),
        AllOf(HasSubstr("WARNING!!: Are you sure you want to "),
              HasSubstr("Answered No: refused.  Run again with --yes to answer Yes.")),
        "\"refused\":true");
  Check({"--yes", "command", "clear-events"}, 0, Eq("command clear-events: acknowledged.\n"), _,
        "\"refused\":false");
  Check({"command", "restart"}, 0, _, Eq("Restart from powerup complete.\n"), "\"name\":\"restart\"");
  Check({"send", "000004400000FFFFF030001C"}, 0,
        AllOf(StartsWith("Reply:       0000046000000000000000000201000"),
              HasSubstr("\nDescription: [Read Quad Response]\nRound trip:  "), EndsWith(" s\n")),
        IsEmpty(), "\"description\":\"[Read Quad Response]\"");
  // A response kind goes out without waiting.
  Check({"send", "000004200000000000000000"}, 0, Eq("Sent [Write Response]; no reply awaited.\n"), _,
        "\"replyAwaited\":false");
  // An rcode in the reply is a failed transaction, though the reply is still shown.
  Check({"send", "000004400000FFFFF0900000"}, 1, StartsWith("Reply:       0000046000007"), _, "\"rcode\":7");
}

// Both runs of a refused command go to one log, a time-stamped line each: only their power-up clears
// were sent. --stats adds the engine's counts on stderr.
TEST_F(CliSimTest, WriteIsABlockWriteSplitByMaxBytesAndEverythingSentIsLogged) {
  const std::string log = Path("run.log");
  const Ran w = RunTool(
      {"--log", log, "--stats", "--max-bytes", "4", "write", "FFFFF0100000", "11 22 33 44 55 66 77 88 99"});
  ASSERT_EQ(w.exit, 0) << w.err;
  EXPECT_EQ(w.out, "Wrote 9 bytes at FFFFF0100000.\n");
  EXPECT_THAT(w.err, StartsWith("requests 4, replies 4, timeouts 0, failed 0, last round trip "));
  EXPECT_EQ(RunTool({"--log", log, "command", "erase"}).exit, 1);
  // Without the time stamps (23 characters and a blank), the lines the main window shows.
  std::string text;
  std::istringstream lines(ReadFile(log));
  for (std::string line; std::getline(lines, line);) text += (line.size() > 24 ? line.substr(24) : "?") + "\n";
  EXPECT_THAT(text,
              AllOf(StartsWith("127.0.0.1\nSending Power-up Clear.\n"), HasSubstr("\nConnection closed.\n")));
  EXPECT_EQ(Count(text, "Sending [Write Block Request]"), 3u) << text;
  EXPECT_EQ(Count(text, "Sending [Write Quad Request]"), 2u) << text;
  EXPECT_THAT(text, HasSubstr("FFFFF01000080001000099000000")) << "the last block carries what is left at +8";
  const Ran r = RunTool({"read", "FFFFF0100000", "3"});
  EXPECT_THAT(r.out, StartsWith("FFFFF0100000:11223344\nFFFFF0100004:55667788\nFFFFF0100008:99"));
}

TEST_F(CliSimTest, ATransactionWithoutReplyFailsWithTheProgramsMessages) {
  sim_->SetFaultPlan({.dropEvery = 2});  // the power-up clear is answered, the next request is not
  const Ran r = RunTool({"--timeout", "1", "--yes", "command", "store"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_THAT(r.err, AllOf(HasSubstr("The timeout of:  1 expired without receiving a reply.\n"),
                           HasSubstr("WARNING!!: EEProm Store not successful.\n")));
  // No reply came, so none is printed.
  EXPECT_THAT(RunJson({"--timeout", "1", "send", "000004400000FFFFF0300004"}, 1),
              Not(HasSubstr("\"reply\"")));
}

TEST_F(CliSimTest, PointsPrintsTheRackAsTheWindowShowsItAndWatchPrintsChanges) {
  const Ran r = RunTool({"points"});
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_THAT(r.out, StartsWith("slot 0: Digital: in | in | in | in\npoint 0: Digital Input: O"));
  EXPECT_THAT(r.out, HasSubstr("\nslot 1: Digital: out|out|out|out\npoint 4: Digital Output: OFF\n"));
  EXPECT_THAT(r.out, HasSubstr("\nslot 3: AO-1 Voltage Output\npoint 12: 0 to 10 V Output: .\n"
                               "point 13: 0 to 10 V Output: .\npoint 14: : .\n"));
  EXPECT_THAT(r.out, HasSubstr("\nslot 8: UNKNOWN: 99\n"));
  EXPECT_EQ(Count(r.out, "\nslot "), 15u);
  EXPECT_EQ(Count(r.out, "\npoint "), 64u);
  EXPECT_THAT(r.err, StartsWith("Unknown Module: 8: Module ** 8 ** is not recognized"));

  // The analog inputs move between scans; each change comes with its time.
  const Ran watch = RunTool({"points", "--watch", "50", "--count", "2"});
  EXPECT_EQ(watch.exit, 0) << watch.err;
  EXPECT_THAT(watch.out, ::testing::ContainsRegex("\n20[0-9-]+T[0-9:.]+ point 8: -10 to 10 V Input: -?[0-9]*\\."));
  const std::string json = RunTool({"--json", "points", "--watch", "50", "--count", "1"}).out;
  EXPECT_EQ(Count(json, "\n"), 3u) << json;  // scan 0, scan 1, the run's own object
  EXPECT_THAT(json, HasSubstr("\"scan\":1,\"changes\":[{\"point\":8,"));

  // A rack read without reply fails with the window's words.
  sim_->SetFaultPlan({.dropEvery = 3});
  const Ran failed = RunTool({"--timeout", "1", "points"});
  EXPECT_EQ(failed.exit, 1);
  EXPECT_THAT(failed.err, HasSubstr("Point type read not successful, quarter:  1.\n"));
}

TEST_F(CliSimTest, HostComesFromTheEnvironmentUnlessGivenAndWithoutABrainExitsOne) {
  EXPECT_EQ(RunTool({"read", "FFFFF030001C"}, "", {SimHost(), nullptr}).out, "FFFFF030001C:02010007\n");
  EXPECT_EQ(RunTool({"read", "FFFFF030001C"}, SimHost(), {"127.0.0.1:1", nullptr}).exit, 0);

  const std::string host = SimHost();
  sim_->Stop();
  const Ran r = RunTool({"status"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_THAT(r.err, HasSubstr("Could not connect to: " + host));
  EXPECT_THAT(RunJson({"status"}, 1), HasSubstr("\"messages\":[\"Could not connect to: "));

  // With no brain to reach, a data file that is unreadable or not valid is still judged first.
  const std::string bad = Path("bad.txt");
  std::ofstream(bad) << "FFFFF0360000: 000000200000000000100000000000040102030400\n";  // 32 bytes promised
  Check({"--yes", "eeprom", "store", bad}, 1, IsEmpty(),
        AllOf(HasSubstr("The EEPROM data is not valid: "), HasSubstr("Nothing was stored."),
              Not(HasSubstr("Could not connect"))),
        "\"file\":");
  Check({"--yes", "eeprom", "store", Path("missing.txt")}, 1, IsEmpty(),
        AllOf(HasSubstr("Could not open "), Not(HasSubstr("Could not connect"))), "\"file\":");
}

TEST_F(CliSimTest, EepromImageRoundTripsThroughADataFile) {
  const std::string saved = Path("saved.txt"), empty = Path("empty.txt"), again = Path("again.txt");
  // Some settings stored into the flash make an image worth copying.
  ASSERT_EQ(RunTool({"write", "FFFFF0100000", "CAFEF00D 12345678"}).exit, 0);
  ASSERT_EQ(RunTool({"--yes", "command", "store"}).exit, 0);
  Ran r = RunTool({"--max-bytes", "256", "eeprom", "read", saved});
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string image = ReadFile(saved);
  EXPECT_THAT(image, AllOf(StartsWith("FFFFF0360000: "), HasSubstr("CAFEF00D12345678"), EndsWith("\n")));
  EXPECT_THAT(r.out, HasSubstr("saved to " + saved));

  // Erased flash reads as an empty image.
  ASSERT_EQ(RunTool({"--yes", "command", "erase"}).exit, 0);
  r = RunTool({"eeprom", "read", empty});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(ReadFile(empty), "FFFFF0360000: FFFFFFFF\n");
  EXPECT_THAT(r.out, HasSubstr("(empty)"));

  // Overwriting a file needs --yes; refused, the old file stays.
  r = RunTool({"eeprom", "read", saved});
  EXPECT_EQ(r.exit, 1);
  EXPECT_THAT(r.err, AllOf(HasSubstr("Warning: Are you sure you want to overwrite " + saved + "?"),
                           HasSubstr("Warning: Save Cancelled.")));
  EXPECT_EQ(ReadFile(saved), image);

  // The store needs --yes as well, then writes the records back and stores them.
  EXPECT_THAT(RunJson({"eeprom", "store", saved}, 1), HasSubstr("\"refused\":true"));
  EXPECT_EQ(RunTool({"eeprom", "read", again}).exit, 0);
  EXPECT_EQ(ReadFile(again), ReadFile(empty)) << "a refused store writes nothing";
  r = RunTool({"--yes", "--max-bytes", "8", "eeprom", "store", saved});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("EEPROM Store complete."));
  EXPECT_THAT(r.out, HasSubstr("records from " + saved + ", then the store command."));
  EXPECT_THAT(RunJson({"--yes", "eeprom", "read", again}, 0), HasSubstr("\"empty\":false"));
  EXPECT_EQ(ReadFile(again), image);
}

// The page as "number. label: value" lines, named by path, menu caption or menu file. --set writes
// the named rows in page order whatever the order given, then the store command; a refused value
// skips only its own row.
TEST_F(CliSimTest, OptionsPrintsThePageAndSetWritesTheNamedRowsInPageOrderThenStores) {
  const std::string snmp =
      "1. SNMP enabled: Yes\n2. Agent port: 161\n3. Read community: public\n4. Write community: private\n"
      "5. Trap host: 0.0.0.0\n6. Trap port: 162\n7. Send cold-start trap: Yes\n8. Trap hold-off (s): 2.5\n"
      "9. Traps sent: 0\n10. System contact: Commissioning team\n";
  for (const std::string name : {"snmp", "SNMP.opt", KESTRIO_SOURCE_DIR "/data/SNMP.opt"}) {
    const Ran r = RunTool({"options", name});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, snmp) << name;
    EXPECT_EQ(r.err, "") << name;
  }
  EXPECT_THAT(RunJson({"options", "Time"}, 0),
              HasSubstr("{\"number\":5,\"label\":\"Time zone name\",\"value\":\"CET\""));

  const std::string log = Path("options.log");
  Ran r = RunTool({"--log", log, "options", "SNMP", "--set", "System contact=Ops", "--set", "Trap port=-1",
                   "--set", "Write community=rw=1"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Error on field 6; 'Trap port' not sent.\nEEPROM Store complete.\n");
  const std::string sent = ReadFile(log);
  const std::size_t community = sent.rfind("FFFFF0100220"), contact = sent.rfind("FFFFF0100240"),
                    store = sent.rfind("FFFFF038000000000003");
  EXPECT_TRUE(community < contact && contact < store && store != std::string::npos) << sent;
  r = RunTool({"options", "SNMP"});
  EXPECT_THAT(r.out, AllOf(HasSubstr("4. Write community: rw=1\n"), HasSubstr("6. Trap port: 162\n"),
                           HasSubstr("10. System contact: Ops\n")));

  r = RunTool({"options", "no-such-page"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.err, "No page file or Advanced menu entry named 'no-such-page'.\n");
}

}  // namespace
}  // namespace kestrio::cli
