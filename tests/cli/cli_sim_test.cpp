// kestrio-cli's commands run in-process against the simulated brain over loopback TCP.
#include "support/sim_session.h"
// clang-format off
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "support/json_check.h"
// clang-format on

namespace kestrio::cli {
namespace {

using kestrio::test::Count;

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
  // Runs the tool against the simulator with the given arguments after --host.
  Ran RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), {"--host", SimHost(), "--timeout", "5"});
    std::ostringstream out, err;
    const int exit = RunCli(args, {}, out, err);
    return {exit, out.str(), err.str()};
  }
};

TEST_F(CliSimTest, StatusPrintsEveryFieldWithTheWindowsLabels) {
  const Ran r = RunTool({"status"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // The fields' decoding is the status service's test; here, the window's labels, one line each.
  EXPECT_TRUE(r.out.starts_with("Power-Up Clear: already sent\nProcessor Status: clear\n")) << r.out;
  EXPECT_NE(r.out.find("\nMAC Address: 02-4B-45-53-54-01\nTCP/IP Address: 127.0.0.1\n"), std::string::npos);
  EXPECT_TRUE(r.out.ends_with("\nDestination Offset: 0\n"));
  EXPECT_EQ(Count(r.out, "\n"), 15u);
}

TEST_F(CliSimTest, ReadPrintsTheWindowsLinesAndAFailedReadShowsTheBrainsError) {
  const Ran r = RunTool({"read", "FFFF F030 0018", "3"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, "FFFFF0300018:01000003\nFFFFF030001C:02010007\nFFFFF0300020:0000004B\n");

  // Nothing answers there: the rcode line, exit 1, and the brain's own error code on stderr.
  const Ran bad = RunTool({"read", "FFFFF0900000", "2"});
  EXPECT_EQ(bad.exit, 1);
  EXPECT_EQ(bad.out, "FFFFF0900000:7\n");
  EXPECT_NE(bad.err.find("Last Error:\n  Code: E005: Invalid memory address.\n"), std::string::npos)
      << bad.err;
  EXPECT_NE(bad.err.find("  Destination Offset: F0900000\n"), std::string::npos) << bad.err;
}

TEST_F(CliSimTest, WriteIsABlockWriteSplitByMaxBytesAndIsLogged) {
  const std::string log = Path("run.log");
  const Ran w =
      RunTool({"--log", log, "--max-bytes", "4", "write", "FFFFF0100000", "11 22 33 44 55 66 77 88 99"});
  ASSERT_EQ(w.exit, 0) << w.err;
  EXPECT_EQ(w.out, "Wrote 9 bytes at FFFFF0100000.\n");
  const std::string text = ReadFile(log);
  EXPECT_NE(text.find("\nSending Power-up Clear."), std::string::npos) << text;
  EXPECT_EQ(Count(text, "Sending [Write Block Request]"), 3u) << text;
  EXPECT_NE(text.find("FFFFF01000080001000099000000"), std::string::npos)
      << "the last block carries what is left at +8: " << text;
  EXPECT_NE(text.find("\nConnection closed."), std::string::npos);

  const Ran r = RunTool({"read", "FFFFF0100000", "3"});
  EXPECT_EQ(r.out.substr(0, 44), "FFFFF0100000:11223344\nFFFFF0100004:55667788\n");
  EXPECT_EQ(r.out.substr(44, 15), "FFFFF0100008:99");

  // A write the brain refuses (the status area is read-only) is not reported as done.
  const Ran refused = RunTool({"write", "FFFFF0300000", "00000001"});
  EXPECT_EQ(refused.exit, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("Write not successful."), std::string::npos);
  EXPECT_NE(refused.err.find("Code: E001: Invalid command."), std::string::npos) << refused.err;
}

TEST_F(CliSimTest, ConfirmedCommandsNeedYesAndSendNothingWithoutIt) {
  const std::string log = Path("cmd.log");
  for (const char* name : {"store", "reset", "erase", "clear-events"}) {
    const Ran r = RunTool({"--log", log, "command", name});
    EXPECT_EQ(r.exit, 1) << name;
    EXPECT_EQ(r.out, "") << name;
    EXPECT_NE(r.err.find("WARNING!!: Are you sure you want to "), std::string::npos) << name << r.err;
    EXPECT_NE(r.err.find("Answered No: refused.  Run again with --yes to answer Yes."), std::string::npos);
  }
  // Only the four power-up clears of the four connections reached the command quadlet.
  EXPECT_EQ(Count(ReadFile(log), "Sending [Write Quad Request]"), 4u);

  for (const char* name : {"store", "reset", "erase", "clear-events", "puc"}) {
    const Ran r = RunTool({"--yes", "command", name});
    EXPECT_EQ(r.exit, 0) << name << r.err;
    EXPECT_EQ(r.out, std::string("command ") + name + ": acknowledged.\n");
  }
  const Ran restart = RunTool({"command", "restart"});  // no confirmation
  EXPECT_EQ(restart.exit, 0);
  EXPECT_EQ(restart.err, "Restart from powerup complete.\n");
}

TEST_F(CliSimTest, ATransactionWithoutReplyFailsWithTheProgramsMessages) {
  sim_->SetFaultPlan({.dropEvery = 2});  // the power-up clear is answered, the next request is not
  Ran r = RunTool({"--timeout", "1", "--yes", "command", "store"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("The timeout of:  1 expired without receiving a reply.\n"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("WARNING!!: EEProm Store not successful.\n"), std::string::npos) << r.err;

  // (Each service's own words for a missing reply are its test; the tool only passes them on.)
  r = RunTool({"--timeout", "1", "--json", "send", "000004400000FFFFF0300004"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(test::IsJsonObject(r.out)) << r.out;
  EXPECT_NE(r.out.find("\"ok\":false"), std::string::npos);
  EXPECT_EQ(r.out.find("\"reply\""), std::string::npos) << "no reply came, so none is printed";
}

TEST_F(CliSimTest, ARefusedConnectionExitsOneWithTheProgramsMessage) {
  const std::string host = SimHost();
  sim_->Stop();
  for (bool json : {false, true}) {
    std::vector<std::string> args = {"--host", host, "--timeout", "5", "status"};
    if (json) args.insert(args.begin(), "--json");
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, {}, out, err), 1);
    EXPECT_NE(err.str().find("Could not connect to: " + host), std::string::npos) << err.str();
    if (json) {
      EXPECT_TRUE(test::IsJsonObject(out.str())) << out.str();
      EXPECT_NE(out.str().find("\"messages\":[\"Could not connect to: "), std::string::npos) << out.str();
    } else {
      EXPECT_EQ(out.str(), "");
    }
  }
}

TEST_F(CliSimTest, HostComesFromTheEnvironmentUnlessGiven) {
  std::ostringstream out, err;
  CliEnvironment env{SimHost(), nullptr};
  EXPECT_EQ(RunCli({"read", "FFFFF030001C"}, env, out, err), 0) << err.str();
  EXPECT_EQ(out.str(), "FFFFF030001C:02010007\n");
  // --host wins over the environment.
  env.host = "127.0.0.1:1";
  std::ostringstream out2, err2;
  EXPECT_EQ(RunCli({"--host", SimHost(), "read", "FFFFF030001C"}, env, out2, err2), 0) << err2.str();
}

TEST_F(CliSimTest, SendPrintsReplyDescriptionAndRoundTrip) {
  Ran r = RunTool({"send", "000004400000FFFFF030001C"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.out.find("Reply:       0000046000000000000000000201000"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\nDescription: [Read Quad Response]\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\nRound trip:  "), std::string::npos);
  EXPECT_TRUE(r.out.ends_with(" s\n"));

  // A response kind goes out without waiting.
  r = RunTool({"send", "000004200000000000000000"});
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.out, "Sent [Write Response]; no reply awaited.\n");

  // An rcode in the reply is a failed transaction, though the reply is still shown.
  r = RunTool({"send", "000004400000FFFFF0900000"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("Reply:       0000046000007"), std::string::npos) << r.out;
}

TEST_F(CliSimTest, EveryCommandPrintsOneJsonObject) {
  const std::string file = Path("image.txt");
  const std::vector<std::vector<std::string>> lines = {
      {"status"},
      {"read", "FFFFF0300000", "3"},
      {"read", "FFFFF0900000"},
      {"write", "FFFFF0100000", "0102"},
      {"command", "store"},
      {"--yes", "command", "store"},
      {"send", "000004400000FFFFF0300004"},
      {"eeprom", "read", file},
      {"--yes", "eeprom", "store", file},
  };
  for (auto args : lines) {
    args.insert(args.begin(), "--json");
    const Ran r = RunTool(args);
    std::string line;
    for (const auto& a : args) line += a + " ";
    EXPECT_TRUE(test::IsJsonObject(r.out)) << line << "\n" << r.out;
    EXPECT_EQ(Count(r.out, "\n"), 1u) << line;
    EXPECT_NE(r.out.find(r.exit == 0 ? "\"ok\":true" : "\"ok\":false"), std::string::npos) << line << r.out;
  }
  const Ran status = RunTool({"--json", "status"});
  EXPECT_NE(status.out.find("\"MAC Address\":\"02-4B-45-53-54-01\""), std::string::npos) << status.out;
  const Ran refused = RunTool({"--json", "command", "erase"});
  EXPECT_NE(refused.out.find("\"refused\":true"), std::string::npos) << refused.out;
}

TEST_F(CliSimTest, EepromImageRoundTripsThroughADataFile) {
  const std::string saved = Path("saved.txt");
  const std::string empty = Path("empty.txt");
  const std::string again = Path("again.txt");

  // Some settings stored into the flash make an image worth copying.
  ASSERT_EQ(RunTool({"write", "FFFFF0100000", "CAFEF00D 12345678"}).exit, 0);
  ASSERT_EQ(RunTool({"--yes", "command", "store"}).exit, 0);
  Ran r = RunTool({"--max-bytes", "256", "eeprom", "read", saved});
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string image = ReadFile(saved);
  EXPECT_TRUE(image.starts_with("FFFFF0360000: ")) << image.substr(0, 40);
  EXPECT_NE(image.find("CAFEF00D12345678"), std::string::npos);
  EXPECT_TRUE(image.ends_with("\n"));
  EXPECT_NE(r.out.find("saved to " + saved), std::string::npos);

  // Erased flash reads as an empty image.
  ASSERT_EQ(RunTool({"--yes", "command", "erase"}).exit, 0);
  r = RunTool({"eeprom", "read", empty});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(ReadFile(empty), "FFFFF0360000: FFFFFFFF\n");
  EXPECT_NE(r.out.find("(empty)"), std::string::npos);

  // Overwriting a file needs --yes; refused, the old file stays.
  r = RunTool({"eeprom", "read", saved});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("Warning: Are you sure you want to overwrite " + saved + "?"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Warning: Save Cancelled."), std::string::npos);
  EXPECT_EQ(ReadFile(saved), image);

  // The store needs --yes as well, then writes the records back and stores them.
  EXPECT_EQ(RunTool({"eeprom", "store", saved}).exit, 1);
  EXPECT_EQ(RunTool({"eeprom", "read", again}).exit, 0);
  EXPECT_EQ(ReadFile(again), ReadFile(empty)) << "a refused store writes nothing";
  r = RunTool({"--yes", "--max-bytes", "8", "eeprom", "store", saved});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.err.find("EEPROM Store complete."), std::string::npos);
  EXPECT_NE(r.out.find("records from " + saved + ", then the store command."), std::string::npos) << r.out;
  r = RunTool({"--yes", "eeprom", "read", again});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(ReadFile(again), image);
}

TEST_F(CliSimTest, ABadDataFileIsRefusedBeforeConnecting) {
  const std::string bad = Path("bad.txt");
  const std::string log = Path("bad.log");
  // L says 32 bytes of records but only one short record follows.
  std::ofstream(bad) << "FFFFF0360000: 000000200000000000100000000000040102030400\n";
  Ran r = RunTool({"--yes", "--log", log, "eeprom", "store", bad});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("The EEPROM data is not valid: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Nothing was stored."), std::string::npos);
  EXPECT_EQ(ReadFile(log).find("Sending"), std::string::npos) << "nothing was sent";

  r = RunTool({"--yes", "eeprom", "store", Path("missing.txt")});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("Could not open "), std::string::npos) << r.err;
}

}  // namespace
}  // namespace kestrio::cli
