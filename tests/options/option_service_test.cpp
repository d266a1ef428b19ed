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
  // The SNMP page read afresh: its values, each followed by "|".
  std::string Snmp() {
    OptionPageModel page = Page("SNMP.opt");
    EXPECT_TRUE(ReadAll(engine(), page).ok());
    std::string out;
    for (const OptionRow& r : page.Rows()) out += r.value + "|";
    return out;
  }
  std::string traffic_;  // everything logged, without the log's limit
};

// Every field of every shipped page reads in full, without a message. Ticked rows are written, then
// the store command; a refused value skips only its own row, a read-only row is skipped and
// counted; what was stored comes back after a restart.
TEST_F(OptionServiceTest, PagesReadTickedRowsAreWrittenThenStoredAndRefusalsSkipOnlyTheirRow) {
  const std::string state = Path("flash.txt");
  StartAndConnect({.stateFile = state});
  for (const MenuEntry& entry : LoadAdvancedMenu(kData / "Advanced.mnu")) {
    OptionPageModel page = Page(entry.pageFile);
    const PageReadResult read = ReadAll(engine(), page);
    EXPECT_TRUE(read.ok() && read.read == page.Count()) << entry.pageFile;
  }
  EXPECT_TRUE(prompter_.log.empty());

  OptionPageModel page = Page("SNMP.opt");
  ASSERT_TRUE(ReadAll(engine(), page).ok());
  for (auto [row, value] : {std::pair{9, "Site 7"}, {0, "maybe"}, {5, "-1"}, {1, "99"}, {2, "field"}}) {
    page.SetValue(row, value);
    page.SetTicked(row, true);
  }
  const PageWriteResult written = WriteOptions(engine(), page);
  EXPECT_EQ(prompter_.Messages(),
            (Strings{"Error! Data: 'maybe' should be either Yes or No.",
                     "Error on field 1; 'SNMP enabled' not sent.", "Error on field 6; 'Trap port' not sent.",
                     "EEPROM Store complete.\nSkipped 1 ticked row(s): read-only, invalid address or not "
                     "read successfully."}));
  EXPECT_TRUE(written.written == 2 && written.stored && !written.ok());
  const std::string expected = "Yes|161|field|private|0.0.0.0|162|Yes|2.5|0|Site 7|";
  EXPECT_EQ(Snmp(), expected);
  session_->Disconnect();
  StopSim();
  StartAndConnect({.stateFile = state});
  EXPECT_EQ(Snmp(), expected);
}

// A transfer without a reply ends the job: a write stops before the store command (which would
// keep a half-written page), and a read leaves the rows after it unread.
TEST_F(OptionServiceTest, NoReplyStopsTheWriteBeforeTheStoreAndTheRead) {
  StartAndConnect();
  OptionPageModel page = Page("SNMP.opt");
  ASSERT_TRUE(ReadAll(engine(), page).ok());
  page.SetTicked(3, true);
  page.SetTicked(9, true);
  sim_->SetFaultPlan({.dropEvery = 1});
  traffic_.clear();
  const PageWriteResult written = WriteOptions(engine(), page);
  EXPECT_TRUE(written.stopped && !written.stored);
  EXPECT_EQ(prompter_.Messages().back(), "EEPROM Store not successful.");
  EXPECT_EQ(test::Count(traffic_, "Sending "), 1u) << "the first write, and no store command";
  traffic_.clear();
  const PageReadResult read = ReadAll(engine(), page);
  EXPECT_TRUE(read.stopped && read.failed == 1);
  EXPECT_EQ(test::Count(traffic_, "Sending "), 1u);
  EXPECT_EQ(page.Rows()[1].state, ReadState::NotRead);
}

}  // namespace
}  // namespace kestrio::options
