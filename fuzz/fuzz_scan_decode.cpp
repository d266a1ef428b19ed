// The points window's decoding of what the brain sends: a rack quarter, the analog and digital
// scans, the slot and configuration texts for any module and point codes, and the requests a click
// leads to. Nothing may index outside the rack or the tables, a failed decode changes nothing, and
// every text is one the window can show (an analog text reads back as its value).
//
// Input layout: byte 0 holds options (bits 0-1: the quarter; bit 2: configuration mode; bit 3: the
// rest is a whole reply packet rather than the data of a read block response); the rest is bytes.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "points/point_scan.h"
#include "points/point_texts.h"
#include "points/point_write.h"
#include "points/rack_view.h"
#include "points/value_format.h"
#include "protocol/convert.h"
#include "protocol/hex.h"
#include "protocol/reply.h"

namespace {

using kestrio::fuzz::FuzzInput;
namespace points = kestrio::points;
namespace text = kestrio::points::text;

const points::ModulePointTables& Tables() {
  static const points::ModulePointTables tables = [] {
    kestrio::ScriptedPrompter ui;
    return points::ParseModulePointInfo(
        "Digital,0,In,256\nDigital,0,Out,384\nAI-2,16,V,64\nAI-2,16,mA,66\nAO-1,24,V,80\n\"\",30,x,500\n",
        ui);
  }();
  return tables;
}

// "#######.####": an optional minus, digits without a leading zero, the point, at most four
// decimals without a trailing zero; and it reads back as the value.
void CheckAnalogText(const std::string& shown, float value) {
  if (!std::isfinite(value)) {
    KESTRIO_FUZZ_CHECK(shown == text::kNan);
    return;
  }
  const std::size_t point = shown.find('.');
  KESTRIO_FUZZ_CHECK(point != std::string::npos && shown.find('.', point + 1) == std::string::npos);
  const std::size_t digits = shown[0] == '-' ? 1 : 0;
  KESTRIO_FUZZ_CHECK(shown.size() - point - 1 <= 4);
  KESTRIO_FUZZ_CHECK(point == digits || shown[digits] != '0');
  KESTRIO_FUZZ_CHECK(shown.back() != '0');
  KESTRIO_FUZZ_CHECK(shown != "-.");
  const double back = kestrio::LeadingNumber(shown).value_or(0.0);
  KESTRIO_FUZZ_CHECK(std::fabs(back - value) <= 0.00005 + std::fabs(value) * 1e-6);
  // The value text the scale values and the entry dialog use reads back to 7 digits.
  const std::optional<float> again = points::TypedFloat(points::ValueText(value));
  KESTRIO_FUZZ_CHECK(again && std::fabs(*again - value) <= std::fabs(value) * 1e-6f);
}

void CheckScans(const kestrio::PayloadReader& block, const points::RackTypes& rack) {
  points::PointTexts texts;
  texts.fill("old");
  const points::PointTexts before = texts;
  const points::ScanUpdate analog = points::DecodeAnalogScan(block, rack, texts);
  KESTRIO_FUZZ_CHECK((analog.shown & ~analog.written) == 0);
  for (int p = 0; p < points::kPoints; ++p) {
    const bool written = (analog.written >> p) & 1;
    KESTRIO_FUZZ_CHECK(written == (analog.decoded && rack.ModuleOf(p) != 0));
    if (!written) {
      KESTRIO_FUZZ_CHECK(texts[p] == "old");
      continue;
    }
    const float value = std::bit_cast<float>(*block.U32(4 * static_cast<std::size_t>(p)));
    CheckAnalogText(texts[p], value);
    KESTRIO_FUZZ_CHECK(((analog.shown >> p) & 1) == (std::isfinite(value) ? 1u : 0u));
  }
  if (!analog.decoded) KESTRIO_FUZZ_CHECK(texts == before);

  const points::PointTexts afterAnalog = texts;
  const points::ScanUpdate digital = points::DecodeDigitalScan(block, rack, texts);
  for (int p = 0; p < points::kPoints; ++p) {
    if (!digital.decoded || rack.ModuleOf(p) != 0) {
      KESTRIO_FUZZ_CHECK(texts[p] == afterAnalog[p]);
    } else {
      const bool on = (*block.Unsigned(0, 8) >> p) & 1;
      KESTRIO_FUZZ_CHECK(texts[p] == (on ? text::kOn : text::kOff));
    }
  }

  // What clicks on these points lead to: every request addresses its own area.
  for (int p = -1; p <= points::kPoints; ++p) {
    const points::ClickDecision d = points::PointClicked(p, rack, texts, Tables());
    KESTRIO_FUZZ_CHECK((d.action == points::ClickAction::None) == !points::IsPoint(p));
    const points::WriteRequest analogWrite = points::AnalogPointWrite(p, points::IsPoint(p) ? texts[p] : "1");
    if (!analogWrite.Refused()) {
      const std::uint64_t at = kestrio::HexValue(analogWrite.offset);
      KESTRIO_FUZZ_CHECK(at >= kestrio::memory_map::kAnalogOutputs.base &&
                         at < kestrio::memory_map::kAnalogOutputs.base +
                                  kestrio::memory_map::kAnalogOutputs.size);
      KESTRIO_FUZZ_CHECK(analogWrite.data.size() == 8);
    }
    const points::WriteRequest trigger = points::CalibrationTrigger(p, points::Calibration::Gain);
    if (!trigger.Refused()) {
      const std::uint64_t at = kestrio::HexValue(trigger.offset);
      KESTRIO_FUZZ_CHECK(at >= kestrio::memory_map::kCalibration.base &&
                         at <
                             kestrio::memory_map::kCalibration.base + kestrio::memory_map::kCalibration.size);
    }
  }
  const points::DigitalWrite masks = points::DigitalPointWrite(points::kAllPoints, texts);
  KESTRIO_FUZZ_CHECK((masks.onMask & masks.offMask) == 0 && masks.data.size() == 32);
}

void CheckView(const points::RackTypes& rack, bool configureMode) {
  const points::RackView view = points::DescribeRack(Tables(), rack, configureMode);
  for (int m = 0; m < points::kSlots; ++m) {
    const std::int32_t code = rack.RackModuleTypes[m];
    const std::string& shown = view.slotViews[m].text;
    KESTRIO_FUZZ_CHECK(view.slotViews[m].unknownModule == !Tables().ModuleName(code).has_value());
    if (code == 0 && !configureMode) {
      // "Digital: " and four marks of 4, 4 or 5, 4 or 5, and 3 characters.
      KESTRIO_FUZZ_CHECK(shown.rfind(text::kDigitalSlot, 0) == 0 && shown.size() >= 24 && shown.size() <= 26);
    } else if (view.slotViews[m].unknownModule) {
      KESTRIO_FUZZ_CHECK(shown == text::kUnknownModule + kestrio::NumberText(code));
    } else {
      KESTRIO_FUZZ_CHECK(!shown.empty());
    }
  }
  for (int p = 0; p < points::kPoints; ++p) {
    const std::string& shown = view.configTexts[p];
    if (!Tables().PointTypeName(rack.RackPointTypes[p]) && rack.RackPointTypes[p] != points::kNoPointType) {
      KESTRIO_FUZZ_CHECK(shown.rfind(text::kUnknownPointType, 0) == 0 && shown.size() <= 14 + 8);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const std::uint8_t options = in.Byte();
  const int quarter = options & 3;
  const std::string_view rest = in.Rest();
  const std::string bytes =
      kestrio::BytesToHex(reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());

  kestrio::Reply reply;
  reply.outcome = kestrio::Outcome::Replied;
  if (options & 8) {
    reply.packet = bytes;
  } else {
    // A read block response with label 5 carrying the bytes as its data.
    reply.packet = "FFC01470000000000000000000000000" + bytes;
    reply.packet.replace(24, 4, kestrio::ToHex(rest.size() & 0xFFFF, 4));
  }
  const kestrio::PayloadReader block = reply.Block();
  const std::string request =
      "FFC01450"
      "0000FFFFF0600000"
      "01000000";
  KESTRIO_FUZZ_CHECK(points::ScanLabelsMatch(request, reply.packet) ==
                     (kestrio::PacketLabel(reply.packet) == 5));

  // The reply as a rack quarter: refused and nothing changed, or every code taken.
  points::RackTypes rack;
  rack.RackModuleTypes.fill(1);
  rack.RackPointTypes.fill(2);
  const points::RackTypes before = rack;
  if (!points::DecodeRackQuarter(block, quarter, rack)) {
    KESTRIO_FUZZ_CHECK(rack.RackPointTypes == before.RackPointTypes &&
                       rack.RackModuleTypes == before.RackModuleTypes);
  }
  // The bytes repeated to a whole quarter, so every input also gives a rack of arbitrary codes.
  std::string tiled;
  while (!bytes.empty() && tiled.size() < 2048) tiled += bytes;
  tiled.resize(2048, '0');
  KESTRIO_FUZZ_CHECK(points::DecodeRackQuarter(kestrio::PayloadReader(tiled), quarter, rack));
  for (int j = 0; j < points::kPointsPerQuarter; ++j) {
    const int p = points::kPointsPerQuarter * quarter + j;
    KESTRIO_FUZZ_CHECK(rack.RackPointTypes[p] ==
                       static_cast<std::int32_t>(kestrio::HexValue(tiled.substr(128 * j + 8, 8))));
  }
  // The other quarters' codes from the same bytes, so slots of every kind meet.
  for (int m = 0; m < points::kSlots; ++m) {
    if (m / 4 != quarter)
      rack.RackModuleTypes[m] = (m % 3 == 0) ? 0 : rack.RackModuleTypes[4 * quarter + m % 4];
  }

  CheckView(rack, (options & 4) != 0);
  CheckScans(block, rack);
  return 0;
}
