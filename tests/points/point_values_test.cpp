// The points window's rules without the window: value texts, the rack read, the slot and
// configuration boxes, scan decoding, click decisions and the requests of point writes.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "points/point_scan.h"
#include "points/point_write.h"
#include "points/rack_view.h"
#include "points/value_format.h"
#include "protocol/hex.h"
#include "protocol/reply.h"
#include "support/packets.h"

namespace kestrio::points {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(ValueFormatTest, AnalogValuesFollowTheHashPattern) {
  const std::vector<std::pair<float, const char*>> cases = {
      {0.0f, "."},          {-0.0f, "."},    {3.0f, "3."},     {12.34567f, "12.3457"},
      {-2.0f, "-2."},       {0.5f, ".5"},    {-0.25f, "-.25"}, {9.99995f, "10."},
      {1.00005f, "1.0001"}, {0.00004f, "."}, {-0.00004f, "."}, {123456789.0f, "123456792."},
      {kNaN, "NAN"},        {-kInf, "NAN"},
  };
  for (const auto& [value, shown] : cases) EXPECT_EQ(FormatAnalogValue(value), shown) << value;
}

TEST(ValueFormatTest, ValueTextsAndTypedNumbers) {
  const std::vector<std::pair<float, const char*>> texts = {
      {10.0f, " 10"},
      {-10.0f, "-10"},
      {0.0f, " 0"},
      {-0.0f, " 0"},
      {0.1f, " 0.1"},
      {-2.5f, "-2.5"},
      {1234567.0f, " 1234567"},
      {12345678.0f, " 1.234568E+07"},
      {0.00001f, " 1E-05"},
  };
  for (const auto& [value, shown] : texts) EXPECT_EQ(ValueText(value), shown) << value;
  EXPECT_EQ(ScaleValueText(0x41200000), " 10");
  EXPECT_EQ(ScaleValueText(0xC1200000), "-10");
  EXPECT_EQ(ScaleValueText(0x7FC00000), std::nullopt);
  EXPECT_EQ(ScaleValueText(0xFF800000), std::nullopt);

  const std::vector<std::pair<const char*, std::optional<std::string>>> typed = {
      {"5", " 5"},           {" -2.5 V", "-2.5"}, {"1e-50", " 0"},        {"3.4e38", " 3.4E+38"},
      {"abc", std::nullopt}, {"", std::nullopt},  {"1e39", std::nullopt}, {"-", std::nullopt},
  };
  for (const auto& [text, accepted] : typed) EXPECT_EQ(AcceptAnalogEntry(text), accepted) << text;
}

// 1024 bytes of point records: module code at offset 0 of each slot's first record, point type at 4.
std::string QuarterBlock(std::int32_t module, std::int32_t type) {
  std::string digits;
  for (int j = 0; j < kPointsPerQuarter; ++j) {
    digits += ToHex(static_cast<std::uint32_t>(j % 4 == 0 ? module + j : 0), 8);
    digits += ToHex(static_cast<std::uint32_t>(type + j), 8) + std::string(112, 'A');
  }
  return digits;
}

TEST(RackReadTest, QuarterFillsItsPointsAndSlotsOnly) {
  EXPECT_EQ(RackQuarterRead(1).offset, "FFFFF0C00400");
  EXPECT_EQ(RackQuarterRead(3).offset, "FFFFF0C00C00");
  EXPECT_EQ(RackQuarterRead(0).length, "0400");
  EXPECT_EQ(QuarterFailedText(2), "Point type read not successful, quarter:  2.");

  RackTypes rack;
  rack.RackPointTypes.fill(7);
  const std::string block = QuarterBlock(-20, 256);
  ASSERT_TRUE(DecodeRackQuarter(PayloadReader(block), 1, rack));
  EXPECT_EQ(rack.RackPointTypes[15], 7);
  EXPECT_EQ(rack.RackPointTypes[16], 256);
  EXPECT_EQ(rack.RackPointTypes[31], 256 + 15);
  EXPECT_EQ(rack.RackPointTypes[32], 7);
  EXPECT_EQ(rack.RackModuleTypes, (std::array<std::int32_t, kSlots>{0, 0, 0, 0, -20, -16, -12, -8}));

  // Short, damaged or misplaced data changes nothing.
  const RackTypes before = rack;
  std::string damaged = block;
  damaged[64 * 2 * 5 + 9] = 'x';  // point type of the sixth record
  for (const auto& [data, quarter] : std::vector<std::pair<std::string, int>>{
           {block.substr(0, 2046), 0}, {damaged, 0}, {block, 4}, {block, -1}}) {
    EXPECT_FALSE(DecodeRackQuarter(PayloadReader(data), quarter, rack));
    EXPECT_EQ(rack.RackPointTypes, before.RackPointTypes);
    EXPECT_EQ(rack.RackModuleTypes, before.RackModuleTypes);
  }
}

TEST(RackReadTest, ConfigurationWritesStayInTheClickedSlot) {
  const WriteRequest w = PointConfigWrite(5, kDigitalOutputType);
  EXPECT_EQ(w.offset, "FFFFF0C00144");
  EXPECT_EQ(w.data, "00000180");
  EXPECT_TRUE(PointConfigWrite(64, 1).Refused());
  EXPECT_EQ(PointRecordAddress(63, memory_map::point_record::kScaleFrom), "FFFFF0C00FD8");

  RackTypes rack;
  rack.RackModuleTypes[1] = 16;
  EXPECT_EQ(PointsToConfigure(62, rack), (std::vector<int>{60, 61, 62, 63}));
  EXPECT_EQ(PointsToConfigure(13, rack), (std::vector<int>{12, 13, 14, 15}));
  EXPECT_EQ(PointsToConfigure(6, rack), std::vector<int>{6});
  EXPECT_TRUE(PointsToConfigure(64, rack).empty());
  EXPECT_TRUE(PointsToConfigure(-1, rack).empty());
}

class RackViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tables = ParseModulePointInfo(
        "\"No Module or Digital\",0,Digital Input,256\nx,0,Digital Output,384\n"
        "AI-2,16,Volts,64\nAO-1,24,Out,80\n",
        ui);
    rack.RackPointTypes.fill(kNoPointType);
    for (int p : {0, 1, 2, 3, 4, 7}) rack.RackPointTypes[p] = kDigitalInputType;
    for (int p : {5, 6}) rack.RackPointTypes[p] = kDigitalOutputType;
    rack.RackModuleTypes = {0, 0, 16, 99, 5, -3};
    rack.RackPointTypes[8] = 64;
    rack.RackPointTypes[9] = 4096;
    rack.RackPointTypes[13] = -2;
  }
  ScriptedPrompter ui;
  ModulePointTables tables;
  RackTypes rack;
};

