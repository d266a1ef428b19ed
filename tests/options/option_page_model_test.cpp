#include "options/option_page_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/option_texts.h"

namespace kestrio::options {
namespace {

class OptionPageModelTest : public ::testing::Test {
 protected:
  // Reads every planned row: digits[row], or a failure where they are empty.
  void ReadAll() {
    for (const ReadItem& item : page.ReadPlan()) {
      plan += std::to_string(item.row) + " " + item.address + " " + std::to_string(item.quadlets) + "|";
      const std::string& d = digits[static_cast<std::size_t>(item.row)];
      page.ApplyRead(item.row, !d.empty(), d);
    }
  }

  OptionPageModel page{
      ParseOptionPage("Name, FFFFF0100000, String, RW, 8\n"    // 0
                      "Count, FFFF-F010-0008, Int, RW, 4\n"    // 1
                      "Ratio, FFFFF0100010, Float, RW, 8\n"    // 2
                      "Rate, FFFFF0100018, Float, RW, 4\n"     // 3
                      "Enabled, FFFFF010001C, YesNo, RW, 4\n"  // 4
                      "Modem, FFFFF0100020, ATZ, W, 4\n"       // 5
                      "Port, FFFFF0100024, Int, R, 4\n"        // 6
                      "Broken, FFFF0100, Int, RW, 4\n"         // 7
                      "Heading\n"                              // 8
                      "Odd, FFFFF0100028, String, RW, 6\n")};  // 9
  std::vector<std::string> digits = {
      "4142430000000000", "00000064", "3F0000003F000000", "3F000000", "", "41545A00", "000007D1", "", "",
      "41420000"};
  std::string plan;
  ScriptedPrompter ui;
};

TEST_F(OptionPageModelTest, ReadPlanAndDisplay) {
  ReadAll();
  EXPECT_EQ(plan,
            "0 FFFFF0100000 2|1 FFFFF0100008 1|2 FFFFF0100010 2|3 FFFFF0100018 1|4 FFFFF010001C 1|"
            "5 FFFFF0100020 1|6 FFFFF0100024 1|9 FFFFF0100028 1|");
  const std::vector<std::string> shown = {"ABC", "100", text::kFloatNot4Bytes, "0.5", "No", "ATZ", "2001", "",
                                          "",    "AB"};
  for (int i = 0; i < page.Count(); ++i) EXPECT_EQ(page.Rows()[i].value, shown[i]) << i;
  EXPECT_EQ(page.Rows()[7].addressShown, "<invalid:>FFFF0100");
  EXPECT_EQ(page.Rows()[7].state, ReadState::InvalidAddress);
  EXPECT_EQ(page.Rows()[4].state, ReadState::Failed);
  EXPECT_FALSE(page.Rows()[8].hasControls);
  page.ApplyRead(0, true, "41424300");  // fewer digits than the field
  page.ApplyRead(1, true, "0000000G");
  EXPECT_EQ(page.Rows()[0].state, ReadState::Failed);
  EXPECT_EQ(page.Rows()[1].state, ReadState::Failed);
}

TEST_F(OptionPageModelTest, TicksAndView) {
  page.SetTicked(5, true);
  EXPECT_EQ(page.Rows()[5].value, "ATZ");  // capitals AT: the format is the value
  page.SetValue(3, "2.5");
  page.SetTicked(3, true);
  EXPECT_EQ(page.Rows()[3].value, "2.5");  // "Float" only holds "at"
  page.SelectAll();
  for (const OptionRow& r : page.Rows())
    EXPECT_EQ(r.ticked, r.hasControls) << r.record.label;  // read-only too
  page.ClearAll();
  for (const OptionRow& r : page.Rows()) EXPECT_FALSE(r.ticked) << r.record.label;
  EXPECT_STREQ(page.Caption(), text::kHeadingValues);
  page.ToggleView();
  EXPECT_STREQ(page.Caption(), text::kHeadingMore);
}

TEST_F(OptionPageModelTest, WriteOnlyWhatWasReadAndFits) {
  ReadAll();
  page.SelectAll();
  for (auto [row, value] : {std::pair{0, "abcdefg"}, {1, "-1"}, {2, "1.5"}, {3, "-2"}, {9, "abcd"}})
    page.SetValue(row, value);
  const WritePlan written = page.PlanWrite(ui);
  std::string got;
  for (const WriteItem& w : written.writes)
    got += std::to_string(w.row) + " " + w.address + " " + std::to_string(w.quadlets) + " " + w.digits + "|";
  EXPECT_EQ(got, "0 FFFFF0100000 2 6162636465666700|3 FFFFF0100018 1 C0000000|5 FFFFF0100020 1 41545A00|");
  // -1 as an Int and a Float in 8 bytes: only the row's message. The 6-byte field is written as
  // its one whole quadlet, which "abcd" and its zero byte overrun.
  EXPECT_EQ(ui.Messages(), (std::vector<std::string>{
                               "Error on field 2; 'Count' not sent.", "Error on field 3; 'Ratio' not sent.",
                               "Error! String: 'abcd' too long.", "Error on field 10; 'Odd' not sent."}));
  EXPECT_EQ(written.refused, (std::vector<int>{1, 2, 9}));
  EXPECT_EQ(written.skipped, (std::vector<int>{4, 6, 7}));  // read failed, read-only, invalid address
  EXPECT_EQ(OptionPageModel::StoreMessage(true, written),
            "EEPROM Store complete.\nSkipped 3 ticked row(s): read-only, invalid address or not read "
            "successfully.");
  EXPECT_EQ(OptionPageModel::StoreMessage(false, WritePlan{}), "EEPROM Store not successful.");
}

}  // namespace
}  // namespace kestrio::options
