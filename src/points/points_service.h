#pragma once
// The points window's transactions without the window: the rack read, the scale values of an analog
// point, the two scans, point type changes and the point writes. Each is straight-line code over the
// engine: build the request, transact, judge the reply, return what happened. Failures are told
// through the engine's Prompter in the window's words; a timeout or a missing connection is always a
// failure (no older reply is ever decoded, and no success follows).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "points/module_point_file.h"
#include "points/point_scan.h"
#include "points/point_write.h"
#include "points/rack.h"
#include "transport/engine.h"

namespace kestrio::points {

struct RackReadResult {
  int quartersRead = 0;              // 0..4; quarters after a failure keep their old codes
  std::optional<int> failedQuarter;  // the quarter named in the failure message
  bool notConnected = false;         // nothing was read and nothing said: no connection
  bool cancelled = false;            // the download's cancel flag stopped the read
  bool Complete() const { return quartersRead == kRackQuarters; }
};

// ReadRackPointTypes: the four quarters of the point configuration area into `rack`, while the
// session is connected and (during a download, when `downloadCancelled` is given) not cancelled.
// A failed or unusable reply stops the read with "Point type read not successful, quarter:  q."
// (after the status window when the brain refused it). `onPoint` is told each point read (the
// download's progress bar).
RackReadResult ReadRackPointTypes(Engine& engine, RackTypes& rack, const bool* downloadCancelled = nullptr,
                                  const std::function<void(int point)>& onPoint = {});

// ReadPointScaling: the two scale values of an analog point into its entry of `scaling` (ScaleFrom
// from offset 24, ScaleTo from offset 20). A failed read says "Point scale value read not
// successful." and changes neither; a value that is not a finite float says "Error: Problem getting
// scaling values." and keeps that text. False when a read failed.
bool ReadPointScaling(Engine& engine, int point, PointScalingTable& scaling);

// One analog or digital scan. `ok` is false when the labels did not match (logged), the reply
// failed (the status window on a brain error; no message of the scan's own) or its data was
// unusable; the texts are then unchanged.
struct ScanStep {
  bool ok = false;
  ScanUpdate update;
  std::string discarded;  // the log's label-mismatch text when the reply was discarded for its label
  bool noReply = false;   // the request timed out or found no connection (the engine has said so)
};
ScanStep AnalogScan(Engine& engine, const RackTypes& rack, PointTexts& texts);
ScanStep DigitalScan(Engine& engine, const RackTypes& rack, PointTexts& texts);

// Scan: the analog scan when some slot holds an analog module, then the digital scan. An analog scan
// that got no reply at all ends the scan there: the digital read would only wait out a second
// timeout and say so again.
struct ScanResult {
  bool ok = true;  // every scan made succeeded
  bool analogMade = false;
  ScanUpdate analog, digital;
  std::string discarded;  // the first scan's label-mismatch text, if any
  // The points whose box shows a new text (either scan).
  std::uint64_t Shown() const { return analog.shown | digital.shown; }
};
ScanResult Scan(Engine& engine, const RackTypes& rack, PointTexts& texts);

// WritePointConfigType: one point's type code to the brain; "Point configuration change not
// successful." on failure.
bool WritePointConfigType(Engine& engine, int point, std::int32_t code);

// The point's type code as the brain holds it; nullopt (nothing said beyond the engine's own
// messages) when the read fails.
std::optional<std::int32_t> ReadPointType(Engine& engine, int point);

// A configuration choice: `code` for the point, or for its whole slot (4m..4m+3, ascending) when the
// slot's module type code is 0. The first write that fails stops the change; the brain's type of
// that point is read back (its old code kept when the read-back fails too), and the points not yet
// written keep their old codes, so `rack` matches the brain afterwards.
struct TypeChange {
  bool ok = true;
  std::vector<int> points;  // the points whose code the change touched (rack entries may be restored)
};
TypeChange ChangePointType(Engine& engine, RackTypes& rack, int point, std::int32_t code);

// WriteDigitalPoint: the on and off masks of point `pointNum` (0..63) or of all (kAllPoints) from
// their texts; "Write Digital Point not successful." on failure.
bool WriteDigitalPoint(Engine& engine, int pointNum, const PointTexts& texts);

// WriteAnalogPoints: the number at the start of `text` written as the point's analog output value.
// Refused with "Can't write -- bad float." or "Can't write to points > 1."; "Write Analog Point not
// successful." on failure.
bool WriteAnalogPoints(Engine& engine, int point, std::string_view text);

// The offset or gain calibration of an analog input (positions 0 and 1): the trigger quadlet is read.
// "Can't write to points > 1." for the others; "Write Analog gain/offset not successful." on failure.
bool TriggerCalibration(Engine& engine, int point, Calibration kind);

// PointClicked carried out: the window supplies the two dialogs.
struct PointDialogs {
  // The analog output entry dialog with its range text: the accepted value's text (the decimal text
  // of the typed number), or nullopt for Cancel.
  std::function<std::optional<std::string>(const std::string& range)> analogEntry;
  // The gain/offset dialog for the point (after the operator said Yes to "Set offset/gain?").
  std::function<void(int point)> gainOffset;
};

struct PointsState {
  const ModulePointTables& tables;
  RackTypes& rack;
  PointTexts& values;
  PointScalingTable& scaling;
};

struct ClickResult {
  ClickAction action = ClickAction::None;
  bool textChanged = false;  // the point's value text changed (and the box must show it)
  bool wrote = false;        // a write was sent and succeeded
  bool failed = false;       // a write was refused or failed
};

// A click on a point's value box in values mode: a digital input is refused, a digital slot's point
// toggles (and a digital output is written at once; a failed write puts the previous text back), an
// analog output asks for its value and writes exactly the number typed, an analog input asks
// "Set offset/gain?". Never writes to a point outside the rack.
ClickResult ClickPoint(Engine& engine, PointsState state, int point, const PointDialogs& dialogs);

}  // namespace kestrio::points
