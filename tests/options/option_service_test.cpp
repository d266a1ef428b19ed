// An option page read, written and stored against the simulated brain over loopback TCP, with the
// shipped page files.
#include "support/sim_session.h"
// clang-format off
#include "options/option_service.h"
// clang-format on

#include "options/advanced_menu.h"

namespace kestrio::options {
namespace {

using Strings = std::vector<std::string>;

const std::filesystem::path kData = std::filesystem::path(KESTRIO_SOURCE_DIR) / "data";

class OptionServiceTest : public test::SimSession {
 protected:
  void StartAndConnect(sim::SimOptions opts = {}) {
    ASSERT_TRUE(StartSim(std::move(opts))) << sim_->Error();
    if (!session_) {
      OpenSession();
      session_->Log().SetMirror([this](const std::string& text) { traffic_ += text; });
    }
    session_->SetHost(SimHost());
    engine().SetTimeoutSeconds(1);
    ASSERT_TRUE(session_->Connect(false));
    prompter_.Clear();
  }
  static OptionPageModel Page(const std::string& file) {
    return OptionPageModel(*ReadOptionPage(kData / file));
  }
  // The SNMP page read afresh: "label=value" of every row.
  std::string Snmp() {
    OptionPageModel page = Page("SNMP.opt");
    EXPECT_TRUE(ReadAll(engine(), page).ok());
    std::string out;
    for (const OptionRow& r : page.Rows()) out += r.record.label + "=" + r.value + "|";
    return out;
  }
  // Reads the SNMP page, types `values` into their rows (0-based) and ticks them, and writes.
  PageWriteResult WriteSnmp(const std::vector<std::pair<int, std::string>>& values) {
    OptionPageModel page = Page("SNMP.opt");
    EXPECT_TRUE(ReadAll(engine(), page).ok());
    for (const auto& [row, value] : values) {
      page.SetValue(row, value);
      page.SetTicked(row, true);
    }
    prompter_.Clear();
    traffic_.clear();
    return WriteOptions(engine(), page);
  }
  std::string traffic_;  // everything logged, without the log's limit
};

// Every field of every shipped page reads from a fresh brain, in full, without a message.
TEST_F(OptionServiceTest, EveryShippedPageReadsInFull) {
  StartAndConnect();
  for (const MenuEntry& entry : LoadAdvancedMenu(kData / "Advanced.mnu")) {
    OptionPageModel page = Page(entry.pageFile);
    const PageReadResult read = ReadAll(engine(), page);
    EXPECT_EQ(read.read, page.Count()) << entry.pageFile;
    EXPECT_TRUE(read.ok()) << entry.pageFile;
  }
  EXPECT_TRUE(prompter_.log.empty());
  EXPECT_EQ(Snmp(),
            "SNMP enabled=Yes|Agent port=161|Read community=public|Write community=private|Trap host=0.0.0.0|"
            "Trap port=162|Send cold-start trap=Yes|Trap hold-off (s)=2.5|Traps sent=0|"
            "System contact=Commissioning team|");
}

// Ticked rows are written in row order, then the store command; a refused value skips only its own
// row, a read-only row is skipped and counted; what was stored comes back after a restart.
TEST_F(OptionServiceTest, WritesTickedRowsThenStoresAndRefusalsSkipOnlyTheirRow) {
  const std::string state = Path("flash.txt");
  StartAndConnect({.stateFile = state});
  const PageWriteResult written = WriteSnmp(
      {{9, "Site 7"}, {0, "maybe"}, {5, "-1"}, {1, "99"}, {2, "field"}, {7, "0.75"}, {4, "10.0.0.9"}});
  EXPECT_EQ(
      prompter_.Messages(),
      (Strings{"Error! Data: 'maybe' should be either Yes or No.",
               "Error on field 1; 'SNMP enabled' not sent.", "Error on field 6; 'Trap port' not sent.",
               "EEPROM Store complete.\nSkipped 1 ticked row(s): read-only, invalid address or not read "
               "successfully."}));
  EXPECT_EQ(written.written, 4);
  EXPECT_TRUE(written.stored);
  EXPECT_FALSE(written.ok());
  // The writes in row order (community, trap host, hold-off, contact), the store command last.
  const std::string& log = traffic_;
  const std::size_t community = log.find("FFFFF01000C0"), trapHost = log.find("FFFFF0100040"),
                    holdOff = log.find("FFFFF010020C"), contact = log.find("FFFFF0100240"),
                    store = log.rfind("FFFFF038000000000003");
  EXPECT_TRUE(community < trapHost && trapHost < holdOff && holdOff < contact && contact < store &&
              store != std::string::npos)
      << log;

  const std::string expected =
      "SNMP enabled=Yes|Agent port=161|Read community=field|Write community=private|Trap host=10.0.0.9|"
      "Trap port=162|Send cold-start trap=Yes|Trap hold-off (s)=0.75|Traps sent=0|System contact=Site 7|";
  EXPECT_EQ(Snmp(), expected);
  session_->Disconnect();
  StopSim();
  StartAndConnect({.stateFile = state});
  EXPECT_EQ(Snmp(), expected);
}

// A transfer without a reply ends the job: the rows after it are not read, and a write stops
// before the store command, which would keep a half-written page.
TEST_F(OptionServiceTest, NoReplyStopsTheReadAndTheWriteBeforeTheStore) {
  StartAndConnect();
  OptionPageModel page = Page("SNMP.opt");
  ASSERT_TRUE(ReadAll(engine(), page).ok());
  page.SetTicked(3, true);
  page.SetTicked(9, true);
  sim_->SetFaultPlan({.dropEvery = 1});
  traffic_.clear();
  const PageReadResult read = ReadAll(engine(), page);
  EXPECT_TRUE(read.stopped);
  EXPECT_EQ(read.failed, 1);
  EXPECT_EQ(test::Count(traffic_, "Sending "), 1u);
  EXPECT_EQ(page.Rows()[1].state, ReadState::NotRead);

  sim_->SetFaultPlan({});
  ASSERT_TRUE(session_->Connect(false));
  page = Page("SNMP.opt");
  ASSERT_TRUE(ReadAll(engine(), page).ok());
  page.SetTicked(3, true);
  page.SetTicked(9, true);
  sim_->SetFaultPlan({.dropEvery = 1});
  prompter_.Clear();
  traffic_.clear();
  const PageWriteResult written = WriteOptions(engine(), page);
  EXPECT_TRUE(written.stopped);
  EXPECT_FALSE(written.stored);
  EXPECT_EQ(prompter_.Messages().back(), "EEPROM Store not successful.");
  EXPECT_EQ(test::Count(traffic_, "Sending "), 1u) << "the first write, and no store command";
}

}  // namespace
}  // namespace kestrio::options
