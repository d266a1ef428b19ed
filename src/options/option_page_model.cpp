#include "options/option_page_model.h"

#include "options/option_texts.h"
#include "options/value_formats.h"
#include "protocol/convert.h"
#include "protocol/hex.h"

namespace kestrio::options {

namespace {

constexpr std::size_t kAddressDigits = 12;

long Quadlets(const OptionRecord& record) { return FieldBytes(record.length) / 4; }

}  // namespace

OptionPageModel::OptionPageModel(std::vector<OptionRecord> records) {
  if (records.size() > static_cast<std::size_t>(kMaxOptions)) records.resize(kMaxOptions);
  rows_.reserve(records.size());
  for (OptionRecord& record : records) {
    OptionRow row;
    row.writable = IsWritable(record.access);
    row.hasControls = !record.address.empty();
    row.addressShown = record.address;
    row.record = std::move(record);
    rows_.push_back(std::move(row));
  }
}

OptionRow* OptionPageModel::Find(int row) {
  if (row < 0 || row >= Count()) return nullptr;
  return &rows_[static_cast<std::size_t>(row)];
}

void OptionPageModel::SetValue(int row, std::string text) {
  if (OptionRow* r = Find(row)) r->value = std::move(text);
}

void OptionPageModel::SetTicked(int row, bool ticked) {
  OptionRow* r = Find(row);
  if (r == nullptr || !r->hasControls) return;
  r->ticked = ticked;
  if (ticked && IsAtFormat(r->record.format)) r->value = r->record.format;
}

void OptionPageModel::SelectAll() {
  for (int i = 0; i < Count(); ++i) SetTicked(i, true);
}

void OptionPageModel::ClearAll() {
  for (int i = 0; i < Count(); ++i) SetTicked(i, false);
}

const char* OptionPageModel::Caption() const { return showMore_ ? text::kHeadingMore : text::kHeadingValues; }

std::vector<ReadItem> OptionPageModel::ReadPlan() {
  std::vector<ReadItem> plan;
  for (int i = 0; i < Count(); ++i) {
    OptionRow& r = rows_[static_cast<std::size_t>(i)];
    if (!r.hasControls) continue;
    const std::string cleaned = StrippedHex(r.record.address);
    if (cleaned.size() == kAddressDigits) {
      r.state = ReadState::NotRead;
      r.addressShown = cleaned;
      plan.push_back({i, cleaned, Quadlets(r.record)});
    } else {
      r.state = ReadState::InvalidAddress;
      r.addressShown = text::kInvalidAddress + cleaned;
    }
  }
  return plan;
}

void OptionPageModel::ApplyRead(int row, bool ok, std::string_view digits) {
  OptionRow* r = Find(row);
  if (r == nullptr || !r->hasControls || r->state == ReadState::InvalidAddress) return;
  r->value = PrettyData(digits, r->record.format);
  const long quadlets = Quadlets(r->record);
  const bool whole = quadlets > 0 && digits.size() == static_cast<std::size_t>(quadlets) * 8 &&
                     StrippedHex(digits).size() == digits.size();
  r->state = ok && whole ? ReadState::Read : ReadState::Failed;
}

WritePlan OptionPageModel::PlanWrite(Prompter& ui) const {
  WritePlan plan;
  for (int i = 0; i < Count(); ++i) {
    const OptionRow& r = rows_[static_cast<std::size_t>(i)];
    if (!r.ticked) continue;
    if (!r.writable || r.state != ReadState::Read) {
      plan.skipped.push_back(i);
      continue;
    }
    const long quadlets = Quadlets(r.record);
    // The field as read: a length that is not a whole number of quadlets loses its last bytes,
    // because the write pads to a quadlet and would otherwise run into the next field.
    std::optional<std::string> digits = MemMapFormat(r.value, r.record.format, quadlets * 4, ui);
    if (!digits) {
      ui.Message(FieldErrorMessage(r.record));
      plan.refused.push_back(i);
      continue;
    }
    plan.writes.push_back({i, r.addressShown, quadlets, std::move(*digits)});
  }
  return plan;
}

std::string OptionPageModel::StoreMessage(bool stored, const WritePlan& plan) {
  std::string message = stored ? text::kStoreComplete : text::kStoreFailed;
  if (!plan.skipped.empty()) {
    message += text::kSkippedPrefix + NumberText(static_cast<std::int64_t>(plan.skipped.size())) +
               text::kSkippedSuffix;
  }
  return message;
}

std::string OptionPageModel::FieldErrorMessage(const OptionRecord& record) {
  return text::kFieldErrorPrefix + NumberText(record.number) + text::kFieldErrorMiddle + record.label +
         text::kFieldErrorSuffix;
}

}  // namespace kestrio::options