TEST_F(RackViewTest, SlotBoxesInBothModes) {
  const RackView values = DescribeRack(tables, rack, false);
  const RackView config = DescribeRack(tables, rack, true);
  const std::vector<std::tuple<int, const char*, const char*, bool>> slots = {
      {0, "Digital: in | in | in | in", "x", false},  // the last record's name for module 0
      {1, "Digital: in |out|out| in", "x", false},   {2, "AI-2", "AI-2", false},
      {3, "UNKNOWN: 99", "UNKNOWN: 99", true},       {4, "unknown:  5", "unknown:  5", false},
      {5, "UNKNOWN:-3", "UNKNOWN:-3", true},         {6, "Digital: out|out|out|out", "x", false},
  };
  for (const auto& [slot, valueText, configText, unknown] : slots) {
    EXPECT_EQ(values.slots[slot].text, valueText) << slot;
    EXPECT_EQ(config.slots[slot].text, configText) << slot;
    EXPECT_EQ(values.slots[slot].unknownModule, unknown) << slot;
  }
  EXPECT_TRUE(values.AnalogPointsPresent);
  EXPECT_FALSE(DescribeRack(tables, RackTypes{}, false).AnalogPointsPresent);

  const Notice n = UnknownModuleMessage(3);
  EXPECT_EQ(n.title, "Unknown Module: 3");
  EXPECT_EQ(n.text.substr(0, n.text.find("Check")),
            "Module ** 3 ** is not recognized \nby the Ethernet brain or Kestrio.\n\n"
            "You may need updated firmware for the Ethernet brain.\n");
}

