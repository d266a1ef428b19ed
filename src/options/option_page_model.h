#pragma once
// What an option page shows and does, without controls: the rows with their values, Write ticks
// and read state, the reads to make, the display of what was read, the writes to make from the
// typed values, and the final message. The page window and the command-line tool fill in and
// carry out these plans; the transfers themselves are theirs.
//
// A row reads and writes Length/4 whole quadlets (a fraction dropped) at its 12-digit address.
// Only a ticked row that is writable and was read successfully since its last read plan is
// written, so a value never shown is never sent back.
#include <string>
#include <string_view>
#include <vector>

#include "options/option_page_file.h"
#include "protocol/prompter.h"

namespace kestrio::options {

// The largest block a page's reads and writes use, in bytes; both go as block transactions.
inline constexpr double kPageBlockBytes = 1000;

enum class ReadState {
  NotRead,         // no read yet, or the read planned is not done
  Read,            // read in full; the value box shows what was read
  Failed,          // the transfer failed or gave fewer digits than asked for
  InvalidAddress,  // the address is not 12 hex digits once cleaned; never read
};

struct OptionRow {
  OptionRecord record;
  bool writable = false;     // from the access text, fixed when the page is loaded
  bool hasControls = false;  // a row with no address shows only its number and label
  std::string value;         // the value box
  bool ticked = false;       // the Write box
  ReadState state = ReadState::NotRead;
  std::string addressShown;  // the address box
};

struct ReadItem {
  int row = 0;          // index into Rows()
  std::string address;  // 12 hex digits
  long quadlets = 0;    // may be 0: the transfer refuses that itself
};

struct WriteItem {
  int row = 0;
  std::string address;  // 12 hex digits
  long quadlets = 0;
  std::string digits;  // upper-case hex, never more than quadlets * 4 bytes
};

struct WritePlan {
  std::vector<WriteItem> writes;
  std::vector<int> refused;  // ticked rows whose value could not be encoded (each has had its message)
  std::vector<int> skipped;  // ticked rows not writable, without a valid address or not read
};

class OptionPageModel {
 public:
  explicit OptionPageModel(std::vector<OptionRecord> records);

  const std::vector<OptionRow>& Rows() const { return rows_; }
  int Count() const { return static_cast<int>(rows_.size()); }

  // Operator edits. Out-of-range rows are ignored, and so are ticks on rows without controls.
  void SetValue(int row, std::string text);
  // Ticking a row whose format holds the capitals "AT" puts the format text in its value box.
  void SetTicked(int row, bool ticked);
  // Tick or untick every row that has a Write box, read-only rows included: they are skipped
  // when written.
  void SelectAll();
  void ClearAll();

  // The extra columns (address, format, access, length) and the caption heading that goes with them.
  bool ShowMore() const { return showMore_; }
  void ToggleView() { showMore_ = !showMore_; }
  const char* Caption() const;

  // The reads of "&Read", one per row with an address, in row order. Cleans every address for
  // its box; a row whose address is not 12 digits is marked InvalidAddress and not read.
  std::vector<ReadItem> ReadPlan();
  // The outcome of one planned read: the value box shows what PrettyData makes of `digits` (also
  // of a failure text), and the row counts as read only when `ok` and all digits came.
  void ApplyRead(int row, bool ok, std::string_view digits);

  // The writes of "&Write" in row order. A ticked row whose value is refused gets its message
  // ("Error on field ...") through `ui` here, after any message of the format itself.
  WritePlan PlanWrite(Prompter& ui) const;

  // The message after the store command (memory_map::kCommand, DeviceCommand::StoreToEeprom),
  // which follows the writes even when some were refused: complete or not successful, and how
  // many ticked rows were skipped when there were any.
  static std::string StoreMessage(bool stored, const WritePlan& plan);
  // "Error on field" + NumberText(number) + "; '" + label + "' not sent."
  static std::string FieldErrorMessage(const OptionRecord& record);

 private:
  OptionRow* Find(int row);

  std::vector<OptionRow> rows_;
  bool showMore_ = false;
};

}  // namespace kestrio::options
