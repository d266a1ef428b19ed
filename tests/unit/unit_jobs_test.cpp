// Whole-unit jobs against two simulated brains over loopback TCP, driven through kestrio-cli as an
// engineer in the field would: back up A, restore onto B, verify; and what must stop a restore.
#include "support/sim_session.h"
// clang-format off
#include <gmock/gmock.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "memmap/eeprom_image.h"
#include "points/points_service.h"
#include "protocol/memory_map.h"
#include "unit/backup.h"
#include "unit/backup_folder.h"
#include "unit/restore.h"
#include "unit/verify.h"
// clang-format on

namespace kestrio::unit {
namespace {

namespace fs = std::filesystem;
namespace mm = memory_map;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kEveryTable = KESTRIO_SOURCE_DIR "/tests/data/transfer/every_table.txt";

std::string Hex(std::uint64_t value, int digits) {
  static constexpr char k[] = "0123456789ABCDEF";
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) out[static_cast<std::size_t>(i)] = k[value & 15];
  return out;
}

class UnitJobsTest : public test::SimSession {
 protected:
  void SetUp() override {
    SimSession::SetUp();
    ASSERT_TRUE(StartSim()) << sim_->Error();  // unit A
    OpenSession();
  }
  void TearDown() override {
    if (b_) b_->Stop();
    SimSession::TearDown();
  }
  // Unit B: a fresh brain, on another rack when `rackFile` is given, its flash kept in `stateFile`.
  std::string StartB(const std::string& rackFile = {}, const std::string& stateFile = {}) {
    if (b_) b_->Stop();
    sim::SimOptions opts;
    opts.rackFile = rackFile;
    opts.stateFile = stateFile;
    b_ = std::make_unique<sim::SimServer>(opts);
    EXPECT_TRUE(b_->Start("127.0.0.1", 0)) << b_->Error();
    return "127.0.0.1:" + std::to_string(b_->Port());
  }
  struct Ran {
    int exit;
    std::string out, err;
  };
  static Ran Tool(const std::string& host, std::vector<std::string> args) {
    args.insert(args.begin(), {"--timeout", "5", "--host", host});
    std::ostringstream out, err;
    const int exit = cli::RunCli(args, {}, out, err);
    return {exit, out.str(), err.str()};
  }
  // Changes A the ways a commissioning does: EEPROM image, configuration, an option page, a point type.
  void CommissionA() {
    const std::string data = Path("location.dat");
    // One record of 12 bytes at the settings' "Location" field.
    std::ofstream(data) << Hex(mm::kEepromImage.base, 12) << ": 00000014"
                        << "00000000" << Hex((mm::kSettings.base + 0x20) & 0xFFFFFFFF, 8) << "0000000C"
                        << "4669656C6420736974652041"
                        << "\n";
    EXPECT_EQ(Tool(SimHost(), {"eeprom", "store", data, "--yes"}).exit, 0);
    EXPECT_EQ(Tool(SimHost(), {"config", "upload", kEveryTable}).exit, 0);
    EXPECT_EQ(Tool(SimHost(), {"options", "Network", "--set", "Host name=field-a", "--yes"}).exit, 0);
    session_->SetHost(SimHost());
    ASSERT_TRUE(session_->Connect(false));
    ASSERT_TRUE(points::WritePointConfigType(engine(), 8, 65));
    session_->Disconnect();
    EXPECT_EQ(Tool(SimHost(), {"command", "store", "--yes"}).exit, 0);
  }
  std::string Backup() {
    const std::string dir = Path("backup");
    const Ran r = Tool(SimHost(), {"backup", dir});
    EXPECT_EQ(r.exit, 0) << r.err;
    return dir;
  }
  static std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool Untouched(sim::SimServer& brain) {
    return brain.WithBrain([](sim::Brain& b) { return b.FlashEmpty() && b.PowerUpClearPending(); });
  }
  std::unique_ptr<sim::SimServer> b_;
};

TEST_F(UnitJobsTest, BackupRestoreVerifyRoundTripsAUnitAndSurvivesARestart) {
  CommissionA();
  const std::string dir = Backup();
  const std::string state = Path("b.state");
  const std::string b = StartB({}, state);
  ASSERT_NE(Tool(b, {"verify", dir}).exit, 0);  // a fresh unit is not the commissioned one

  const Ran restore = Tool(b, {"restore", dir, "--yes"});
  EXPECT_EQ(restore.exit, 0) << restore.out << restore.err;
  EXPECT_THAT(restore.out, HasSubstr("Done: Send the store command\nThe unit matches the backup.\n"));

  // What the restore wrote is in B's flash: a restarted B still matches.
  const std::string again = StartB({}, state);
  const Ran verify = Tool(again, {"verify", dir});
  EXPECT_EQ(verify.exit, 0) << verify.out << verify.err;
  EXPECT_EQ(verify.out, "The unit matches the backup.\n");
}

// A backup changed after it was made, or not a backup at all, is refused before B is even connected.
TEST_F(UnitJobsTest, ABackupThatDoesNotHoldTogetherIsRefusedBeforeAnythingIsSent) {
  const std::string dir = Backup();
  const std::string b = StartB();
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> spoil;
    const char* said;
  };
  const Case cases[] = {
      {"a changed file",
       [](const fs::path& d) { std::ofstream(d / kRackFile, std::ios::app) << "# edited\n"; },
       "rack.txt does not match its checksum in unit.json"},
      {"a missing file", [](const fs::path& d) { fs::remove(d / kOptionsFile); },
       "options.txt is missing from the backup."},
      {"no manifest", [](const fs::path& d) { fs::remove(d / kManifestFile); }, "is not a unit backup"},
      {"a manifest pointing outside",
       [](const fs::path& d) {
         std::string m = Slurp(d / kManifestFile);
         m.replace(m.find("rack.txt"), 8, "../x.txt");
         std::ofstream(d / kManifestFile, std::ios::trunc) << m;
       },
       "which is not a backup file"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path copy = Path(("spoiled" + std::to_string(n++)).c_str());
    fs::copy(dir, copy);
    c.spoil(copy);
    const Ran r = Tool(b, {"restore", copy.string(), "--yes"});
    EXPECT_EQ(r.exit, 1);
    EXPECT_THAT(r.err, HasSubstr(c.said));
    EXPECT_TRUE(Untouched(*b_));
  }
}

TEST_F(UnitJobsTest, ADifferentRackIsNamedSlotBySlotAndNothingIsWrittenWithoutTheGoAhead) {
  const std::string dir = Backup();
  const std::string rack = Path("other.rack");
  std::ofstream(rack) << "slot 0 din\nslot 1 dout\nslot 2 ain 17 96:-210:760\nslot 3 aout 24 80:0:10\n"
                         "slot 6 ain 16 64:-10:10\n";
  const std::string b = StartB(rack);
  session_->SetHost(b);
  ASSERT_TRUE(session_->Connect(false));
  prompter_.Clear();
  prompter_.answers = {Answer::No};
  std::string error;
  const auto backup = LoadBackup(dir, error);
  ASSERT_TRUE(backup) << error;

  const RestoreResult r = RestoreUnit(*session_, *backup);
  EXPECT_TRUE(r.declined);
  EXPECT_THAT(r.differingSlots, ElementsAre(2, 6, 7, 8));
  ASSERT_EQ(prompter_.log.size(), 1u);
  EXPECT_THAT(prompter_.log[0].text, HasSubstr("differs from the backup's in slots 2, 6, 7, 8:\n"
                                               "  slot 2: module type 17 here, 16 in the backup\n"));
  EXPECT_TRUE(b_->WithBrain([](sim::Brain& brain) { return brain.FlashEmpty(); }));
  EXPECT_THAT(r.done, IsEmpty());
}

// A step that fails ends the restore: what was done and what was not are listed, and the exit is 1.
TEST_F(UnitJobsTest, AFailingStepListsWhatWasDoneAndWhatWasNot) {
  const std::string dir = Backup();
  std::string error;
  auto backup = LoadBackup(dir, error);
  ASSERT_TRUE(backup) << error;
  // An option value at an address the brain does not have: the option step fails on any unit.
  BackupFiles files = {{kEepromFile, *backup->eepromText},
                       {kRackFile, WriteRackText(*backup->rack)},
                       {kConfigurationFile, Slurp(fs::path(dir) / kConfigurationFile)},
                       {kOptionsFile, "[Broken.opt]\nFFFFF0900000 00000001 nowhere\n"}};
  const std::string broken = Path("broken");
  ASSERT_TRUE(WriteBackupFolder(broken, backup->manifest, files, error)) << error;

  const Ran r = Tool(StartB(), {"restore", broken, "--yes"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_THAT(r.err, HasSubstr("Restore stopped at: Write the option values.\n"
                               "Done:\n  Upload the configuration\n"
                               "  Set the point types that differ\n"
                               "Not done:\n  Write the option values\n  Send the store command\n"));
}

TEST_F(UnitJobsTest, ABackupOfAUnitWithoutEventMessagesRecordsTheGapAndARestoreSkipsIt) {
  sim_->WithBrain([](sim::Brain& b) { return b.Withhold(mm::kEventMessages.base); });
  session_->SetHost(SimHost());
  ASSERT_TRUE(session_->Connect(false));
  const BackupResult r = BackupUnit(*session_, Path("old-kernel"));
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.manifest.gaps.size(), 1u);
  EXPECT_EQ(r.manifest.gaps[0].category, "configuration:messages");
  std::string error;
  const auto loaded = LoadBackup(Path("old-kernel"), error);
  ASSERT_TRUE(loaded) << error;
  EXPECT_TRUE(loaded->manifest.HasGap("configuration:messages"));
  // A restore skips what the backup does not hold, and so does the comparison after it.
  session_->SetHost(StartB());
  ASSERT_TRUE(session_->Connect(false));
  prompter_.answers = {Answer::Yes};
  const RestoreResult restored = RestoreUnit(*session_, *loaded);
  EXPECT_TRUE(restored.ok()) << restored.failed;
  const VerifyResult verified = VerifyUnit(*session_, *loaded);
  EXPECT_TRUE(verified.ok()) << (verified.differences.empty() ? "" : DifferenceText(verified.differences[0]));
  for (const auto& entry : fs::directory_iterator(dir_.path().toStdString()))
    EXPECT_THAT(entry.path().filename().string(), ::testing::Not(HasSubstr(".partial-")));
}

TEST_F(UnitJobsTest, TheReportOfTheDemoUnitHasEverySectionInMarkdownAndHtml) {
  const Ran md = Tool(SimHost(), {"report"});
  EXPECT_EQ(md.exit, 0) << md.err;
  const std::string html = Path("report.html");
  const Ran h = Tool(SimHost(), {"report", "--html", "-o", html});
  EXPECT_EQ(h.exit, 0) << h.err;
  const std::string page = Slurp(html);
  for (const char* section : {"Unit", "Status page", "Rack", "Option pages", "Configuration"}) {
    EXPECT_THAT(md.out, HasSubstr(std::string("\n## ") + section + "\n"));
    EXPECT_THAT(page, HasSubstr(std::string("<h2>") + section + "</h2>"));
  }
  EXPECT_THAT(md.out, HasSubstr("| MAC Address | 02-4B-45-53-54-01 |"));
  EXPECT_THAT(md.out, HasSubstr("### Network.opt"));
  EXPECT_THAT(page, HasSubstr("<h3>Timers</h3>"));
}

}  // namespace
}  // namespace kestrio::unit
