#include "unit/backup_files.h"

#include <charconv>
#include <cstdint>

#include "protocol/hex.h"

namespace kestrio::unit {

namespace {

constexpr std::size_t kMaxValueDigits = 2u * 1024u * 1024u;

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The next blank-separated word of `s`, which loses it.
std::string_view Word(std::string_view& s) {
  s = Trim(s);
  const auto end = s.find_first_of(" \t");
  const std::string_view w = s.substr(0, end);
  s.remove_prefix(end == std::string_view::npos ? s.size() : end);
  return w;
}

std::optional<std::int32_t> Int32(std::string_view w) {
  std::int32_t v = 0;
  const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
  if (w.empty() || ec != std::errc() || end != w.data() + w.size()) return std::nullopt;
  return v;
}

bool AllHex(std::string_view s) {
  for (char c : s)
    if (!IsHexDigit(c)) return false;
  return true;
}

bool Skipped(std::string_view line) { return line.empty() || line.front() == '#'; }

}  // namespace

bool IsBackupFileName(std::string_view name) {
  return name == kEepromFile || name == kConfigurationFile || name == kRackFile || name == kOptionsFile;
}

std::string WriteRackText(const points::RackTypes& rack) {
  std::string out = "# Kestrio rack: each slot's module type code, then the type codes of its four points\n";
  for (int slot = 0; slot < points::kSlots; ++slot) {
    out +=
        "slot " + std::to_string(slot) + ": module " + std::to_string(rack.RackModuleTypes[slot]) + " points";
    for (int p = 0; p < points::kPointsPerSlot; ++p)
      out += " " + std::to_string(rack.RackPointTypes[slot * points::kPointsPerSlot + p]);
    out += "\n";
  }
  return out;
}

std::optional<points::RackTypes> ParseRackText(std::string_view text, std::string& error) {
  points::RackTypes rack{};
  std::vector<bool> seen(points::kSlots, false);
  int number = 0;
  for (std::string_view line : Lines(text)) {
    ++number;
    line = Trim(line);
    if (Skipped(line)) continue;
    auto refuse = [&](const std::string& why) {
      error = "rack file, line " + std::to_string(number) + ": " + why;
      return std::nullopt;
    };
    std::string_view rest = line;
    std::string_view slotWord = Word(rest);
    std::string_view slotText = Word(rest);
    if (slotWord != "slot" || slotText.empty() || slotText.back() != ':')
      return refuse("a line must read \"slot S: module M points P0 P1 P2 P3\"");
    slotText.remove_suffix(1);
    const auto slot = Int32(slotText);
    if (!slot || *slot < 0 || *slot >= points::kSlots) return refuse("the slot is not 0 to 15");
    if (seen[static_cast<std::size_t>(*slot)])
      return refuse("slot " + std::to_string(*slot) + " appears twice");
    seen[static_cast<std::size_t>(*slot)] = true;
    if (Word(rest) != "module") return refuse("\"module\" was expected after the slot");
    const auto module = Int32(Word(rest));
    if (!module) return refuse("the module type is not a whole number");
    if (Word(rest) != "points") return refuse("\"points\" was expected after the module type");
    rack.RackModuleTypes[static_cast<std::size_t>(*slot)] = *module;
    for (int p = 0; p < points::kPointsPerSlot; ++p) {
      const auto code = Int32(Word(rest));
      if (!code) return refuse("four whole-number point types were expected");
      rack.RackPointTypes[static_cast<std::size_t>(*slot * points::kPointsPerSlot + p)] = *code;
    }
    if (!Trim(rest).empty()) return refuse("text after the fourth point type");
  }
  for (int slot = 0; slot < points::kSlots; ++slot) {
    if (!seen[static_cast<std::size_t>(slot)]) {
      error = "rack file: slot " + std::to_string(slot) + " is missing";
      return std::nullopt;
    }
  }
  return rack;
}

std::string WriteOptionValuesText(const OptionValues& values) {
  std::string out =
      "# Kestrio option values: [page file], then each writable row's address, value digits and label\n";
  for (const OptionPageValues& page : values) {
    out += "[" + page.page + "]\n";
    for (const OptionValue& v : page.values) out += v.address + " " + v.digits + " " + v.label + "\n";
  }
  return out;
}

std::optional<OptionValues> ParseOptionValuesText(std::string_view text, std::string& error) {
  OptionValues out;
  int number = 0;
  for (std::string_view line : Lines(text)) {
    ++number;
    line = Trim(line);
    if (Skipped(line)) continue;
    auto refuse = [&](const std::string& why) {
      error = "option values file, line " + std::to_string(number) + ": " + why;
      return std::nullopt;
    };
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) return refuse("a page name in [ ] was expected");
      const std::string page(line.substr(1, line.size() - 2));
      for (const OptionPageValues& p : out)
        if (p.page == page) return refuse("page " + page + " appears twice");
      out.push_back({page, {}});
      continue;
    }
    if (out.empty()) return refuse("a row comes before the first [page]");
    std::string_view rest = line;
    const std::string_view address = Word(rest);
    const std::string_view digits = Word(rest);
    if (address.size() != 12 || !AllHex(address)) return refuse("the address is not 12 hex digits");
    if (digits.empty() || digits.size() % 8 != 0 || digits.size() > kMaxValueDigits || !AllHex(digits))
      return refuse("the value is not whole quadlets of hex digits");
    out.back().values.push_back({std::string(address), std::string(digits), std::string(Trim(rest))});
  }
  return out;
}

}  // namespace kestrio::unit
