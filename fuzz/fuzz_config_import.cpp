// The configuration text file: any bytes a person or another program left in a file. The import
// either refuses (naming a line inside the file, or saying it is no data file) and leaves the
// tables exactly as they were, or gives tables whose saved text imports again to the same text.
//
// Input layout: the whole input is the file's bytes, so the seeds are real saved files.
#include <cstdint>
#include <string>
#include <string_view>

#include "config/config_file.h"
#include "fuzz_input.h"

namespace {

using kestrio::config::ImportResult;
using kestrio::config::StateGlobals;

// Tables with something in them, so a refused or merged import has entries to keep.
const StateGlobals& Base() {
  static const StateGlobals base = [] {
    StateGlobals t;
    t.pointNames[3].name = "kept";
    t.flagNames[12].name = "flag twelve";
    t.states[1] = {1, "Set one", "0000000000000001", "", "", ""};
    t.digitalEvents[2] = {2, 1, 1};
    t.alarms[4].deviationStatus = "Enabled";
    return t;
  }();
  return base;
}

std::size_t LineCount(std::string_view bytes) {
  std::size_t lines = 0;
  for (char c : bytes) lines += c == '\n';
  return lines + (!bytes.empty() && bytes.back() != '\n');
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const ImportResult result = kestrio::config::ReadConfigurationText(Base(), bytes);
  switch (result.outcome) {
    case ImportResult::Outcome::NotADataFile:
      KESTRIO_FUZZ_CHECK(result.message == kestrio::config::kNotValidDataFile);
      KESTRIO_FUZZ_CHECK(result.tables == Base());
      return 0;
    case ImportResult::Outcome::Refused:
      KESTRIO_FUZZ_CHECK(result.line >= 1 && static_cast<std::size_t>(result.line) <= LineCount(bytes));
      KESTRIO_FUZZ_CHECK(EndsWith(result.message, "  Nothing was imported."));
      KESTRIO_FUZZ_CHECK(result.tables == Base());
      return 0;
    case ImportResult::Outcome::Imported:
      break;
  }
  // Whatever was imported saves to a file of our own, which imports again to the same text.
  const std::string saved = kestrio::config::WriteConfigurationText(result.tables);
  const ImportResult again = kestrio::config::ReadConfigurationText(StateGlobals{}, saved);
  KESTRIO_FUZZ_CHECK(again.outcome == ImportResult::Outcome::Imported);
  KESTRIO_FUZZ_CHECK(kestrio::config::WriteConfigurationText(again.tables) == saved);
  return 0;
}
