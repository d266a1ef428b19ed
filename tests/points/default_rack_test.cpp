// The shipped module file against the simulator's default rack, through the brain's own replies:
// every module named except the one left out on purpose, analog outputs told by their names, and
// the writes of the points window read back by its scans.
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
    ASSERT_TRUE(loaded.Opened() && ui.log.empty()) << loaded.fatalError;
    ASSERT_TRUE(brain.Handle(test::Command(memory_map::DeviceCommand::PowerUpClear)));
    for (int q = 0; q < kRackQuarters; ++q)
      ASSERT_TRUE(DecodeRackQuarter(Read(RackQuarterRead(q)).Block(), q, rack));
  }
  Reply Read(const BlockRead& read) {
    Reply r;
    r.outcome = Outcome::Replied;
    r.packet = BytesToHex(*brain.Handle(test::ReadBlock(HexValue(read.offset), HexValue(read.length))));
    return r;
  }
  void Write(const std::string& offset, const std::string& data) {
    EXPECT_EQ(test::RcodeOf(*brain.Handle(test::WriteBlock(HexValue(offset), data))), 0) << offset;
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
  for (int m = 0; m < kSlots; ++m) {
    const sim::Slot& slot = brain.GetRack().slotList[m];
    EXPECT_EQ(rack.RackModuleTypes[m], slot.moduleCode) << m;
    EXPECT_EQ(t.IsAnalogOutputModule(slot.moduleCode), slot.kind == sim::SlotKind::AnalogOut) << m;
    EXPECT_EQ(view.slotViews[m].unknownModule, slot.moduleCode == 99) << m;
    if (slot.moduleCode != 99) EXPECT_NE(t.ModuleName(slot.moduleCode).value_or(""), "") << m;
    for (const sim::PointTypeRange& type : slot.types) EXPECT_NE(t.PointTypeName(type.code).value_or(""), "");
  }
  EXPECT_EQ(view.slotViews[8].text, "UNKNOWN: 99");
}

TEST_F(DefaultRackTest, WritesAreReadBackByTheScans) {
  texts.fill("  OFF  ");
  const ClickDecision click = PointClicked(4, rack, texts, loaded.tables);  // a digital output
  ASSERT_TRUE(click.action == ClickAction::ToggleDigital && click.writeDigital);
  texts[4] = click.newText;
  const DigitalWrite digital = DigitalPointWrite(4, texts);
  Write(digital.offset, digital.data);

  ASSERT_EQ(PointClicked(12, rack, texts, loaded.tables).action, ClickAction::AnalogOutputEntry);
  texts[12] = AcceptAnalogEntry("7.5").value();
  const WriteRequest analog = AnalogPointWrite(12, texts[12]);
  Write(analog.offset, analog.data);

  texts.fill("");
  ASSERT_TRUE(DecodeAnalogScan(Read(AnalogScanRead()).Block(), rack, texts).decoded);
  ASSERT_TRUE(DecodeDigitalScan(Read(DigitalScanRead()).Block(), rack, texts).decoded);
  EXPECT_EQ(texts[12], "7.5");
  EXPECT_EQ(texts[4], "  ON  ");
  EXPECT_EQ(texts[5], "  OFF  ");
  EXPECT_EQ(brain.DigitalOutputs(), std::uint64_t{1} << 4);
}

}  // namespace
}  // namespace kestrio::points
