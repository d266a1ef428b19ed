// The upload and the download against the simulated brain over loopback TCP.
#include "support/sim_session.h"
// clang-format off
#include <gmock/gmock.h>
#include <functional>
// clang-format on

#include "config/config_file.h"
#include "protocol/hex.h"
#include "protocol/memory_map.h"
#include "transfer/brain_reader.h"
#include "transfer/config_compare.h"
#include "transfer/upload.h"

namespace kestrio::transfer {
namespace {

namespace mm = memory_map;
using config::NO_STATE;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Records every request and may change one before it goes out (a Cancel click arriving during the
// wait, an address the brain refuses).
class Wiretap : public ForwardingEngine {
 public:
  using ForwardingEngine::ForwardingEngine;
  Reply SendAndAwaitReply(const std::string& packet, int tcode) override {
    std::string p = packet;
    sent.push_back(packet);
    if (onSend) onSend(p);
    return inner_.SendAndAwaitReply(p, tcode);
  }
  // The requests as "what xN" runs: the area each starts in, in order.
  std::string Runs() const {
    std::string out, last;
    int n = 0;
    for (const std::string& p : sent) {
      const std::string what = AreaOf(HexValue(p.substr(12, 12)));
      if (what != last && n > 0) out += last + " x" + std::to_string(n) + ", ";
      n = what == last ? n + 1 : 1;
      last = what;
    }
    return n > 0 ? out + last + " x" + std::to_string(n) : out;
  }
  static std::string AreaOf(std::uint64_t a) {
    using P = std::pair<const mm::RecordArea*, const char*>;
    for (const auto& [area, name] :
         {P{&mm::kPointNames, "names"}, P{&mm::kAlarms, "alarms"}, P{&mm::kEventMessages, "messages"},
          P{&mm::kSerialPriorities, "priorities"}, P{&mm::kSerialEvents, "serial"},
          P{&mm::kDigitalEvents, "events"}, P{&mm::kTimers, "timers"}})
      if (a >= area->base && a < area->base + area->stride * static_cast<std::uint64_t>(area->records))
        return name;
    return a == mm::kCommand.base ? "store" : "other";
  }
  std::vector<std::string> sent;
  std::function<void(std::string& packet)> onSend;
};

// Sends requests for `address` to an address the brain does not have.
std::function<void(std::string&)> Refuse(std::uint64_t address) {
  return [address](std::string& p) {
    if (HexValue(p.substr(12, 12)) == address) p.replace(12, 12, "FFFFF0900000");
  };
}

class TransferSimTest : public test::SimSession {
 protected:
  // A brain that keeps its flash in a file, and the configuration that uses every table.
  void SetUp() override {
    SimSession::SetUp();
    opts_.stateFile = Path("brain.state");
    StartAndConnect();
    ScriptedPrompter ui;
    ASSERT_TRUE(config::ImportConfigurationFile(
        file_, KESTRIO_SOURCE_DIR "/tests/data/transfer/every_table.txt", ui));
  }
  void StartAndConnect() {
    ASSERT_TRUE(StartSim(opts_)) << sim_->Error();
    if (!session_) OpenSession();
    session_->SetHost(SimHost());
    ASSERT_TRUE(session_->Connect(false));
    prompter_.Clear();
  }
  UploadReport Upload(Engine& engine, const UploadSelection& selection = UploadSelection::All()) {
    session_->Configuration() = file_;
    NoteLoaded(session_->LoadedConfiguration(), file_);
    return UploadConfiguration(engine, session_->Configuration(), selection, session_->LoadedConfiguration());
  }
  DownloadResult Download(Engine& engine, const DownloadSelection& selection = {}, RackReader rack = {}) {
    BrainReader reader(engine,
                       {session_->Configuration(), session_->DownloadCancelled(),
                        session_->LoadedConfiguration(), &session_->Rack()},
                       std::move(rack));
    return reader.Run(selection);
  }
  void Poke(std::uint64_t address, const std::string& hex) {
    sim_->WithBrain([&](sim::Brain& b) { ASSERT_TRUE(b.Poke(address, HexToBytes(hex))); });
  }

  sim::SimOptions opts_;
  config::StateGlobals file_;
};

// What a download cannot give back (set and message names, "Disabled" statuses, "0.00") aside, the
// configuration comes back whole, also after the brain stored it and restarted from its flash.
TEST_F(TransferSimTest, UploadThenDownloadGivesTheConfigurationBackAfterARestart) {
  EXPECT_TRUE(Upload(engine()).ok());
  EXPECT_THAT(prompter_.Messages(), ElementsAre("Upload Complete."));
  StopSim();
  StartAndConnect();
  session_->Configuration() = config::StateGlobals{};
  const DownloadResult down = Download(engine(), {}, [](points::RackTypes& rack) {
    rack.RackPointTypes[0] = 256;
    return true;
  });
  EXPECT_TRUE(down.ok());
  EXPECT_THAT(prompter_.log, IsEmpty());
  const config::StateGlobals& got = session_->Configuration();
  EXPECT_THAT(CompareConfigurations(file_, got), IsEmpty());
  EXPECT_EQ(session_->Rack().RackPointTypes[0], 256);
  // The comparison holds the whole 126-character text and 39-character pattern, the Latin-1 name.
  EXPECT_EQ(got.eventMessages[7].name, "Message 7");
  EXPECT_EQ(got.alarms[63].deviationStatus, "Disabled");  // its low limit alone acts: still defined
  // Digital event 0 and timer 2 have the same sides, so they share the sets rebuilt from the masks.
  EXPECT_EQ(got.digitalEvents[0].eventState, got.timers[2].inputState);
  EXPECT_EQ(got.digitalEvents[0].reactionState, got.timers[2].outputState);
  EXPECT_EQ(got.states[0].name, "Set 0");
}

// Timers after the alarms or after the digital events; every record in one write, the priorities
// in one; nothing selected still stores.
TEST_F(TransferSimTest, WritesComeInTheirOrderAndEndWithTheStoreCommand) {
  const std::string middle = "names x64, alarms x2, ";
  const std::string rest = "messages x2, serial x2, priorities x1, events x3, ";
  UploadSelection timersFirst = UploadSelection::All();
  timersFirst.timersFirst = true;
  const struct {
    UploadSelection selection;
    std::string runs;
  } cases[] = {
      {UploadSelection::All(), middle + rest + "timers x2, store x1"},
      {timersFirst, middle + "timers x2, " + rest + "store x1"},
      {UploadSelection{}, "store x1"},
  };
  for (const auto& c : cases) {
    Wiretap tap(engine());
    prompter_.Clear();
    EXPECT_TRUE(Upload(tap, c.selection).ok());
    EXPECT_EQ(tap.Runs(), c.runs);
    EXPECT_THAT(prompter_.Messages(), ElementsAre("Upload Complete."));
  }
}

// A refused record and a failed write are counted; an item deleted since the configuration was
// loaded is cleared on the brain; an item never defined is not touched.
TEST_F(TransferSimTest, UploadCountsWhatWentWrongAndClearsDeletedItems) {
  Poke(mm::RecordAddress(mm::kAlarms, 5), "01020304");
  EXPECT_TRUE(Upload(engine()).ok());
  file_.alarms[3].deviationStatus.clear();  // deleted in the editor
  file_.timers[2].preset = "-1";
  Wiretap tap(engine());
  tap.onSend = Refuse(mm::RecordAddress(mm::kEventMessages, 7));
  prompter_.Clear();
  session_->Configuration() = file_;
  const UploadReport r =
      UploadConfiguration(tap, file_, UploadSelection::All(), session_->LoadedConfiguration());
  EXPECT_EQ(r.refused, 1);
  EXPECT_EQ(r.failedWrites, 1);
  EXPECT_EQ(prompter_.Messages().front(),
            "Timer 2 not sent: Timer Preset '-1' does not fit the brain's field.");
  EXPECT_EQ(prompter_.Messages().back(),
            "Upload finished: 1 record was refused and not sent; 1 write failed.");
  sim_->WithBrain([](sim::Brain& b) {
    Bytes alarm3, alarm5;
    ASSERT_TRUE(b.Peek(mm::RecordAddress(mm::kAlarms, 3), 100, alarm3));
    ASSERT_TRUE(b.Peek(mm::RecordAddress(mm::kAlarms, 5), 4, alarm5));
    EXPECT_EQ(alarm3, Bytes(100, 0));
    EXPECT_EQ(BytesToHex(alarm5), "01020304");
  });
  const LoadedItems& loaded = session_->LoadedConfiguration();
  EXPECT_FALSE(loaded.Has(RecordKind::Alarm, 3));
  EXPECT_TRUE(loaded.Has(RecordKind::Message, 7));
  EXPECT_TRUE(loaded.Has(RecordKind::Timer, 2));
}

// The brain goes away: the upload stops at the first write that finds no connection instead of
// failing every later one with its own messages, and sends no store command.
TEST_F(TransferSimTest, AnUploadStopsWhenTheConnectionIsGone) {
  StopSim();
  Wiretap tap(engine());
  const UploadReport r = Upload(tap);
  EXPECT_EQ(r.failedWrites, 1);
  EXPECT_EQ(r.notSent, 64 + 2 + 2 + 2 + 1 + 3 + 2);  // all but the first name, and the store command
  EXPECT_EQ(prompter_.Messages().back(),
            "Upload finished: 1 write failed; 76 writes were not sent: the connection was lost.");
  EXPECT_EQ(tap.Runs().find("store"), std::string::npos);
}

// Cancel arrives while a record is awaited: that record is the last, the priorities are still read,
// and the configuration stays as it was.
TEST_F(TransferSimTest, CancelStopsBeforeTheNextRecordAndKeepsTheConfiguration) {
  session_->Configuration() = file_;
  Wiretap tap(engine());
  const std::uint64_t third = mm::RecordAddress(mm::kSerialEvents, 2);
  tap.onSend = [&](std::string& p) {
    if (HexValue(p.substr(12, 12)) == third) session_->DownloadCancelled() = true;
  };
  DownloadSelection s = DownloadSelection::None();
  s.Set(Category::SerialEvents, true);
  s.Set(Category::Messages, true);
  const DownloadResult r = Download(tap, s);
  EXPECT_TRUE(r.cancelled);
  EXPECT_FALSE(r.replaced);
  EXPECT_EQ(tap.Runs(), "serial x3, priorities x1");
  EXPECT_EQ(session_->Configuration(), file_);
  EXPECT_FALSE(session_->DownloadCancelled());
  EXPECT_THAT(prompter_.log, IsEmpty());
}

// A record the brain refuses stops its category without storing anything of it; the next category
// reads in full; the category is named at the end and the status window shown.
TEST_F(TransferSimTest, AFailingRecordReadStopsItsCategoryWithTheMessage) {
  ASSERT_TRUE(Upload(engine()).ok());
  Wiretap tap(engine());
  tap.onSend = Refuse(mm::RecordAddress(mm::kAlarms, 3));
  DownloadSelection s = DownloadSelection::None();
  s.Set(Category::Alarms, true);
  s.Set(Category::Timers, true);
  prompter_.Clear();
  const DownloadResult r = Download(tap, s);
  EXPECT_THAT(r.failed, ElementsAre("Alarm Events"));
  EXPECT_TRUE(r.replaced);
  EXPECT_EQ(tap.Runs(), "alarms x4, timers x64");
  EXPECT_EQ(prompter_.Messages().back(),
            "Could not read all memory map addresses for: Alarm Events.\r\nKernel upgrade required.");
  EXPECT_GE(prompter_.statusShown, 1);
  const config::StateGlobals& got = session_->Configuration();
  EXPECT_EQ(got.alarms[3], config::AlarmRecord{});
  EXPECT_EQ(got.timers[2].preset, "1500");
}

// Equal masks share one set, across digital events and timers; a set beyond the 128 the table holds
// ends the download with the category's message and nothing written past the table.
TEST_F(TransferSimTest, DownloadedSidesShareSetsUpToTheTablesLimit) {
  const std::string on = "0000000000000003", react = "00000000000000F0", zero(16, '0');
  Poke(mm::RecordAddress(mm::kDigitalEvents, 0), on + zero + react + zero + zero + zero + zero + zero);
  Poke(mm::RecordAddress(mm::kDigitalEvents, 7), on + zero + react + zero + zero + zero + zero + zero);
  Poke(mm::RecordAddress(mm::kTimers, 9), on + zero + zero + zero + zero + zero + zero + zero + "00000064");
  DownloadSelection s = DownloadSelection::None();
  s.Set(Category::DigitalEvents, true);
  s.Set(Category::Timers, true);
  EXPECT_TRUE(Download(engine(), s).ok());
  const config::StateGlobals& got = session_->Configuration();
  EXPECT_EQ((config::DigitalEventRecord{7, 0, 1}), got.digitalEvents[7]);
  EXPECT_EQ((config::DigitalEventRecord{0, 0, 1}), got.digitalEvents[0]);
  EXPECT_EQ((config::TimerRecord{9, 0, NO_STATE, "100"}), got.timers[9]);
  EXPECT_EQ(got.states[2], config::StateRecord{});

  // Two new sets for each of the 64 digital events fill the table; the timer's set has no room.
  for (int i = 0; i < 64; ++i)
    Poke(mm::RecordAddress(mm::kDigitalEvents, i),
         ToHex(2 * i + 1, 16) + zero + ToHex(2 * i + 2, 16) + zero + zero + zero + zero + zero);
  Poke(mm::RecordAddress(mm::kTimers, 9), "00000000000F0000");
  prompter_.Clear();
  const DownloadResult full = Download(engine(), s);
  EXPECT_THAT(full.failed, ElementsAre("Timers"));
  EXPECT_EQ(session_->Configuration().states[127].name, "Set 127");
  EXPECT_EQ(session_->Configuration().states[128], config::StateRecord{});
  EXPECT_EQ(session_->Configuration().timers[9].inputState, NO_STATE);
  EXPECT_EQ(prompter_.Messages().back(),
            "Could not read all memory map addresses for: Timers.\r\nKernel upgrade required.");
}

}  // namespace
}  // namespace kestrio::transfer
