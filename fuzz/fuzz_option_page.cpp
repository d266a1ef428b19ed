// An option page file as any text, then a page session on it: reads with arbitrary outcomes,
// typed values and ticks. At most 56 rows numbered in order; a write goes only to a ticked,
// writable row that was read in full, at its 12-digit address, with hex digits that fit its field;
// every ticked row is written, refused with its message, or skipped.
//
// Input layout: the page text up to a zero byte; then per planned read one byte (bit 0: the read
// succeeded, bit 1: digits of the right length) and the digits' bytes; then one typed value per
// row, each ended by a zero byte; the byte after that picks the ticks.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "options/option_page_model.h"
#include "protocol/hex.h"

namespace {

using kestrio::fuzz::FuzzInput;
using namespace kestrio::options;

bool UpperHex(const std::string& digits) {
  for (char c : digits)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  std::vector<OptionRecord> records = ParseOptionPage(in.Until('\0'));
  KESTRIO_FUZZ_CHECK(records.size() <= static_cast<std::size_t>(kMaxOptions));
  for (std::size_t i = 0; i < records.size(); ++i)
    KESTRIO_FUZZ_CHECK(records[i].number == static_cast<int>(i) + 1);

  OptionPageModel page(std::move(records));
  for (const ReadItem& item : page.ReadPlan()) {
    KESTRIO_FUZZ_CHECK(item.address.size() == 12 && kestrio::StrippedHex(item.address) == item.address);
    const std::uint8_t how = in.Byte();
    // Digits of the size asked for (bounded, so a huge field stays cheap), or whatever text follows.
    std::string digits;
    if ((how & 2) != 0 && item.quadlets <= 64) {
      for (long i = 0; i < item.quadlets * 4; ++i) digits += kestrio::ToHex(in.Byte(), 2);
    } else {
      digits = std::string(in.Text(how >> 2));
    }
    page.ApplyRead(item.row, (how & 1) != 0, digits);
  }
  for (int i = 0; i < page.Count(); ++i) page.SetValue(i, std::string(in.Until('\0')));
  const std::uint8_t ticks = in.Byte();
  if (ticks & 1) page.SelectAll();
  for (int i = 0; i < page.Count(); ++i)
    if ((ticks >> (1 + i % 7)) & 1) page.SetTicked(i, !page.Rows()[static_cast<std::size_t>(i)].ticked);

  kestrio::ScriptedPrompter ui;
  const WritePlan plan = page.PlanWrite(ui);
  std::size_t ticked = 0;
  for (const OptionRow& r : page.Rows()) ticked += r.ticked ? 1 : 0;
  KESTRIO_FUZZ_CHECK(plan.writes.size() + plan.refused.size() + plan.skipped.size() == ticked);
  KESTRIO_FUZZ_CHECK(ui.Messages().size() >= plan.refused.size());
  for (const WriteItem& w : plan.writes) {
    const OptionRow& r = page.Rows()[static_cast<std::size_t>(w.row)];
    KESTRIO_FUZZ_CHECK(r.ticked && r.writable && r.state == ReadState::Read);
    KESTRIO_FUZZ_CHECK(w.address.size() == 12 && kestrio::StrippedHex(w.address) == w.address);
    KESTRIO_FUZZ_CHECK(!w.digits.empty() && w.digits.size() % 2 == 0 && UpperHex(w.digits));
    KESTRIO_FUZZ_CHECK(static_cast<long>(w.digits.size() / 2) <= w.quadlets * 4);
  }
  for (int row : plan.skipped) {
    const OptionRow& r = page.Rows()[static_cast<std::size_t>(row)];
    KESTRIO_FUZZ_CHECK(!r.writable || r.state != ReadState::Read);
  }
  return 0;
}
