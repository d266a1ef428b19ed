#include "options/option_page_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/option_texts.h"

namespace kestrio::options {
namespace {

class OptionPageModelTest : public ::testing::Test {
 protected:
  OptionPageModelTest()
      : page(ParseOptionPage("' test page\n"
                             "Name, FFFFF0100000, String, RW, 8\n"          // 0
                             "Count, FFFF-F010-0008, Int, RW, 4\n"          // 1
                             "Ratio, FFFFF0100010, Float, RW, 8\n"          // 2
                             "Rate, FFFFF0100018, Float, RW, 4\n"           // 3
                             "Enabled, FFFFF010001C, YesNo, RW, 4\n"        // 4
                             "Modem, FFFFF0100020, ATZ, W, 4\n"             // 5
                             "Port, FFFFF0100024, Int, R, 4\n"              // 6
                             "Broken, FFFF0100, Int, RW, 4\n"               // 7
                             "Heading\n"                                    // 8
                             "Odd, FFFFF0100028, String, RW, 6\n")) {}      // 9

  // Reads every planned row with `digits`, or as a failure where they are empty.
  void ReadAll(const std::vector<std::string>& digits) {
    for (const ReadItem& item : page.ReadPlan()) {
      const std::string& d = digits[static_cast<std::size_t>(item.row)];
      page.ApplyRead(item.row, !d.empty(), d);
    }
  }

  std::vector<std::string> Written(const WritePlan& plan) {
    std::vector<std::string> out;
    for (const WriteItem& w : plan.writes)
      out.push_back(std::to_string(w.row) + " " + w.address + " " + std::to_string(w.quadlets) + " " + w.digits);
    return out;
  }

