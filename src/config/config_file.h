#pragma once
// The configuration text file: sections opened by "START: ..." lines with fixed labels and fixed
// line counts, each closed by "END". The file is UTF-8 with CR LF line ends; inside a text a
// backslash is written "\\", a carriage return "\r" and a line feed "\n", so every item stays on
// its line. The reader also takes files of the older single-byte code page (Windows-1252) and
// LF-only line ends.
//
// Import is all or nothing: the whole file is read and checked into a copy of the tables; a
// refusal names the line at fault and leaves the tables as they were.
#include <functional>
#include <string>
#include <string_view>

#include "config/state_tables.h"
#include "protocol/prompter.h"

namespace kestrio::config {

inline constexpr char kNotValidDataFile[] = "File selected was not a valid data file.";

// Every section of the tables, in the fixed order; only defined items get a record section.
std::string WriteConfigurationText(const StateGlobals& tables);

struct ImportResult {
  enum class Outcome { Imported, NotADataFile, Refused };
  Outcome outcome = Outcome::NotADataFile;
  // Imported: `current` with the file's items written over the entries of the same numbers.
  StateGlobals tables;
  // Refused: the 1-based line at fault (the section's header when the file ends inside it).
  int line = 0;
  // NotADataFile and Refused: the text to show.
  std::string message;
};

// Any bytes give a result; memory stays proportional to the input.
ImportResult ReadConfigurationText(const StateGlobals& current, std::string_view bytes);

// Writes `bytes` to `path` as one atomic replacement; false with `error` set when the old file was
// kept. The session passes kestrio::AtomicSave.
using FileWriter = std::function<bool(const std::string& path, std::string_view bytes, std::string& error)>;

// Saves the tables; on failure shows the writer's message and returns false, and the previous file
// is left as it was.
bool SaveConfigurationFile(const StateGlobals& tables, const std::string& path, const FileWriter& write,
                           Prompter& prompter);

// Imports `bytes` into `tables` when the whole file is good and returns true (the caller then marks
// the configuration saved); otherwise shows why, changes nothing and returns false.
bool ImportConfiguration(StateGlobals& tables, std::string_view bytes, Prompter& prompter);

// Reads the file at `path` whole (refusing one above kMaxConfigurationFileBytes) and imports it.
inline constexpr std::size_t kMaxConfigurationFileBytes = 16u << 20;
bool ImportConfigurationFile(StateGlobals& tables, const std::string& path, Prompter& prompter);

}  // namespace kestrio::config
