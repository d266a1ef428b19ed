// The points services against the simulated brain over loopback TCP: what reaches the brain, what
// the texts and the rack hold afterwards, and what the operator is told when a step fails.
#include "support/sim_session.h"
// clang-format off
#include <gmock/gmock.h>
// clang-format on

#include "points/point_texts.h"
#include "points/points_service.h"

namespace kestrio::points {
namespace {

using kestrio::test::Count;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Strings = std::vector<std::string>;

class PointsServiceTest : public test::SimSession {
 protected:
  void SetUp() override {
    SimSession::SetUp();
    ASSERT_TRUE(StartSim()) << sim_->Error();
    OpenSession();
    std::string fatal;
    ASSERT_TRUE(session_->LoadProductData(fatal)) << fatal;
    session_->SetHost(SimHost());
    session_->SetTimeoutSeconds(1);
    ASSERT_TRUE(session_->Connect(false));
    ASSERT_TRUE(ReadRackPointTypes(engine(), rack()).Complete());
    prompter_.Clear();
  }
  RackTypes& rack() { return session_->Rack(); }
  PointTexts& texts() { return session_->PointValueTexts(); }
  PointsState State() { return {session_->ModuleTables(), rack(), texts(), session_->PointScaling()}; }
  template <class F>
  auto Brain(F f) {
    return sim_->WithBrain(f);
  }
  // The on and off masks of the last digital output write in the log.
  std::string LastMasks() const {
    const std::string log = LogText();
    const auto at = log.find('\n', log.rfind("Sending [Write Block Request]: "));
    return at == std::string::npos || at < 32 ? "" : log.substr(at - 32, 32);
  }
  // Packets of a kind sent since the log was last cleared.
  int Sent(const char* kind) const {
    return static_cast<int>(Count(LogText(), std::string("Sending ") + kind));
  }
};

TEST_F(PointsServiceTest, RackReadStopsAtAQuarterWithoutReplyAndKeepsTheLaterQuarters) {
  RackTypes before = rack();
  before.RackPointTypes.fill(7);
  before.RackModuleTypes.fill(7);
  rack() = before;
  // The connection's seventh request is quarter 1 (after the power-up clear and the first rack read).
  sim_->SetFaultPlan({.dropEvery = 7});
  const RackReadResult r = ReadRackPointTypes(engine(), rack());
  EXPECT_EQ(r.quartersRead, 1);
  EXPECT_EQ(r.failedQuarter, 1);
  EXPECT_EQ(prompter_.Messages(), (Strings{"The timeout of:  1 expired without receiving a reply.",
                                           "Point type read not successful, quarter:  1."}));
  EXPECT_EQ(rack().RackPointTypes[3], kDigitalInputType);
  EXPECT_EQ(rack().RackModuleTypes[2], 16);
  for (int p = 16; p < kPoints; ++p) EXPECT_EQ(rack().RackPointTypes[p], 7) << p;
  EXPECT_EQ(rack().RackModuleTypes[4], 7);

  // Outside a download the cancel flag is not looked at; during one it stops the read.
  sim_->SetFaultPlan({});
  bool cancelled = true;
  EXPECT_TRUE(ReadRackPointTypes(engine(), rack()).Complete());
  EXPECT_TRUE(ReadRackPointTypes(engine(), rack(), &cancelled).cancelled);
  session_->Disconnect();
  EXPECT_TRUE(ReadRackPointTypes(engine(), rack()).notConnected);
  EXPECT_EQ(prompter_.Messages().size(), 2u);
}

TEST_F(PointsServiceTest, ScalingTextsCarryTheLeadingBlankOfNonNegativeValues) {
  PointScalingTable& scaling = session_->PointScaling();
  ASSERT_TRUE(ReadPointScaling(engine(), 8, scaling));   // -10 to 10 V
  ASSERT_TRUE(ReadPointScaling(engine(), 12, scaling));  // 0 to 10 V output
  EXPECT_EQ(scaling[8], (std::pair<std::string, std::string>{"-10", " 10"}));
  EXPECT_EQ(scaling[12], (std::pair<std::string, std::string>{" 0", " 10"}));
  EXPECT_EQ(AnalogEntryRange(scaling[8].first, scaling[8].second),
            "Enter Desired Value: Within range:\n-10 to  10");
  EXPECT_TRUE(prompter_.log.empty());
}

TEST_F(PointsServiceTest, DigitalOutputToggledOnThenOffAndAFailedToggleRestoresTheText) {
  ASSERT_TRUE(Scan(engine(), rack(), texts()).ok);
  ASSERT_EQ(texts()[4], text::kOff);
  const PointDialogs none;
  EXPECT_TRUE(ClickPoint(engine(), State(), 4, none).wrote);
  EXPECT_EQ(LastMasks(),
            "0000000000000010"
            "0000000000000000");
  EXPECT_EQ(Brain([](sim::Brain& b) { return b.DigitalOutputs(); }), 0x10u);
  EXPECT_TRUE(ClickPoint(engine(), State(), 4, none).wrote);
  EXPECT_EQ(LastMasks(),
            "0000000000000000"
            "0000000000000010");
  EXPECT_EQ(Brain([](sim::Brain& b) { return b.DigitalOutputs(); }), 0u);
  EXPECT_TRUE(prompter_.log.empty());

  sim_->SetFaultPlan({.dropEvery = 1});
  const ClickResult r = ClickPoint(engine(), State(), 4, none);
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(texts()[4], text::kOff);
  EXPECT_EQ(prompter_.Messages().back(), "Write Digital Point not successful.");

  prompter_.Clear();
  EXPECT_EQ(ClickPoint(engine(), State(), 0, none).action, ClickAction::RefuseDigitalInput);
  EXPECT_EQ(prompter_.Messages(), Strings{"Can't write to digital input."});
}

TEST_F(PointsServiceTest, AnalogOutputWritesTheTypedNumberAtPositionZeroAndRefusesPositionTwo) {
  std::vector<std::string> ranges;
  // A scan during the dialog puts the brain's old value into the texts: the typed number still wins.
  const PointDialogs typed{[&](const std::string& range) -> std::optional<std::string> {
                             ranges.push_back(range);
                             Scan(engine(), rack(), texts());
                             return AcceptAnalogEntry("7.25 V");
                           },
                           {}};
  EXPECT_TRUE(ClickPoint(engine(), State(), 12, typed).wrote);
  EXPECT_EQ(ranges, Strings{"Enter Desired Value: Within range:\n 0 to  10"});
  EXPECT_EQ(texts()[12], " 7.25");
  Bytes written;
  ASSERT_TRUE(
      Brain([&](sim::Brain& b) { return b.Peek(memory_map::kAnalogOutputs.base + 64 * 12, 4, written); }));
  EXPECT_EQ(BytesToHex(written), "40E80000");
  ASSERT_TRUE(Scan(engine(), rack(), texts()).ok);
  EXPECT_EQ(texts()[12], "7.25");

  session_->Log().Clear();
  EXPECT_TRUE(ClickPoint(engine(), State(), 14, typed).failed);
  EXPECT_EQ(prompter_.Messages(), Strings{"Can't write to points > 1."});
  EXPECT_EQ(Sent("[Write Block Request]"), 0);

  // Cancel writes nothing.
  const PointDialogs cancel{[](const std::string&) { return std::optional<std::string>(); }, {}};
  EXPECT_FALSE(ClickPoint(engine(), State(), 13, cancel).wrote);
  EXPECT_EQ(Sent("[Write Block Request]"), 0);
}

TEST_F(PointsServiceTest, CalibrationReadsTheOffsetOrGainQuadletOfThePoint) {
  EXPECT_TRUE(TriggerCalibration(engine(), 5, Calibration::Offset));
  EXPECT_TRUE(TriggerCalibration(engine(), 5, Calibration::Gain));
  EXPECT_FALSE(TriggerCalibration(engine(), 6, Calibration::Offset));
  EXPECT_THAT(LogText(), HasSubstr("FFFFF0E00014"));
  EXPECT_THAT(LogText(), HasSubstr("FFFFF0E00114"));
  EXPECT_EQ(Brain([](sim::Brain& b) { return b.Calibrations(); }), 2);
  EXPECT_EQ(prompter_.Messages(), Strings{"Can't write to points > 1."});
}

TEST_F(PointsServiceTest, TypeChangesCoverTheDigitalSlotAndARefusedTypeIsReadBack) {
  // A digital slot takes the choice on all four of its points, and only those.
  EXPECT_TRUE(ChangePointType(engine(), rack(), 1, kDigitalOutputType).ok);
  for (int p : {0, 1, 2, 3}) {
    EXPECT_EQ(rack().RackPointTypes[p], kDigitalOutputType) << p;
    EXPECT_EQ(Brain([p](sim::Brain& b) { return b.PointType(p); }), kDigitalOutputType) << p;
  }
  EXPECT_EQ(Brain([](sim::Brain& b) { return b.PointType(4); }), kDigitalOutputType);
  EXPECT_EQ(Brain([](sim::Brain& b) { return b.PointType(20); }), kDigitalInputType);

  // The analog input module does not take an output type: the screen keeps what the brain has.
  const TypeChange refused = ChangePointType(engine(), rack(), 8, 80);
  EXPECT_FALSE(refused.ok);
  EXPECT_THAT(refused.points, ElementsAre(8));
  EXPECT_EQ(rack().RackPointTypes[8], 64);
  EXPECT_EQ(prompter_.statusShown, 1);
  EXPECT_EQ(prompter_.Messages(), Strings{"Point configuration change not successful."});
}

}  // namespace
}  // namespace kestrio::points