  OptionPageModel page;
  ScriptedPrompter ui;
  const std::vector<std::string> digits = {"4142430000000000", "00000064", "3F0000003F000000", "3F000000",
                                           "00000001", "41545A00", "000007D1", "", "", "41420000"};
};

TEST_F(OptionPageModelTest, ReadPlanAndDisplay) {
  const std::vector<ReadItem> plan = page.ReadPlan();
  std::vector<std::string> got;
  for (const ReadItem& r : plan) got.push_back(std::to_string(r.row) + " " + r.address + " " + std::to_string(r.quadlets));
  EXPECT_EQ(got, (std::vector<std::string>{"0 FFFFF0100000 2", "1 FFFFF0100008 1", "2 FFFFF0100010 2",
                                           "3 FFFFF0100018 1", "4 FFFFF010001C 1", "5 FFFFF0100020 1",
                                           "6 FFFFF0100024 1", "9 FFFFF0100028 1"}));
  EXPECT_EQ(page.Rows()[1].addressShown, "FFFFF0100008");
  EXPECT_EQ(page.Rows()[7].addressShown, "<invalid:>FFFF0100");
  EXPECT_EQ(page.Rows()[7].state, ReadState::InvalidAddress);
  EXPECT_FALSE(page.Rows()[8].hasControls);

  for (const ReadItem& item : plan) page.ApplyRead(item.row, true, digits[static_cast<std::size_t>(item.row)]);
  const std::vector<std::string> shown = {"ABC", "100", text::kFloatNot4Bytes, "0.5", "Yes", "ATZ", "2001", "", "", "AB"};
  for (int i = 0; i < page.Count(); ++i) EXPECT_EQ(page.Rows()[i].value, shown[i]) << i;
  EXPECT_EQ(page.Rows()[0].state, ReadState::Read);

  // A failure keeps what PrettyData makes of the failure text; too few digits is a failure too.
  page.ApplyRead(1, false, "");
  EXPECT_EQ(page.Rows()[1].value, text::kIntNot4Bytes);
  EXPECT_EQ(page.Rows()[1].state, ReadState::Failed);
  page.ApplyRead(0, true, "41424300");
  EXPECT_EQ(page.Rows()[0].state, ReadState::Failed);
  page.ApplyRead(4, true, "0000000G");
  EXPECT_EQ(page.Rows()[4].state, ReadState::Failed);
}

TEST_F(OptionPageModelTest, TicksViewAndCaption) {
  page.SetTicked(5, true);
  EXPECT_EQ(page.Rows()[5].value, "ATZ");  // capitals AT: the format is the value
  page.SetValue(3, "2.5");
  page.SetTicked(3, true);
  EXPECT_EQ(page.Rows()[3].value, "2.5");  // "Float" only holds "at"
  page.SetTicked(8, true);
  page.SetTicked(99, true);
  EXPECT_FALSE(page.Rows()[8].ticked);

  page.SelectAll();
  for (const OptionRow& r : page.Rows()) EXPECT_EQ(r.ticked, r.hasControls) << r.record.label;
  EXPECT_TRUE(page.Rows()[6].ticked);  // read-only rows too
  page.ClearAll();
  for (const OptionRow& r : page.Rows()) EXPECT_FALSE(r.ticked) << r.record.label;

  EXPECT_STREQ(page.Caption(), text::kHeadingValues);
  page.ToggleView();
  EXPECT_TRUE(page.ShowMore());
  EXPECT_STREQ(page.Caption(), text::kHeadingMore);
}

TEST_F(OptionPageModelTest, WriteOnlyWhatWasReadAndFits) {
  ReadAll(digits);
  page.ApplyRead(4, false, "");  // Enabled: its read failed
  page.SelectAll();
  page.SetValue(0, "abcdefg");
  page.SetValue(1, "70000");
  page.SetValue(2, "1.5");
  page.SetValue(3, "-2");
  page.SetValue(9, "abcd");

  const WritePlan plan = page.PlanWrite(ui);
  EXPECT_EQ(Written(plan), (std::vector<std::string>{"0 FFFFF0100000 2 61626364656667" "00",
                                                    "1 FFFFF0100008 1 00011170", "3 FFFFF0100018 1 C0000000",
                                                    "5 FFFFF0100020 1 41545A00"}));
  // Float in 8 bytes: only the row's message. "abcd" with its zero byte needs 5 bytes, and the
  // 6-byte field has only one whole quadlet, so it is refused with the String message first.
  EXPECT_EQ(ui.Messages(), (std::vector<std::string>{"Error on field 3; 'Ratio' not sent.",
                                                     "Error! String: 'abcd' too long.",
                                                     "Error on field 10; 'Odd' not sent."}));
  EXPECT_EQ(plan.refused, (std::vector<int>{2, 9}));
  EXPECT_EQ(plan.skipped, (std::vector<int>{4, 6, 7}));  // not read, read-only, invalid address
  EXPECT_EQ(OptionPageModel::StoreMessage(true, plan), std::string(text::kStoreComplete) +
                                                           "\nSkipped 3 ticked row(s): read-only, invalid "
                                                           "address or not read successfully.");
  EXPECT_EQ(OptionPageModel::StoreMessage(false, WritePlan{}), text::kStoreFailed);
}

TEST_F(OptionPageModelTest, RefusedValuesAreNotWritten) {
  ReadAll(digits);
  const std::pair<int, std::string> refused[] = {
      {1, "4294967296"}, {1, "-1"}, {1, "ten"}, {4, "1"}, {0, "abcdefgh"}, {3, "1e39"}};
  for (const auto& [row, value] : refused) {
    ui.Clear();
    page.ClearAll();
    page.SetValue(row, value);
    page.SetTicked(row, true);
    const WritePlan plan = page.PlanWrite(ui);
    EXPECT_TRUE(plan.writes.empty()) << value;
    ASSERT_FALSE(ui.Messages().empty()) << value;
    EXPECT_EQ(ui.Messages().back(), OptionPageModel::FieldErrorMessage(page.Rows()[row].record)) << value;
  }
}

}  // namespace
}  // namespace kestrio::options
