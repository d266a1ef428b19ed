#include "config/config_file.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <vector>

#include "config/mask.h"
#include "config/numbers.h"
#include "config/utf8_text.h"
#include "protocol/convert.h"
#include "protocol/hex.h"

namespace kestrio::config {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kEnd = "END";
constexpr std::string_view kPointsHeader = "START: DIGITAL POINTS";
constexpr std::string_view kFlagsHeader = "START: FLAGS";
constexpr std::string_view kDisabled = "Disabled";
// A name line: "." and the number right-aligned in three, then ":  "; the name starts after it.
constexpr std::size_t kNamePrefixLength = 7;
constexpr std::size_t kMaskDigits = 16;

// ---- The grammar, written once: each record section as its labelled lines in order. ----

enum class Kind {
  Number,          // "Number:  " and the item's index; selects the entry
  Text,            // label and the field's text
  Status,          // as Text; an empty status is written "Disabled"
  Mask,            // label and 16 hex digits; the reader takes the line's last 16 characters
  StateRef,        // label and the blank-led set number
  StateRefFramed,  // label and the blank-led set number and one blank
  Fixed,           // the label alone ("Deviation:"), read and ignored
};

template <class R>
struct Line {
  std::string_view label;
  Kind kind;
  std::string R::*text = nullptr;
  std::int16_t R::*ref = nullptr;
};

template <class R, std::size_t N>
struct Section {
  std::string_view header;
  std::array<Line<R>, N> lines;
};

using A = AlarmRecord;
constexpr Section<A, 21> kAlarmSection{"START: ALARM",
                                       {{{"Number:  ", Kind::Number},
                                         {"Deviation:", Kind::Fixed},
                                         {"Status:  ", Kind::Status, &A::deviationStatus},
                                         {"Deviation Limt:  ", Kind::Text, &A::deviationLimit},
                                         {"Mid Range:  ", Kind::Text, &A::midRange},
                                         {"Flags ON:  ", Kind::Mask, &A::deviationFlagsOn},
                                         {"Flags OFF:  ", Kind::Mask, &A::deviationFlagsOff},
                                         {"High:", Kind::Fixed},
                                         {"Status:  ", Kind::Status, &A::highStatus},
                                         {"Limt:  ", Kind::Text, &A::highLimit},
                                         {"Dead Band:  ", Kind::Text, &A::highDeadBand},
                                         {"Flags ON:  ", Kind::Mask, &A::highFlagsOn},
                                         {"Flags OFF:  ", Kind::Mask, &A::highFlagsOff},
                                         {"Low:", Kind::Fixed},
                                         {"Status:  ", Kind::Status, &A::lowStatus},
                                         {"Limt:  ", Kind::Text, &A::lowLimit},
                                         {"Dead Band:  ", Kind::Text, &A::lowDeadBand},
                                         {"Flags ON:  ", Kind::Mask, &A::lowFlagsOn},
                                         {"Flags OFF:  ", Kind::Mask, &A::lowFlagsOff},
                                         {"Address to Check:  ", Kind::Text, &A::addressToCheck},
                                         {"Float?:  ", Kind::Text, &A::isFloat}}}};

using M = EventMessageRecord;
constexpr Section<M, 15> kMessageSection{"START: MESSAGE",
                                         {{{"Number:  ", Kind::Number},
                                           {"Name:  ", Kind::Text, &M::name},
                                           {"Priority:  ", Kind::Text, &M::priority},
                                           {"E-Mail Status:  ", Kind::Text, &M::emailStatus},
                                           {"E-Mail Period:  ", Kind::Text, &M::emailPeriod},
                                           {"Serial Status:  ", Kind::Text, &M::serialStatus},
                                           {"Serial PortMask:  ", Kind::Text, &M::serialPortMask},
                                           {"SNMP Status:  ", Kind::Text, &M::snmpStatus},
                                           {"Trap Type:  ", Kind::Text, &M::trapType},
                                           {"Trap Period:  ", Kind::Text, &M::trapPeriod},
                                           {"Stream Packets:  ", Kind::Text, &M::streamPackets},
                                           {"Stream Period:  ", Kind::Text, &M::streamPeriod},
                                           {"Flags ON:  ", Kind::Mask, &M::flagsOn},
                                           {"Flags OFF:  ", Kind::Mask, &M::flagsOff},
                                           {"Message Text:  ", Kind::Text, &M::messageText}}}};

using S = SerialEventRecord;
constexpr Section<S, 9> kSerialSection{"START: SERIAL EVENT",
                                       {{{"Number:  ", Kind::Number},
                                         {"Pattern String:  ", Kind::Text, &S::patternString},
                                         {"Resulting String:  ", Kind::Text, &S::resultingString},
                                         {"Port Mask:  ", Kind::Text, &S::portMask},
                                         {"Flags ON:  ", Kind::Mask, &S::flagsOn},
                                         {"Flags OFF:  ", Kind::Mask, &S::flagsOff},
                                         {"Trap Type:  ", Kind::Text, &S::trapType},
                                         {"Trap Period:  ", Kind::Text, &S::trapPeriod},
                                         {"Priority:  ", Kind::Text, &S::priority}}}};

using T = TimerRecord;
constexpr Section<T, 4> kTimerSection{"START: TIMER",
                                      {{{"Number:  ", Kind::Number},
                                        {"Timer Input State:", Kind::StateRef, nullptr, &T::inputState},
                                        {"Timer Output State:", Kind::StateRef, nullptr, &T::outputState},
                                        {"Timer Preset:  ", Kind::Text, &T::preset}}}};

using St = StateRecord;
constexpr Section<St, 6> kStateSection{"START: STATE",
                                       {{{"Number:  ", Kind::Number},
                                         {"Name:  ", Kind::Text, &St::name},
                                         {"Digital Points ON:  ", Kind::Mask, &St::digitalOn},
                                         {"Digital Points OFF:  ", Kind::Mask, &St::digitalOff},
                                         {"Flags ON:  ", Kind::Mask, &St::flagsOn},
                                         {"Flags OFF:  ", Kind::Mask, &St::flagsOff}}}};

using D = DigitalEventRecord;
constexpr Section<D, 3> kTransitionSection{
    "START: TRANSITION",
    {{{"Number:  ", Kind::Number},
      {"Event State:", Kind::StateRefFramed, nullptr, &D::eventState},
      {"Reaction State:", Kind::StateRefFramed, nullptr, &D::reactionState}}}};

// ---- Texts inside lines ----

// Backslash, CR and LF are the only characters escaped, so a file without them reads as before.
std::string Escape(std::string_view text) {
  const std::string valid = ToValidUtf8(text);
  std::string out;
  out.reserve(valid.size());
  for (char c : valid) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (next == '\\' || next == 'r' || next == 'n') {
        out += next == '\\' ? '\\' : next == 'r' ? '\r' : '\n';
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// ---- Writer ----

void PutLine(std::string& out, std::string_view a, std::string_view b = {}) {
  out.append(a);
  out.append(b);
  out.append(kEol);
}

std::string RightAligned3(int i) {
  const std::string text = "   " + NumberText(i);
  return text.substr(text.size() - 3);
}

template <class R, std::size_t N>
void WriteRecord(std::string& out, const Section<R, N>& section, const R& record, int index) {
  PutLine(out, section.header);
  for (const Line<R>& line : section.lines) {
    switch (line.kind) {
      case Kind::Number:
        PutLine(out, line.label, std::to_string(index));
        break;
      case Kind::Text:
        PutLine(out, line.label, Escape(record.*line.text));
        break;
      case Kind::Status: {
        const std::string& status = record.*line.text;
        PutLine(out, line.label, status.empty() ? std::string(kDisabled) : Escape(status));
        break;
      }
      case Kind::Mask:
        PutLine(out, line.label, NormalizedMask(record.*line.text));
        break;
      case Kind::StateRef:
        PutLine(out, line.label, NumberText(record.*line.ref));
        break;
      case Kind::StateRefFramed:
        PutLine(out, line.label, NumberText(record.*line.ref) + " ");
        break;
      case Kind::Fixed:
        PutLine(out, line.label);
        break;
    }
  }
  PutLine(out, kEnd);
}

template <std::size_t N>
void WriteNames(std::string& out, std::string_view header, const std::array<NameRecord, N>& names) {
  PutLine(out, header);
  for (int i = 0; i < static_cast<int>(N); ++i) {
    PutLine(out, "." + RightAligned3(i) + ":  ", Escape(names[i].name));
  }
  PutLine(out, kEnd);
}

// ---- Reader ----

struct Refusal {
  int line = 0;
  std::string message;
};

std::string SectionWord(std::string_view header) { return std::string(header.substr(7)); }

Refusal Refuse(std::size_t index, std::string reason) {
  return {static_cast<int>(index) + 1, "Line " + std::to_string(index + 1) +
                                           " of the file: " + std::move(reason) + "  Nothing was imported."};
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The number as written, quoted in a refusal; a long line is cut so the message stays readable.
std::string Quoted(std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  const std::string_view shown = FirstChars(trimmed, 20);
  return "\"" + std::string(shown) + (shown.size() < trimmed.size() ? "...\"" : "\"");
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

class Reader {
 public:
  Reader(const StateGlobals& current, const std::vector<std::string_view>& lines)
      : tables_(current), lines_(lines) {}

  // Runs over the whole file; false with `refusal_` set at the first line that is wrong.
  bool Run() {
    for (at_ = 0; at_ < lines_.size();) {
      const std::string_view line = lines_[at_];
      const std::size_t header = at_++;
      bool ok = true;
      // The headers are tested in this order and anywhere in the line, as files have always been read.
      if (Contains(line, kPointsHeader)) {
        ok = ReadNames(header, kPointsHeader, tables_.pointNames);
      } else if (Contains(line, kFlagsHeader)) {
        ok = ReadNames(header, kFlagsHeader, tables_.flagNames);
      } else if (Contains(line, kAlarmSection.header)) {
        ok = ReadRecord(header, kAlarmSection, tables_.alarms, kAlarmCount);
      } else if (Contains(line, kMessageSection.header)) {
        ok = ReadRecord(header, kMessageSection, tables_.eventMessages, kEventMessageCount);
      } else if (Contains(line, kSerialSection.header)) {
        ok = ReadRecord(header, kSerialSection, tables_.serialEvents, kSerialEventCount);
      } else if (Contains(line, kTimerSection.header)) {
        ok = ReadRecord(header, kTimerSection, tables_.timers, kTimerCount);
      } else if (Contains(line, kTransitionSection.header)) {
        ok = ReadRecord(header, kTransitionSection, tables_.digitalEvents, kUsableDigitalEvents);
      } else if (Contains(line, kStateSection.header)) {
        ok = ReadRecord(header, kStateSection, tables_.states, kUsableStates);
      } else {
        continue;
      }
      if (!ok) return false;
      foundSection_ = true;
    }
    return true;
  }

  bool FoundSection() const { return foundSection_; }
  const Refusal& Refused() const { return refusal_; }
  StateGlobals& Tables() { return tables_; }

 private:
  static bool Contains(std::string_view line, std::string_view header) {
    return line.find(header) != std::string_view::npos;
  }

  // The next content line of the section opened at `header`; false when the file ends first.
  bool Next(std::size_t header, std::string_view headerText, std::string_view& line) {
    if (at_ >= lines_.size()) {
      refusal_ = {static_cast<int>(header) + 1, "The file ends inside the " + SectionWord(headerText) +
                                                    " section that starts on line " +
                                                    std::to_string(header + 1) + ".  Nothing was imported."};
      return false;
    }
    line = lines_[at_++];
    return true;
  }

  bool ReadEnd(std::size_t header, std::string_view headerText) {
    std::string_view line;
    if (!Next(header, headerText, line)) return false;
    if (TrimBlanks(line) != kEnd) {
      refusal_ = Refuse(at_ - 1, "\"END\" expected after the " + SectionWord(headerText) + " section.");
      return false;
    }
    return true;
  }

  template <std::size_t N>
  bool ReadNames(std::size_t header, std::string_view headerText, std::array<NameRecord, N>& names) {
    // Read into a copy first: entries are only taken once the section is known to be whole.
    std::array<NameRecord, N> read = names;
    for (std::size_t k = 0; k < N; ++k) {
      std::string_view line;
      if (!Next(header, headerText, line)) return false;
      if (!IsNameLine(line)) {
        refusal_ = Refuse(at_ - 1, "a name line such as \".  5:  name\" expected in the " +
                                       SectionWord(headerText) + " section.");
        return false;
      }
      // A line of the number and ":  " alone leaves the name as it was; names are never cleared here.
      if (CharCount(line) > kNamePrefixLength) read[k].name = Unescape(DropChars(line, kNamePrefixLength));
    }
    if (!ReadEnd(header, headerText)) return false;
    names = read;
    return true;
  }

  // "." then three characters of blanks and digits, then ":"; the number itself is not read.
  static bool IsNameLine(std::string_view line) {
    if (line.size() < 5 || line[0] != '.' || line[4] != ':') return false;
    for (std::size_t i = 1; i <= 3; ++i) {
      if (line[i] != ' ' && !(line[i] >= '0' && line[i] <= '9')) return false;
    }
    return true;
  }

  template <class R, std::size_t N, std::size_t Size>
  bool ReadRecord(std::size_t header, const Section<R, N>& section, std::array<R, Size>& table, int usable) {
    R record{};
    int index = -1;
    for (const Line<R>& layout : section.lines) {
      std::string_view line;
      if (!Next(header, section.header, line)) return false;
      const std::size_t lineIndex = at_ - 1;
      if (!StartsWith(line, layout.label)) {
        refusal_ = Refuse(lineIndex, "\"" + std::string(layout.label) + "\" expected in the " +
                                         SectionWord(section.header) + " section.");
        return false;
      }
      const std::string_view rest = line.substr(layout.label.size());
      switch (layout.kind) {
        case Kind::Number: {
          const std::optional<long long> n = LenientInteger(rest);
          if (!n || *n < 0 || *n >= usable) {
            refusal_ = Refuse(lineIndex, "the " + SectionWord(section.header) + " number " + Quoted(rest) +
                                             " is outside 0 to " + std::to_string(usable - 1) + ".");
            return false;
          }
          index = static_cast<int>(*n);
          record.number = static_cast<std::int16_t>(index);
          break;
        }
        case Kind::Text:
        case Kind::Status:
          record.*layout.text = Unescape(rest);
          break;
        case Kind::Mask: {
          std::optional<std::string> mask = ReadMask(rest);
          if (!mask) {
            refusal_ = Refuse(lineIndex, "the last 16 characters of the line are not hexadecimal digits.");
            return false;
          }
          record.*layout.text = std::move(*mask);
          break;
        }
        case Kind::StateRef:
        case Kind::StateRefFramed: {
          const std::optional<long long> n = LenientInteger(rest);
          if (!n || *n < 0 || *n > NO_STATE) {
            refusal_ = Refuse(lineIndex, "the set number " + Quoted(rest) + " is outside 0 to " +
                                             std::to_string(NO_STATE) + ".");
            return false;
          }
          record.*layout.ref = static_cast<std::int16_t>(*n);
          break;
        }
        case Kind::Fixed:
          break;
      }
    }
    if (!ReadEnd(header, section.header)) return false;
    table[index] = std::move(record);
    return true;
  }

  // Empty (or blanks only) reads as zero and is kept empty, as stored; otherwise the last 16
  // characters must all be hex digits.
  static std::optional<std::string> ReadMask(std::string_view rest) {
    if (TrimBlanks(rest).empty()) return std::string();
    if (rest.size() < kMaskDigits) return std::nullopt;
    std::string digits(rest.substr(rest.size() - kMaskDigits));
    for (char& c : digits) {
      if (!IsHexDigit(c)) return std::nullopt;
      if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    }
    return digits;
  }

  StateGlobals tables_;
  const std::vector<std::string_view>& lines_;
  std::size_t at_ = 0;
  bool foundSection_ = false;
  Refusal refusal_;
};

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

std::string WriteConfigurationText(const StateGlobals& tables) {
  std::string out;
  WriteNames(out, kPointsHeader, tables.pointNames);
  WriteNames(out, kFlagsHeader, tables.flagNames);
  for (int i = 0; i < kAlarmCount; ++i) {
    if (IsDefined(tables.alarms[i])) WriteRecord(out, kAlarmSection, tables.alarms[i], i);
  }
  for (int i = 0; i < kEventMessageCount; ++i) {
    if (IsDefined(tables.eventMessages[i])) WriteRecord(out, kMessageSection, tables.eventMessages[i], i);
  }
  for (int i = 0; i < kSerialEventCount; ++i) {
    if (IsDefined(tables.serialEvents[i])) WriteRecord(out, kSerialSection, tables.serialEvents[i], i);
  }
  // Timers and digital events whose first set has no name would come back pointing at nothing.
  for (int i = 0; i < kTimerCount; ++i) {
    if (IsNamedSet(tables, tables.timers[i].inputState)) WriteRecord(out, kTimerSection, tables.timers[i], i);
  }
  for (int i = 0; i < kUsableStates; ++i) {
    if (IsDefined(tables.states[i])) WriteRecord(out, kStateSection, tables.states[i], i);
  }
  for (int i = 0; i < kUsableDigitalEvents; ++i) {
    if (IsNamedSet(tables, tables.digitalEvents[i].eventState)) {
      WriteRecord(out, kTransitionSection, tables.digitalEvents[i], i);
    }
  }
  return out;
}

ImportResult ReadConfigurationText(const StateGlobals& current, std::string_view bytes) {
  const std::string text = ToValidUtf8(bytes);
  const std::vector<std::string_view> lines = SplitLines(text);
  Reader reader(current, lines);
  ImportResult result;
  if (!reader.Run()) {
    result.outcome = ImportResult::Outcome::Refused;
    result.line = reader.Refused().line;
    result.message = reader.Refused().message;
    result.tables = current;
    return result;
  }
  if (!reader.FoundSection()) {
    result.outcome = ImportResult::Outcome::NotADataFile;
    result.message = kNotValidDataFile;
    result.tables = current;
    return result;
  }
  result.outcome = ImportResult::Outcome::Imported;
  result.tables = std::move(reader.Tables());
  return result;
}

bool SaveConfigurationFile(const StateGlobals& tables, const std::string& path, const FileWriter& write,
                           Prompter& prompter) {
  std::string error;
  if (write(path, WriteConfigurationText(tables), error)) return true;
  prompter.Message(error.empty() ? "Could not save " + path + "; the old file is unchanged." : error);
  return false;
}

bool ImportConfiguration(StateGlobals& tables, std::string_view bytes, Prompter& prompter) {
  ImportResult result = ReadConfigurationText(tables, bytes);
  if (result.outcome != ImportResult::Outcome::Imported) {
    prompter.Message(result.message);
    return false;
  }
  tables = std::move(result.tables);
  return true;
}

bool ImportConfigurationFile(StateGlobals& tables, const std::string& path, Prompter& prompter) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    prompter.Message("Could not open " + path + ".");
    return false;
  }
  std::string bytes;
  char buffer[65536];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(file.gcount()));
    if (bytes.size() > kMaxConfigurationFileBytes) {
      prompter.Message(path + " is too large to be a configuration file; nothing was imported.");
      return false;
    }
  }
  if (file.bad()) {
    prompter.Message("Could not read " + path + "; nothing was imported.");
    return false;
  }
  return ImportConfiguration(tables, bytes, prompter);
}

}  // namespace kestrio::config
