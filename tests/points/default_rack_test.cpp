// The shipped module file against the simulator's default rack, through the brain's own replies:
// every module named except the one left out on purpose, analog outputs told by their names, and
// the scans and writes of the points window landing where the brain expects them.
#include <gtest/gtest.h>

#include "points/point_scan.h"
#include "points/point_write.h"
#include "points/rack_view.h"
#include "protocol/hex.h"
#include "protocol/reply.h"
#include "sim/brain.h"
#include "support/packets.h"

namespace kestrio::points {
namespace {

class DefaultRackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    loaded = LoadModulePointInfo(std::string(KESTRIO_SOURCE_DIR) + "/data/" + kModulePointFileName, ui);
    ASSERT_TRUE(loaded.Opened()) << loaded.fatalError;
    ASSERT_TRUE(ui.log.empty());
    ASSERT_TRUE(brain.Handle(test::WriteQuad(memory_map::kCommand.base, 1)));
    for (int q = 0; q < kRackQuarters; ++q) {
      const Reply r = Read(RackQuarterRead(q));
      ASSERT_TRUE(DecodeRackQuarter(r.Block(), q, rack)) << q;
    }
  }
  Reply Read(const BlockRead& read) {
    const std::optional<Bytes> bytes = brain.Handle(
        test::ReadBlock(HexValue(read.offset), static_cast<std::uint32_t>(HexValue(read.length))));
    Reply r;
    r.outcome = Outcome::Replied;
    if (bytes) r.packet = BytesToHex(*bytes);
    return r;
  }
  void Write(const std::string& offset, const std::string& data) {
    const std::optional<Bytes> reply = brain.Handle(test::WriteBlock(HexValue(offset), data));
    ASSERT_TRUE(reply);
    ASSERT_EQ(test::RcodeOf(*reply), 0);
  }

  ScriptedPrompter ui;
  ModulePointFile loaded;
  sim::Brain brain;
  RackTypes rack;
  PointTexts texts;
};

TEST_F(DefaultRackTest, EveryModuleIsNamedExceptTheUnrecognizedOne) {
  const ModulePointTables& t = loaded.tables;
  const RackView view = DescribeRack(t, rack, false);
  const sim::Rack& simRack = brain.GetRack();
  for (int m = 0; m < kSlots; ++m) {
    const sim::Slot& slot = simRack.slotList[m];
    SCOPED_TRACE(m);
    EXPECT_EQ(rack.RackModuleTypes[m], slot.moduleCode);
    EXPECT_EQ(t.IsAnalogOutputModule(slot.moduleCode), slot.kind == sim::SlotKind::AnalogOut);
    if (slot.moduleCode == 99) {
      EXPECT_TRUE(view.slots[m].unknownModule);
      EXPECT_EQ(view.slots[m].text, "UNKNOWN: 99");
      continue;
    }
    EXPECT_FALSE(view.slots[m].unknownModule);
    EXPECT_FALSE(t.ModuleName(slot.moduleCode).value_or("").empty());
    for (const sim::PointTypeRange& type : slot.types) {
      EXPECT_FALSE(t.PointTypeName(type.code).value_or("").empty()) << type.code;
      bool offered = false;
      for (const PointTypeChoice& c : t.OfferedPointTypes(slot.moduleCode)) offered |= c.code == type.code;
      EXPECT_TRUE(offered) << type.code;
    }
  }
  EXPECT_EQ(view.slots[0].text, "Digital: in | in | in | in");
  EXPECT_EQ(view.slots[1].text, "Digital: out|out|out|out");
  EXPECT_EQ(view.slots[3].text, "AO-1 Voltage Output");
}

TEST_F(DefaultRackTest, ScansAndWritesMeetTheBrain) {
  // Digital output point 4 clicked on: its bit goes into the on mask.
  texts.fill("  OFF  ");
  const ClickDecision click = PointClicked(4, rack, texts, loaded.tables);
  ASSERT_EQ(click.action, ClickAction::ToggleDigital);
  ASSERT_TRUE(click.writeDigital);
  texts[4] = click.newText;
  const DigitalWrite digital = DigitalPointWrite(4, texts);
  Write(digital.offset, digital.data);
  EXPECT_EQ(brain.DigitalOutputs(), std::uint64_t{1} << 4);

  // Analog output point 12 (slot 3) set to 7.5 and read back by the analog scan.
  ASSERT_EQ(PointClicked(12, rack, texts, loaded.tables).action, ClickAction::AnalogOutputEntry);
  texts[12] = AcceptAnalogEntry("7.5").value();
  const WriteRequest analog = AnalogPointWrite(12, texts[12]);
  ASSERT_FALSE(analog.Refused());
  Write(analog.offset, analog.data);

  ASSERT_TRUE(DecodeAnalogScan(Read(AnalogScanRead()).Block(), rack, texts).decoded);
  ASSERT_TRUE(DecodeDigitalScan(Read(DigitalScanRead()).Block(), rack, texts).decoded);
  EXPECT_EQ(texts[12], "7.5");
  EXPECT_EQ(texts[4], "  ON  ");
  EXPECT_EQ(texts[5], "  OFF  ");

  const WriteRequest calibrate = CalibrationTrigger(8, Calibration::Gain);
  ASSERT_TRUE(brain.Handle(test::ReadQuad(HexValue(calibrate.offset))));
  EXPECT_EQ(brain.Calibrations(), 1);
}

}  // namespace
}  // namespace kestrio::points
