#pragma once
// What a click on a point's value box means, and the requests behind point writes: the digital
// output on/off masks, an analog output value and the offset/gain calibration trigger. The window
// and the command-line tool carry these out through the engine.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "points/module_point_file.h"
#include "points/rack.h"

namespace kestrio::points {

// WriteDigitalPoint's argument for every point at once.
inline constexpr int kAllPoints = kPoints;

// TogglePointOrAsk: what a click does for a slot of this module type.
enum class ClickAction {
  None,                // a point outside the rack
  RefuseDigitalInput,  // "Can't write to digital input."
  ToggleDigital,       // module 0: the text flips between "  ON  " and "  OFF  "
  AnalogOutputEntry,   // ask for a value, then WriteAnalogPoints unless the entry was cancelled
  AskGainOffset,       // an analog input: ask "Analog Input", the gain/offset dialog on Yes
};
ClickAction TogglePointOrAsk(std::int32_t module, const ModulePointTables& tables);

// "  OFF  " when the text is "  ON  ", else "  ON  ".
std::string ToggledText(std::string_view current);

// PointClicked as a decision, carried out in order: set the point type, the action, then the
// digital write.
struct ClickDecision {
  ClickAction action = ClickAction::None;
  std::int32_t module = 0;
  // An analog output module that lists exactly one type: the point takes it before the entry.
  std::optional<std::int32_t> newPointType;
  std::string newText;        // ToggleDigital: the point's new text
  bool writeDigital = false;  // the point is a digital output: WriteDigitalPoint(point) at the end
};
ClickDecision PointClicked(int point, const RackTypes& rack, const PointTexts& texts,
                           const ModulePointTables& tables);

// WriteDigitalPoint: point `pointNum` (0..63) or all of them (kAllPoints) goes into the on mask when
// its text is "  ON  " and into the off mask when "  OFF  "; any other text into neither. The data
// is the on mask and the off mask, 16 digits each, for one write block.
struct DigitalWrite {
  std::uint64_t onMask = 0;
  std::uint64_t offMask = 0;
  std::string offset;
  std::string data;
};
DigitalWrite DigitalPointWrite(int pointNum, const PointTexts& texts);

// WriteAnalogPoints: the number at the start of the point's text as a single, written as its four
// big-endian bytes to the start of the point's analog output record. Refused with "Can't write --
// bad float." when the text holds no finite single, and with "Can't write to points > 1." for
// positions 2 and 3 of a slot.
WriteRequest AnalogPointWrite(int point, std::string_view text);

// The quadlet whose read starts the calibration of an analog input (positions 0 and 1 only).
enum class Calibration { Offset, Gain };
WriteRequest CalibrationTrigger(int point, Calibration kind);

// The analog output entry dialog's OK: the point's new text (ValueText of the typed number), or
// nullopt when the text holds no number a single can hold (the dialog says kEntryConversionFailed).
std::optional<std::string> AcceptAnalogEntry(std::string_view typed);

// The entry dialog's range label: its own text, a line break, then "<from> to <to>".
std::string AnalogEntryRange(std::string_view scaleFrom, std::string_view scaleTo);

// The gain/offset dialog's caption: "   POINT #: " point "   VALUE:   " and the box's text.
std::string GainOffsetCaption(int point, std::string_view valueText);

}  // namespace kestrio::points