TEST_F(RackViewTest, ConfigurationBoxesAndWidening) {
  const RackView config = DescribeRack(tables, rack, true);
  EXPECT_EQ(config.configTexts[0], "Digital Input");
  EXPECT_EQ(config.configTexts[5], "Digital Output");
  EXPECT_EQ(config.configTexts[8], "Volts");
  EXPECT_EQ(config.configTexts[9], "unknown type: 1000");
  EXPECT_EQ(config.configTexts[10], "");
  EXPECT_EQ(config.configTexts[13], "unknown type: FFFFFFFE");
  EXPECT_EQ(config.configTexts[20], "");
  // The first box spans the row for a digital slot (configuration mode) or an unknown second point.
  EXPECT_TRUE(config.slots[0].widenFirstConfig);
  EXPECT_TRUE(config.slots[2].widenFirstConfig);
  EXPECT_FALSE(DescribeRack(tables, rack, false).slots[0].widenFirstConfig);
  rack.RackPointTypes[9] = 64;
  EXPECT_FALSE(DescribeRack(tables, rack, true).slots[2].widenFirstConfig);
}

class PointScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rack.RackModuleTypes[2] = 16;  // points 8..11 analog, the rest digital
    texts.fill("old");
  }
  RackTypes rack;
  PointTexts texts;
};

TEST_F(PointScanTest, AnalogScanFillsAnalogSlotsOnly) {
  EXPECT_EQ(AnalogScanRead().offset, "FFFFF0600000");
  EXPECT_EQ(AnalogScanRead().length, "0100");
  std::string floats;
  for (int p = 0; p < kPoints; ++p) {
    const float v = p == 8 ? 12.34567f : p == 9 ? 0.0f : p == 10 ? kNaN : p == 11 ? -2.0f : 5.0f;
    floats += ToHex(std::bit_cast<std::uint32_t>(v), 8);
  }
  const ScanUpdate u = DecodeAnalogScan(PayloadReader(floats), rack, texts);
  EXPECT_TRUE(u.decoded);
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 7, texts.begin() + 13),
            (std::vector<std::string>{"old", "12.3457", ".", "NAN", "-2.", "old"}));
  EXPECT_EQ(u.written, 0xF00u);
  EXPECT_EQ(u.shown, 0xB00u);  // a value that is not a number leaves its box as it was

  const PointTexts before = texts;
  EXPECT_FALSE(DecodeAnalogScan(PayloadReader(floats.substr(0, 510)), rack, texts).decoded);
  EXPECT_EQ(texts, before);
}

TEST_F(PointScanTest, DigitalScanGivesOneStatePerBitOfDigitalSlots) {
  EXPECT_EQ(DigitalScanRead().offset, "FFFFF0400000");
  EXPECT_EQ(DigitalScanRead().length, "0008");
  // Bits 0 and 5 set; bit 8 belongs to the analog slot; bit 63 is the last point.
  const ScanUpdate u = DecodeDigitalScan(PayloadReader("8000000000000121"), rack, texts);
  EXPECT_TRUE(u.decoded);
  EXPECT_EQ(u.shown, ~std::uint64_t{0xF00});
  EXPECT_EQ(texts[0], "  ON  ");
  EXPECT_EQ(texts[1], "  OFF  ");
  EXPECT_EQ(texts[5], "  ON  ");
  EXPECT_EQ(texts[8], "old");
  EXPECT_EQ(texts[63], "  ON  ");
  EXPECT_FALSE(DecodeDigitalScan(PayloadReader("80000000000001"), rack, texts).decoded);
  EXPECT_FALSE(DecodeDigitalScan(PayloadReader("800000000000012G"), rack, texts).decoded);
}

TEST_F(PointScanTest, RepliesAreMatchedByLabel) {
  const std::string request = test::Hdr(kReadBlockRequest, 5, 0xFFFFF0400000) + "00080000";
  EXPECT_TRUE(ScanLabelsMatch(request, test::Response(kReadBlockResponse, 5, 0, "0000000000000001")));
  EXPECT_FALSE(ScanLabelsMatch(request, test::Response(kReadBlockResponse, 4, 0, "0000000000000001")));
  EXPECT_FALSE(ScanLabelsMatch(request, ""));  // no reply yet
  EXPECT_FALSE(ScanLabelsMatch("", ""));
}

class PointWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tables = ParseModulePointInfo(
        "N,0,In,256\nN,0,Out,384\nAI,16,V,64\nAO-1,24,V,80\nAO-2,25,V,80\nAO-2,25,W,81\n", ui);
    rack.RackModuleTypes = {0, 16, 24, 25};
    rack.RackPointTypes = {256, 384, 384, 5, 64, 64, -1, -1, -1, 80, -1, -1, 81, 80};
    texts.fill("");
    texts[1] = "  ON  ";
  }
  ScriptedPrompter ui;
  ModulePointTables tables;
  RackTypes rack;
  PointTexts texts;
};

TEST_F(PointWriteTest, ClickDecisions) {
  struct Case {
    int point;
    ClickAction action;
    std::optional<std::int32_t> newType;
    const char* newText;
    bool writeDigital;
  };
  const std::vector<Case> cases = {
      {0, ClickAction::RefuseDigitalInput, {}, "", false},
      {1, ClickAction::ToggleDigital, {}, "  OFF  ", true},
      {2, ClickAction::ToggleDigital, {}, "  ON  ", true},
      {3, ClickAction::ToggleDigital, {}, "  ON  ", false},  // neither input nor output: only the text
      {4, ClickAction::AskGainOffset, {}, "", false},
      {8, ClickAction::AnalogOutputEntry, 80, "", false},  // one type listed: the point takes it
      {12, ClickAction::AnalogOutputEntry, {}, "", false},
      {64, ClickAction::None, {}, "", false},
  };
  for (const Case& c : cases) {
    const ClickDecision d = PointClicked(c.point, rack, texts, tables);
    EXPECT_EQ(d.action, c.action) << c.point;
    EXPECT_EQ(d.newPointType, c.newType) << c.point;
    EXPECT_EQ(d.newText, c.newText) << c.point;
    EXPECT_EQ(d.writeDigital, c.writeDigital) << c.point;
  }
}

TEST_F(PointWriteTest, DigitalMasksFromPointTexts) {
  texts[2] = "  OFF  ";
  texts[47] = "  ON  ";
  texts[63] = "  OFF  ";
  texts[5] = " 3.";  // neither mask
  const DigitalWrite one = DigitalPointWrite(2, texts);
  EXPECT_EQ(one.offset, "FFFFF0500000");
  EXPECT_EQ(one.data,
            "0000000000000000"
            "0000000000000004");
  EXPECT_EQ(DigitalPointWrite(kAllPoints, texts).data,
            "0000800000000002"
            "8000000000000004");
  EXPECT_EQ(DigitalPointWrite(5, texts).data, std::string(32, '0'));
  EXPECT_EQ(DigitalPointWrite(65, texts).data, std::string(32, '0'));
}

TEST_F(PointWriteTest, AnalogAndCalibrationRequests) {
  const std::vector<std::tuple<int, const char*, const char*, const char*, const char*>> analog = {
      {9, " 10", "", "FFFFF0B00240", "41200000"},
      {0, "-2.5 V", "", "FFFFF0B00000", "C0200000"},
      {13, " 1", "", "FFFFF0B00340", "3F800000"},
      {14, " 1", "Can't write to points > 1.", "", ""},
      {9, "NAN", "Can't write -- bad float.", "", ""},
      {14, "", "Can't write -- bad float.", "", ""},  // checked before the position
      {64, " 1", "There is no such point; points are 0 to 63.", "", ""},
  };
  for (const auto& [point, text, refusal, offset, data] : analog) {
    const WriteRequest w = AnalogPointWrite(point, text);
    EXPECT_EQ(w.refusal, refusal) << point << text;
    EXPECT_EQ(w.offset, offset) << point << text;
    EXPECT_EQ(w.data, data) << point << text;
  }
  EXPECT_EQ(CalibrationTrigger(5, Calibration::Offset).offset, "FFFFF0E00014");
  EXPECT_EQ(CalibrationTrigger(5, Calibration::Gain).offset, "FFFFF0E00114");
  EXPECT_EQ(CalibrationTrigger(61, Calibration::Gain).offset, "FFFFF0E001F4");
  EXPECT_EQ(CalibrationTrigger(6, Calibration::Offset).refusal, "Can't write to points > 1.");

  EXPECT_EQ(AnalogEntryRange(" 0", " 10"), "Enter Desired Value: Within range:\n 0 to  10");
  EXPECT_EQ(GainOffsetCaption(5, "1.25"), "   POINT #:  5   VALUE:   1.25");
}

}  // namespace
}  // namespace kestrio::points
