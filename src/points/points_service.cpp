#include "points/points_service.h"

#include "points/point_texts.h"
#include "points/value_format.h"
#include "protocol/memory_map.h"
#include "protocol/packet.h"
#include "protocol/reply.h"

namespace kestrio::points {

namespace {

// A quadlet read judged by the program's rules; `failure` is said when it fails or the reply holds
// no quadlet.
std::optional<std::uint32_t> ReadQuadlet(Engine& engine, const std::string& address,
                                         std::string_view failure) {
  const Reply reply =
      engine.SendAndAwaitReply(engine.Builder().BuildReadQuadRequest(address), kReadQuadRequest);
  if (!JudgeReply(reply, engine.Ui(), failure)) return std::nullopt;
  const std::optional<std::uint32_t> quad = reply.Quadlet();
  if (!quad && !failure.empty()) engine.Ui().Message(std::string(failure));
  return quad;
}

bool WriteBlock(Engine& engine, const std::string& offset, const std::string& data,
                std::string_view failure) {
  const Reply reply =
      engine.SendAndAwaitReply(engine.Builder().BuildWriteBlockRequest(data, offset), kWriteBlockRequest);
  return JudgeReply(reply, engine.Ui(), failure);
}

using Decoder = ScanUpdate (*)(const PayloadReader&, const RackTypes&, PointTexts&);

ScanStep ScanBlock(Engine& engine, const BlockRead& read, const char* mismatch, Decoder decode,
                   const RackTypes& rack, PointTexts& texts) {
  ScanStep step;
  const std::string request = engine.Builder().BuildReadBlockRequest(read.length, read.offset);
  const Reply reply = engine.SendAndAwaitReply(request, kReadBlockRequest);
  // Nothing went out (another transaction waits): there is no reply to discard.
  if (reply.outcome == Outcome::Refused || reply.outcome == Outcome::Empty) return step;
  step.noReply = reply.outcome == Outcome::TimedOut || reply.outcome == Outcome::NotConnected;
  // A reply that never came carries no label, so a timeout is discarded here too.
  if (!ScanLabelsMatch(request, reply.packet)) {
    engine.AddMsg(std::string("\n") + mismatch);
    step.discarded = mismatch;
    return step;
  }
  if (TransactionFailed(reply, engine.Ui())) {
    if (reply.flags.ReplyError) engine.Ui().ShowStatus();
    return step;
  }
  step.update = decode(reply.Block(), rack, texts);
  step.ok = step.update.decoded;
  return step;
}

}  // namespace

RackReadResult ReadRackPointTypes(Engine& engine, RackTypes& rack, const bool* downloadCancelled,
                                  const std::function<void(int)>& onPoint) {
  RackReadResult result;
  for (int q = 0; q < kRackQuarters; ++q) {
    if (!engine.IsConnected()) {
      result.notConnected = true;
      break;
    }
    if (downloadCancelled && *downloadCancelled) {
      result.cancelled = true;
      break;
    }
    const BlockRead read = RackQuarterRead(q);
    const Reply reply = engine.SendAndAwaitReply(
        engine.Builder().BuildReadBlockRequest(read.length, read.offset), kReadBlockRequest);
    const std::string failure = QuarterFailedText(q);
    if (!JudgeReply(reply, engine.Ui(), failure)) {
      result.failedQuarter = q;
      break;
    }
    if (!DecodeRackQuarter(reply.Block(), q, rack)) {
      engine.Ui().Message(failure);
      result.failedQuarter = q;
      break;
    }
    ++result.quartersRead;
    if (onPoint) {
      for (int j = 0; j < kPointsPerQuarter; ++j) onPoint(kPointsPerQuarter * q + j);
    }
  }
  return result;
}

bool ReadPointScaling(Engine& engine, int point, PointScalingTable& scaling) {
  if (!IsPoint(point)) {
    engine.Ui().Message(text::kNoSuchPoint);
    return false;
  }
  const std::optional<std::uint32_t> to = ReadQuadlet(
      engine, PointRecordAddress(point, memory_map::point_record::kScaleTo), text::kScaleReadFailed);
  if (!to) return false;
  const std::optional<std::uint32_t> from = ReadQuadlet(
      engine, PointRecordAddress(point, memory_map::point_record::kScaleFrom), text::kScaleReadFailed);
  if (!from) return false;
  auto& [scaleFrom, scaleTo] = scaling[static_cast<std::size_t>(point)];
  for (const auto& [quad, target] : {std::pair{*to, &scaleTo}, std::pair{*from, &scaleFrom}}) {
    if (const std::optional<std::string> shown = ScaleValueText(quad)) {
      *target = *shown;
    } else {
      engine.Ui().Message(text::kScaleConversionFailed);
    }
  }
  return true;
}

ScanStep AnalogScan(Engine& engine, const RackTypes& rack, PointTexts& texts) {
  return ScanBlock(engine, AnalogScanRead(), text::kAnalogLabelMismatch, &DecodeAnalogScan, rack, texts);
}

ScanStep DigitalScan(Engine& engine, const RackTypes& rack, PointTexts& texts) {
  return ScanBlock(engine, DigitalScanRead(), text::kDigitalLabelMismatch, &DecodeDigitalScan, rack, texts);
}

ScanResult Scan(Engine& engine, const RackTypes& rack, PointTexts& texts) {
  ScanResult result;
  if (AnalogPointsPresent(rack)) {
    result.analogMade = true;
    const ScanStep analog = AnalogScan(engine, rack, texts);
    result.ok = analog.ok;
    result.analog = analog.update;
    result.discarded = analog.discarded;
    if (analog.noReply) return result;
  }
  const ScanStep digital = DigitalScan(engine, rack, texts);
  result.ok = result.ok && digital.ok;
  result.digital = digital.update;
  if (result.discarded.empty()) result.discarded = digital.discarded;
  return result;
}

bool WritePointConfigType(Engine& engine, int point, std::int32_t code) {
  const WriteRequest w = PointConfigWrite(point, code);
  if (w.Refused()) {
    engine.Ui().Message(w.refusal);
    return false;
  }
  const Reply reply =
      engine.SendAndAwaitReply(engine.Builder().BuildWriteQuadRequest(w.data, w.offset), kWriteQuadRequest);
  return JudgeReply(reply, engine.Ui(), text::kConfigWriteFailed);
}

std::optional<std::int32_t> ReadPointType(Engine& engine, int point) {
  if (!IsPoint(point)) return std::nullopt;
  const Reply reply = engine.SendAndAwaitReply(
      engine.Builder().BuildReadQuadRequest(PointRecordAddress(point, memory_map::point_record::kPointType)),
      kReadQuadRequest);
  if (TransactionFailed(reply, engine.Ui())) return std::nullopt;
  const std::optional<std::uint32_t> quad = reply.Quadlet();
  if (!quad) return std::nullopt;
  return static_cast<std::int32_t>(*quad);
}

TypeChange ChangePointType(Engine& engine, RackTypes& rack, int point, std::int32_t code) {
  TypeChange change;
  change.points = PointsToConfigure(point, rack);
  std::vector<std::int32_t> old;
  for (int p : change.points) {
    old.push_back(rack.RackPointTypes[static_cast<std::size_t>(p)]);
    rack.RackPointTypes[static_cast<std::size_t>(p)] = code;
  }
  for (std::size_t i = 0; i < change.points.size(); ++i) {
    const int p = change.points[i];
    if (WritePointConfigType(engine, p, code)) continue;
    change.ok = false;
    // The brain may have taken the write before its reply was lost: ask it. Without a connection
    // (or a reply) the old code is the best guess.
    const std::optional<std::int32_t> back =
        engine.IsConnected() ? ReadPointType(engine, p) : std::optional<std::int32_t>();
    rack.RackPointTypes[static_cast<std::size_t>(p)] = back.value_or(old[i]);
    for (std::size_t j = i + 1; j < change.points.size(); ++j)
      rack.RackPointTypes[static_cast<std::size_t>(change.points[j])] = old[j];
    break;
  }
  return change;
}

bool WriteDigitalPoint(Engine& engine, int pointNum, const PointTexts& texts) {
  if (!IsPoint(pointNum) && pointNum != kAllPoints) {
    engine.Ui().Message(text::kNoSuchPoint);
    return false;
  }
  const DigitalWrite w = DigitalPointWrite(pointNum, texts);
  return WriteBlock(engine, w.offset, w.data, text::kDigitalWriteFailed);
}

bool WriteAnalogPoints(Engine& engine, int point, std::string_view text) {
  const WriteRequest w = AnalogPointWrite(point, text);
  if (w.Refused()) {
    engine.Ui().Message(w.refusal);
    return false;
  }
  return WriteBlock(engine, w.offset, w.data, text::kAnalogWriteFailed);
}

bool TriggerCalibration(Engine& engine, int point, Calibration kind) {
  const WriteRequest w = CalibrationTrigger(point, kind);
  if (w.Refused()) {
    engine.Ui().Message(w.refusal);
    return false;
  }
  return ReadQuadlet(engine, w.offset, text::kCalibrationFailed).has_value();
}

ClickResult ClickPoint(Engine& engine, PointsState state, int point, const PointDialogs& dialogs) {
  ClickResult result;
  const ClickDecision d = PointClicked(point, state.rack, state.values, state.tables);
  result.action = d.action;
  if (d.action == ClickAction::None) return result;
  if (d.action == ClickAction::RefuseDigitalInput) {
    engine.Ui().Message(text::kDigitalInputRefused);
    return result;
  }
  const auto p = static_cast<std::size_t>(point);
  const auto record = [&result](bool ok) {
    if (ok) {
      result.wrote = true;
    } else {
      result.failed = true;
    }
  };
  switch (d.action) {
    case ClickAction::ToggleDigital: {
      const std::string previous = state.values[p];
      state.values[p] = d.newText;
      result.textChanged = true;
      if (d.writeDigital && !WriteDigitalPoint(engine, point, state.values)) {
        // The brain did not take the toggle: the box shows what the point still is.
        state.values[p] = previous;
        result.failed = true;
      } else if (d.writeDigital) {
        result.wrote = true;
      }
      return result;
    }
    case ClickAction::AnalogOutputEntry: {
      if (d.newPointType) state.rack.RackPointTypes[p] = *d.newPointType;
      ReadPointScaling(engine, point, state.scaling);
      const std::optional<std::string> typed =
          dialogs.analogEntry
              ? dialogs.analogEntry(AnalogEntryRange(state.scaling[p].first, state.scaling[p].second))
              : std::nullopt;
      if (typed) {
        state.values[p] = *typed;
        result.textChanged = true;
        // The number the operator typed is what is written, whatever a scan has put in the texts since.
        record(WriteAnalogPoints(engine, point, *typed));
      }
      break;
    }
    case ClickAction::AskGainOffset:
      if (engine.Ui().Ask(text::kAnalogInputQuestion, false, text::kAnalogInputTitle) == Answer::Yes &&
          dialogs.gainOffset)
        dialogs.gainOffset(point);
      break;
    default:
      break;
  }
  if (d.writeDigital) record(WriteDigitalPoint(engine, point, state.values));
  return result;
}

}  // namespace kestrio::points
