#include "sim/rack.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kestrio::sim {

namespace {

bool IsAnalog(SlotKind k) { return k == SlotKind::AnalogIn || k == SlotKind::AnalogOut; }

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// A non-negative integer in decimal or with a 0x prefix, no larger than `max`.
std::optional<std::int64_t> ParseCode(std::string_view w, std::int64_t max) {
  int base = 10;
  if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) {
    w.remove_prefix(2);
    base = 16;
  }
  std::int64_t v = 0;
  auto [p, ec] = std::from_chars(w.data(), w.data() + w.size(), v, base);
  if (ec != std::errc() || p != w.data() + w.size() || v < 0 || v > max) return std::nullopt;
  return v;
}

std::optional<float> ParseFloat(std::string_view w) {
  // std::from_chars for float is not available everywhere yet; strtof on a bounded copy.
  if (w.empty() || w.size() > 32) return std::nullopt;
  std::string s(w);
  char* end = nullptr;
  float v = std::strtof(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

}  // namespace

std::int32_t Rack::InitialPointType(int point) const {
  if (point < 0 || point >= kPoints) return kNoPointType;
  const Slot& s = slotList[point / kPointsPerSlot];
  switch (s.kind) {
    case SlotKind::Empty:
      return kNoPointType;
    case SlotKind::DigitalIn:
      return kDigitalInputType;
    case SlotKind::DigitalOut:
      return kDigitalOutputType;
    default:
      if (point % kPointsPerSlot >= kAnalogChannels || s.types.empty()) return kNoPointType;
      return s.types.front().code;
  }
}

bool Rack::Accepts(int point, std::int32_t code) const {
  if (point < 0 || point >= kPoints) return false;
  const Slot& s = slotList[point / kPointsPerSlot];
  switch (s.kind) {
    case SlotKind::Empty:
      return false;
    case SlotKind::DigitalIn:
    case SlotKind::DigitalOut:
      return code == kDigitalInputType || code == kDigitalOutputType;
    default:
      if (point % kPointsPerSlot >= kAnalogChannels) return false;
      for (const auto& t : s.types)
        if (t.code == code) return true;
      return false;
  }
}

std::optional<PointTypeRange> Rack::Range(int point, std::int32_t code) const {
  if (point < 0 || point >= kPoints) return std::nullopt;
  const Slot& s = slotList[point / kPointsPerSlot];
  if (!IsAnalog(s.kind)) return std::nullopt;
  for (const auto& t : s.types)
    if (t.code == code) return t;
  return std::nullopt;
}

Rack DefaultRack() {
  Rack r;
  r.slotList[0] = {SlotKind::DigitalIn, 0, {}};
  r.slotList[1] = {SlotKind::DigitalOut, 0, {}};
  r.slotList[2] = {SlotKind::AnalogIn, 16, {{64, -10, 10}, {65, 0, 10}, {66, 4, 20}}};
  r.slotList[3] = {SlotKind::AnalogOut, 24, {{80, 0, 10}}};
  // slot 4 stays empty
  r.slotList[5] = {SlotKind::DigitalIn, 0, {}};
  r.slotList[6] = {SlotKind::AnalogIn, 17, {{96, -210, 760}, {97, -270, 1372}}};
  r.slotList[7] = {SlotKind::AnalogOut, 25, {{80, 0, 10}, {81, -10, 10}}};
  // A module the shipped module file does not name, so the program's "not recognized" path shows.
  r.slotList[8] = {SlotKind::AnalogIn, 99, {{64, -10, 10}}};
  r.slotList[9] = {SlotKind::DigitalOut, 0, {}};
  return r;
}

std::optional<Rack> ParseRack(std::string_view text, std::string& error) {
  Rack rack;
  bool seen[kSlots] = {};
  int lineNo = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t nl = text.find('\n', pos);
    std::string_view line =
        text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    pos = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
    ++lineNo;
    if (size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    auto w = Words(line);
    if (w.empty()) continue;
    auto fail = [&](const std::string& why) {
      error = "rack file line " + std::to_string(lineNo) + ": " + why;
      return std::nullopt;
    };
    if (w[0] != "slot") return fail("expected 'slot', found '" + std::string(w[0]) + "'");
    if (w.size() < 3) return fail("expected 'slot <0-15> <empty|din|dout|ain|aout> ...'");
    auto n = ParseCode(w[1], kSlots - 1);
    if (!n) return fail("slot number '" + std::string(w[1]) + "' is not 0 to 15");
    if (seen[*n]) return fail("slot " + std::to_string(*n) + " is listed twice");
    seen[*n] = true;
    Slot slot;
    std::string_view kind = w[2];
    if (kind == "empty" || kind == "din" || kind == "dout") {
      if (w.size() != 3) return fail("'" + std::string(kind) + "' takes no further words");
      slot.kind = kind == "empty" ? SlotKind::Empty
                  : kind == "din" ? SlotKind::DigitalIn
                                  : SlotKind::DigitalOut;
    } else if (kind == "ain" || kind == "aout") {
      slot.kind = kind == "ain" ? SlotKind::AnalogIn : SlotKind::AnalogOut;
      if (w.size() < 5) return fail("an analog slot needs a module code and at least one type:from:to");
      auto code = ParseCode(w[3], 0x7FFFFFFF);
      if (!code || *code == 0)
        return fail("module code '" + std::string(w[3]) + "' is not a positive integer");
      slot.moduleCode = static_cast<std::int32_t>(*code);
      for (size_t i = 4; i < w.size(); ++i) {
        std::string_view t = w[i];
        size_t c1 = t.find(':');
        size_t c2 = c1 == std::string_view::npos ? c1 : t.find(':', c1 + 1);
        if (c2 == std::string_view::npos) return fail("'" + std::string(t) + "' is not type:from:to");
        auto tc = ParseCode(t.substr(0, c1), 32767);
        auto from = ParseFloat(t.substr(c1 + 1, c2 - c1 - 1));
        auto to = ParseFloat(t.substr(c2 + 1));
        if (!tc) return fail("point type in '" + std::string(t) + "' is not 0 to 32767");
        if (*tc == kDigitalInputType || *tc == kDigitalOutputType)
          return fail("point types 256 and 384 are digital, not analog");
        if (!from || !to) return fail("scale range in '" + std::string(t) + "' is not two numbers");
        slot.types.push_back({static_cast<std::int32_t>(*tc), *from, *to});
      }
    } else {
      return fail("unknown slot kind '" + std::string(kind) + "'");
    }
    rack.slotList[*n] = slot;
  }
  return rack;
}

std::optional<Rack> LoadRackFile(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open rack file " + path;
    return std::nullopt;
  }
  // A rack file is a few lines; refuse anything absurd rather than reading it all.
  constexpr std::streamsize kMax = 64 * 1024;
  std::string text(kMax + 1, '\0');
  in.read(text.data(), kMax + 1);
  text.resize(static_cast<size_t>(in.gcount()));
  if (text.size() > static_cast<size_t>(kMax)) {
    error = "rack file " + path + " is larger than 64 KiB";
    return std::nullopt;
  }
  return ParseRack(text, error);
}

}  // namespace kestrio::sim
