// The points window's rules without the window: value texts, the rack read, the slot and
// configuration boxes, scan decoding, click decisions and the requests of point writes.
#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <optional>
#include <tuple>
#include <vector>

#include "points/point_scan.h"
#include "points/point_write.h"
#include "points/rack_view.h"
#include "points/value_format.h"
#include "protocol/hex.h"
#include "protocol/reply.h"

namespace kestrio::points {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// clang-format off
TEST(ValueFormatTest, AnalogValuesScaleValuesAndTypedNumbers) {
  for (const auto& [value, shown] : std::vector<std::pair<float, const char*>>{
           {0.0f, "."}, {-0.0f, "."}, {3.0f, "3."}, {12.34567f, "12.3457"}, {-2.0f, "-2."}, {0.5f, ".5"},
           {-0.25f, "-.25"}, {9.99995f, "10."}, {1.00005f, "1.0001"}, {-0.00004f, "."},
           {123456789.0f, "123456792."}, {kNaN, "NAN"}, {-kInf, "NAN"}})
    EXPECT_EQ(FormatAnalogValue(value), shown) << value;
  for (const auto& [value, shown] : std::vector<std::pair<float, const char*>>{
           {10.0f, " 10"}, {-10.0f, "-10"}, {-0.0f, " 0"}, {0.1f, " 0.1"}, {1234567.0f, " 1234567"},
           {12345678.0f, " 1.234568E+07"}, {0.00001f, " 1E-05"}})
    EXPECT_EQ(ValueText(value), shown) << value;
  for (const auto& [quad, shown] : std::vector<std::pair<std::uint32_t, std::optional<std::string>>>{
           {0x41200000, " 10"}, {0xC1200000, "-10"}, {0x7FC00000, std::nullopt}, {0xFF800000, std::nullopt}})
    EXPECT_EQ(ScaleValueText(quad), shown) << quad;
  for (const auto& [typed, accepted] : std::vector<std::pair<const char*, std::optional<std::string>>>{
           {"5", " 5"}, {" -2.5 V", "-2.5"}, {"1e-50", " 0"}, {"3.4e38", " 3.4E+38"}, {"abc", std::nullopt},
           {"", std::nullopt}, {"1e39", std::nullopt}, {"-", std::nullopt}})
    EXPECT_EQ(AcceptAnalogEntry(typed), accepted) << typed;
}
// clang-format on

TEST(RackReadTest, QuarterFillsItsPointsAndSlotsOnlyAndWritesStayInTheSlot) {
  EXPECT_EQ(RackQuarterRead(3).offset, "FFFFF0C00C00");
  EXPECT_EQ(RackQuarterRead(3).length, "0400");
  EXPECT_EQ(QuarterFailedText(2), "Point type read not successful, quarter:  2.");
  // Records of 64 bytes: the module code first (slot 4 + k gets -20 + 4k), then the point type 256 + j.
  std::string block;
  for (int j = 0; j < kPointsPerQuarter; ++j)
    block +=
        ToHex(static_cast<std::uint32_t>(j % 4 ? 0 : j - 20), 8) + ToHex(256 + j, 8) + std::string(112, 'A');
  RackTypes rack;
  rack.RackPointTypes.fill(7);
  ASSERT_TRUE(DecodeRackQuarter(PayloadReader(block), 1, rack));
  EXPECT_EQ(std::vector<int>(rack.RackPointTypes.begin() + 15, rack.RackPointTypes.begin() + 33),
            (std::vector<int>{7, 256, 257, 258, 259, 260, 261, 262, 263, 264, 265, 266, 267, 268, 269, 270,
                              271, 7}));
  EXPECT_EQ(rack.RackModuleTypes, (std::array<std::int32_t, kSlots>{0, 0, 0, 0, -20, -16, -12, -8}));
  // Short, damaged or misplaced data changes nothing.
  const RackTypes before = rack;
  std::string damaged = block;
  damaged[128 * 5 + 9] = 'x';  // the point type of the sixth record
  for (const auto& [data, quarter] : std::vector<std::pair<std::string, int>>{
           {block.substr(0, 2046), 0}, {damaged, 0}, {block, 4}, {block, -1}}) {
    EXPECT_FALSE(DecodeRackQuarter(PayloadReader(data), quarter, rack));
    EXPECT_EQ(rack.RackPointTypes, before.RackPointTypes);
    EXPECT_EQ(rack.RackModuleTypes, before.RackModuleTypes);
  }

  EXPECT_EQ(PointConfigWrite(5, kDigitalOutputType).offset, "FFFFF0C00144");
  EXPECT_EQ(PointConfigWrite(5, kDigitalOutputType).data, "00000180");
  EXPECT_EQ(PointRecordAddress(63, memory_map::point_record::kScaleFrom), "FFFFF0C00FD8");
  rack.RackModuleTypes[1] = 16;
  EXPECT_EQ(PointsToConfigure(62, rack), (std::vector<int>{60, 61, 62, 63}));  // never past point 63
  EXPECT_EQ(PointsToConfigure(13, rack), (std::vector<int>{12, 13, 14, 15}));  // never into the next slot
  EXPECT_EQ(PointsToConfigure(6, rack), std::vector<int>{6});
}

TEST(RackViewTest, SlotAndConfigurationBoxes) {
  ScriptedPrompter ui;
  const ModulePointTables tables = ParseModulePointInfo(
      "No Module,0,Digital Input,256\nx,0,Digital Output,384\nAI-2,16,Volts,64\nAO,24,O,80", ui);
  RackTypes rack;
  rack.RackPointTypes.fill(kNoPointType);
  for (int p : {0, 1, 2, 3, 4, 7}) rack.RackPointTypes[p] = kDigitalInputType;
  rack.RackPointTypes[5] = rack.RackPointTypes[6] = kDigitalOutputType;
  rack.RackModuleTypes = {0, 0, 16, 99, 5, -3};
  rack.RackPointTypes[8] = 64;
  rack.RackPointTypes[9] = 4096;
  rack.RackPointTypes[13] = -2;
  const RackView values = DescribeRack(tables, rack, false), config = DescribeRack(tables, rack, true);
  // clang-format off
  for (const auto& [slot, valueText, configText, unknown] : std::vector<std::tuple<int, const char*, const char*, bool>>{
           {0, "Digital: in | in | in | in", "x", false}, {1, "Digital: in |out|out| in", "x", false},
           {2, "AI-2", "AI-2", false}, {3, "UNKNOWN: 99", "UNKNOWN: 99", true},
           {4, "unknown:  5", "unknown:  5", false}, {5, "UNKNOWN:-3", "UNKNOWN:-3", true},
           {6, "Digital: out|out|out|out", "x", false}}) {
    // clang-format on
    EXPECT_EQ(values.slotViews[slot].text, valueText) << slot;
    EXPECT_EQ(config.slotViews[slot].text, configText) << slot;
    EXPECT_EQ(values.slotViews[slot].unknownModule, unknown) << slot;
  }
  EXPECT_EQ(std::vector<std::string>(config.configTexts.begin() + 7, config.configTexts.begin() + 14),
            (std::vector<std::string>{"Digital Input", "Volts", "unknown type: 1000", "", "", "",
                                      "unknown type: FFFFFFFE"}));
  EXPECT_TRUE(values.AnalogPointsPresent);
  EXPECT_FALSE(DescribeRack(tables, RackTypes{}, false).AnalogPointsPresent);
  // The first box spans the row for a digital slot (configuration mode) or an unknown second point.
  EXPECT_TRUE(config.slotViews[0].widenFirstConfig);
  EXPECT_FALSE(values.slotViews[0].widenFirstConfig);
  EXPECT_TRUE(values.slotViews[2].widenFirstConfig);
  EXPECT_FALSE(values.slotViews[1].widenFirstConfig);

  const Notice n = UnknownModuleMessage(3);
  EXPECT_EQ(n.title, "Unknown Module: 3");
  EXPECT_EQ(n.text.substr(0, n.text.find("Check")),
            "Module ** 3 ** is not recognized \nby the Ethernet brain or Kestrio.\n\n"
            "You may need updated firmware for the Ethernet brain.\n");
}

TEST(PointScanTest, ScansFillTheirOwnSlotsOnly) {
  RackTypes rack;
  rack.RackModuleTypes[2] = 16;  // points 8..11 analog, the rest digital
  PointTexts texts;
  texts.fill("old");
  EXPECT_EQ(AnalogScanRead().offset + AnalogScanRead().length, "FFFFF06000000100");
  EXPECT_EQ(DigitalScanRead().offset + DigitalScanRead().length, "FFFFF04000000008");

  const float analogSlot[kPointsPerSlot] = {12.34567f, 0.0f, kNaN, -2.0f};
  std::string floats;
  for (int p = 0; p < kPoints; ++p)
    floats += ToHex(std::bit_cast<std::uint32_t>(p / 4 == 2 ? analogSlot[p % 4] : 5.0f), 8);
  const ScanUpdate analog = DecodeAnalogScan(PayloadReader(floats), rack, texts);
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 7, texts.begin() + 13),
            (std::vector<std::string>{"old", "12.3457", ".", "NAN", "-2.", "old"}));
  EXPECT_EQ(analog.written, 0xF00u);
  EXPECT_EQ(analog.shown, 0xB00u);  // a value that is not a number leaves its box as it was

  // Bits 0, 5 and 63 set; bit 8 belongs to the analog slot.
  const ScanUpdate digital = DecodeDigitalScan(PayloadReader("8000000000000121"), rack, texts);
  EXPECT_EQ(digital.shown, ~std::uint64_t{0xF00});
  EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 9),
            (std::vector<std::string>{"  ON  ", "  OFF  ", "  OFF  ", "  OFF  ", "  OFF  ", "  ON  ",
                                      "  OFF  ", "  OFF  ", "12.3457"}));
  EXPECT_EQ(texts[63], "  ON  ");

  const PointTexts before = texts;
  EXPECT_FALSE(DecodeAnalogScan(PayloadReader(floats.substr(0, 510)), rack, texts).decoded);
  EXPECT_FALSE(DecodeDigitalScan(PayloadReader("80000000000001"), rack, texts).decoded);
  EXPECT_FALSE(DecodeDigitalScan(PayloadReader("800000000000012G"), rack, texts).decoded);
  EXPECT_EQ(texts, before);
}

