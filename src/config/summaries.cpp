#include "config/summaries.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "config/mask.h"
#include "protocol/convert.h"

namespace kestrio::config {

namespace {

constexpr std::array<ViewLayout, kViewCount> kLayouts{{
    {"I/O Points", 65, 6, false, "&Edit Points...", "C&lear Name"},
    {"Scratch Pad Flags", 65, 5, false, "&Edit Flags...", "C&lear Name"},
    {"Digital Events", 65, 3, true, "&Modify...", "&Delete"},
    {"Timers", 65, 4, true, "&Modify...", "&Delete"},
    {"View Ports", 33, 3, true, "&Modify...", "&Delete"},
    {"Alarm Events", 65, 21, true, "&Modify...", "&Delete"},
    {"Event Messages", 129, 14, true, "&Modify...", "&Delete"},
    {"Serial Events", 33, 9, true, "&Modify...", "&Delete"},
}};

int Index(View view) {
  const int i = static_cast<int>(view);
  return i >= 0 && i < kViewCount ? i : 0;
}

// "<" number " - " text "> ": one entry of a "Used by" list.
std::string Entry(int number, std::string_view text) {
  return "<" + std::to_string(number) + " - " + std::string(text) + "> ";
}

std::string Join(const std::vector<int>& numbers) {
  std::string out;
  for (int n : numbers) {
    if (!out.empty()) out += ", ";
    out += std::to_string(n);
  }
  return out;
}

// Rows of the points (digital = true) or flags view.
Summary NameRows(const StateGlobals& tables, bool digital, const PointTypeName& pointTypeName) {
  Summary summary;
  // Each named set's two masks for this kind, read once.
  std::array<std::uint64_t, kUsableStates> members{};
  for (int s = 0; s < kUsableStates; ++s) {
    const StateRecord& set = tables.states[s];
    if (!IsDefined(set)) continue;
    members[s] = digital ? MaskValue(set.digitalOn) | MaskValue(set.digitalOff)
                         : MaskValue(set.flagsOn) | MaskValue(set.flagsOff);
  }
  const auto& names = digital ? tables.pointNames : tables.flagNames;
  for (int p = 0; p < kPointCount; ++p) {
    std::array<bool, kStateCount> usesPoint{};
    std::string sets;
    int setCount = 0;
    for (int s = 0; s < kUsableStates; ++s) {
      if (((members[s] >> p) & 1u) == 0) continue;
      usesPoint[s] = true;
      sets += Entry(s, tables.states[s].name) + "\r";
      ++setCount;
    }
    const auto usesAny = [&](int a, int b) {
      return (a >= 0 && a < kStateCount && usesPoint[a]) || (b >= 0 && b < kStateCount && usesPoint[b]);
    };
    std::vector<int> events;
    for (int i = 0; i < kUsableDigitalEvents; ++i) {
      const DigitalEventRecord& e = tables.digitalEvents[i];
      if (IsDefined(e) && usesAny(e.eventState, e.reactionState)) events.push_back(i);
    }
    std::vector<int> timers;
    for (int i = 0; i < kTimerCount; ++i) {
      const TimerRecord& t = tables.timers[i];
      if (IsDefined(t) && usesAny(t.inputState, t.outputState)) timers.push_back(i);
    }
    std::vector<std::string> row{NumberText(p), names[p].name};
    if (digital) row.push_back(pointTypeName ? pointTypeName(p) : std::string());
    row.push_back(Join(events));
    row.push_back(Join(timers));
    row.push_back(sets);
    summary.rows.push_back(std::move(row));
    const int byEvents = static_cast<int>(std::nearbyint(events.size() / 6.0));
    const int byTimers = static_cast<int>(std::nearbyint(timers.size() / 6.0));
    summary.rowLines.push_back(std::max({setCount, 1, byEvents, byTimers}));
  }
  return summary;
}

// Rows of `count` items: the number, then `cells(i)` for a defined item or blanks.
template <class Defined, class Cells>
Summary ItemRows(int count, int columns, Defined defined, Cells cells) {
  Summary summary;
  for (int i = 0; i < count; ++i) {
    std::vector<std::string> row{NumberText(i)};
    if (defined(i)) {
      std::vector<std::string> rest = cells(i);
      row.insert(row.end(), rest.begin(), rest.end());
    }
    row.resize(static_cast<std::size_t>(columns));
    summary.rows.push_back(std::move(row));
    summary.rowLines.push_back(1);
  }
  return summary;
}

Summary PortRows(const StateGlobals& tables) {
  Summary summary;
  for (int p = 0; p < kSerialPortCount; ++p) {
    std::string serial;
    for (int i = 0; i < kSerialEventCount; ++i) {
      const SerialEventRecord& e = tables.serialEvents[i];
      if (IsDefined(e) && MaskHasBit(e.portMask, p)) serial += Entry(i, e.patternString);
    }
    std::string messages;
    for (int i = 0; i < kEventMessageCount; ++i) {
      const EventMessageRecord& m = tables.eventMessages[i];
      if (IsDefined(m) && MaskHasBit(m.serialPortMask, p)) messages += Entry(i, m.name);
    }
    summary.rows.push_back({NumberText(p), serial, messages});
    summary.rowLines.push_back(1);
  }
  return summary;
}

}  // namespace

const ViewLayout& LayoutOf(View view) { return kLayouts[Index(view)]; }

std::vector<std::string> HeadersOf(View view) {
  switch (static_cast<View>(Index(view))) {
    case View::Points:
      return {"Point Number",    "Point Name",
              "Point Type",      "Used by: Digital Events",
              "Used by: Timers", "Used by: Sets of ON/OFF states"};
    case View::Flags:
      return {"Scratch Pad Flag", "Flag Name", "Used by: Digital Event", "Used by: Timer",
              "Used in: \r\nSet of ON/OFF states"};
    case View::DigitalEvents:
      return {"Digital Event Number", "If...", "Then..."};
    case View::Timers:
      return {"Timer Number", "If...", "Then...", "Timer Preset"};
    case View::Ports:
      return {"Port Number", "Used by: Serial Events", "Used by: Event Messages"};
    case View::Alarms:
      return {"Alarm",
              "Deviation",
              "Deviation",
              "Middle of Deviation",
              "Deviation Amount",
              "Deviation Flags ON",
              "Deviation Flags OFF",
              "High",
              "High",
              "High Limit",
              "High Limit Dead Band",
              "High Flags ON",
              "High Flags OFF",
              "Low",
              "Low",
              "Low Limit",
              "Low Limit Dead Band",
              "Low Flags ON",
              "Low Flags OFF",
              "(Advanced) Address",
              "(Advanced) Float?"};
    case View::Messages:
      return {"Event Message Number",
              "Message Text",
              "Priority",
              "Stream Packets",
              "Stream Period",
              "E-mail",
              "E-mail Period",
              "Serial",
              "Ports To Monitor",
              "SNMP",
              "Trap Type",
              "Trap Period",
              "Flags ON",
              "Flags OFF"};
    case View::SerialEvents:
      return {"Serial Event Number", "Received Pattern", "Ports To Monitor", "Resulting String", "Flags ON",
              "Flags OFF",           "Trap Type",        "Trap Period",      "Priority"};
  }
  return {};
}

Summary BuildSummary(const StateGlobals& tables, View view, const PointTypeName& pointTypeName) {
  view = static_cast<View>(Index(view));
  const int columns = LayoutOf(view).columns;
  Summary summary;
  switch (view) {
    case View::Points:
    case View::Flags:
      summary = NameRows(tables, view == View::Points, pointTypeName);
      break;
    case View::DigitalEvents:
      summary = ItemRows(
          kUsableDigitalEvents, columns, [&](int i) { return IsDefined(tables.digitalEvents[i]); },
          [&](int i) -> std::vector<std::string> {
            const DigitalEventRecord& e = tables.digitalEvents[i];
            return {SetName(tables, e.eventState), SetName(tables, e.reactionState)};
          });
      break;
    case View::Timers:
      summary = ItemRows(
          kTimerCount, columns, [&](int i) { return IsDefined(tables.timers[i]); },
          [&](int i) -> std::vector<std::string> {
            const TimerRecord& t = tables.timers[i];
            return {SetName(tables, t.inputState), SetName(tables, t.outputState), t.preset};
          });
      break;
    case View::Ports:
      summary = PortRows(tables);
      break;
    case View::Alarms:
      summary = ItemRows(
          kAlarmCount, columns, [&](int i) { return IsDefined(tables.alarms[i]); },
          [&](int i) -> std::vector<std::string> {
            const AlarmRecord& a = tables.alarms[i];
            return {"Deviation",
                    a.deviationStatus,
                    a.midRange,
                    a.deviationLimit,
                    MaskBitList(a.deviationFlagsOn),
                    MaskBitList(a.deviationFlagsOff),
                    "High",
                    a.highStatus,
                    a.highLimit,
                    a.highDeadBand,
                    MaskBitList(a.highFlagsOn),
                    MaskBitList(a.highFlagsOff),
                    "Low",
                    a.lowStatus,
                    a.lowLimit,
                    a.lowDeadBand,
                    MaskBitList(a.lowFlagsOn),
                    MaskBitList(a.lowFlagsOff),
                    a.addressToCheck,
                    a.isFloat};
          });
      break;
    case View::Messages:
      summary = ItemRows(
          kEventMessageCount, columns, [&](int i) { return IsDefined(tables.eventMessages[i]); },
          [&](int i) -> std::vector<std::string> {
            const EventMessageRecord& m = tables.eventMessages[i];
            return {m.messageText,          m.priority,    m.streamPackets, m.streamPeriod,
                    m.emailStatus,          m.emailPeriod, m.serialStatus,  MaskBitList(m.serialPortMask),
                    m.snmpStatus,           m.trapType,    m.trapPeriod,    MaskBitList(m.flagsOn),
                    MaskBitList(m.flagsOff)};
          });
      break;
    case View::SerialEvents:
      summary = ItemRows(
          kSerialEventCount, columns, [&](int i) { return IsDefined(tables.serialEvents[i]); },
          [&](int i) -> std::vector<std::string> {
            const SerialEventRecord& e = tables.serialEvents[i];
            return {e.patternString,
                    MaskBitList(e.portMask),
                    e.resultingString,
                    MaskBitList(e.flagsOn),
                    MaskBitList(e.flagsOff),
                    e.trapType,
                    e.trapPeriod,
                    e.priority};
          });
      break;
  }
  summary.headers = HeadersOf(view);
  return summary;
}

}  // namespace kestrio::config