TEST(PointWriteTest, ClicksMasksAndAddresses) {
  ScriptedPrompter ui;
  const ModulePointTables tables = ParseModulePointInfo(
      "N,0,In,256\nN,0,Out,384\nAI,16,V,64\nAO-1,24,V,80\nAO-2,25,V,80\nAO-2,25,W,81\n", ui);
  RackTypes rack;
  rack.RackModuleTypes = {0, 16, 24, 25};
  rack.RackPointTypes = {256, 384, 384, 5, 64, 64, -1, -1, -1, 80, -1, -1, 81, 80};
  PointTexts texts;
  texts[1] = "  ON  ";
  // clang-format off
  for (const auto& [point, action, newType, newText, writeDigital] :
       std::vector<std::tuple<int, ClickAction, std::optional<std::int32_t>, const char*, bool>>{
           {0, ClickAction::RefuseDigitalInput, {}, "", false}, {1, ClickAction::ToggleDigital, {}, "  OFF  ", true},
           {2, ClickAction::ToggleDigital, {}, "  ON  ", true},
           {3, ClickAction::ToggleDigital, {}, "  ON  ", false},  // neither input nor output: only the text
           {4, ClickAction::AskGainOffset, {}, "", false},
           {8, ClickAction::AnalogOutputEntry, 80, "", false},  // one type listed: the point takes it
           {12, ClickAction::AnalogOutputEntry, {}, "", false}, {64, ClickAction::None, {}, "", false}}) {
    // clang-format on
    const ClickDecision d = PointClicked(point, rack, texts, tables);
    EXPECT_EQ(std::tie(d.action, d.newPointType, d.newText, d.writeDigital),
              std::tie(action, newType, newText, writeDigital))
        << point;
  }

  texts[2] = texts[63] = "  OFF  ";
  texts[47] = "  ON  ";
  texts[5] = " 3.";  // in neither mask
  // The on mask, then the off mask.
  EXPECT_EQ(DigitalPointWrite(2, texts).data, "00000000000000000000000000000004");
  EXPECT_EQ(DigitalPointWrite(kAllPoints, texts).data, "00008000000000028000000000000004");
  EXPECT_EQ(DigitalPointWrite(5, texts).data, std::string(32, '0'));

  // clang-format off
  for (const auto& [point, text, refusal, offset, data] :
       std::vector<std::tuple<int, const char*, const char*, const char*, const char*>>{
           {9, " 10", "", "FFFFF0B00240", "41200000"}, {13, "-2.5 V", "", "FFFFF0B00340", "C0200000"},
           {14, " 1", "Can't write to points > 1.", "", ""}, {9, "NAN", "Can't write -- bad float.", "", ""},
           {14, "", "Can't write -- bad float.", "", ""},  // checked before the position
           {64, " 1", "There is no such point; points are 0 to 63.", "", ""}}) {
    // clang-format on
    const WriteRequest w = AnalogPointWrite(point, text);
    EXPECT_EQ(w.refusal + "|" + w.offset + "|" + w.data, std::string(refusal) + "|" + offset + "|" + data)
        << point;
  }
  EXPECT_EQ(CalibrationTrigger(5, Calibration::Offset).offset, "FFFFF0E00014");
  EXPECT_EQ(CalibrationTrigger(5, Calibration::Gain).offset, "FFFFF0E00114");
  EXPECT_EQ(CalibrationTrigger(6, Calibration::Offset).refusal, "Can't write to points > 1.");
  EXPECT_EQ(AnalogEntryRange(" 0", " 10"), "Enter Desired Value: Within range:\n 0 to  10");
  EXPECT_EQ(GainOffsetCaption(5, "1.25"), "   POINT #:  5   VALUE:   1.25");
}

}  // namespace
}  // namespace kestrio::points
