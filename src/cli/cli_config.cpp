#include "cli/cli_config.h"

#include <string>
#include <string_view>
#include <vector>

#include "config/config_file.h"
#include "config/state_tables.h"
#include "config/summaries.h"
#include "memmap/atomic_file.h"
#include "transfer/config_compare.h"

namespace kestrio::cli {

namespace {

using namespace kestrio::config;

std::string Line(const std::vector<std::string>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += '\t';
    line += transfer::EscapedText(cells[i], false);
  }
  return line + "\n";
}

// ---- The tables as JSON: names in full, the other tables' defined entries with their numbers. ----

template <class R>
struct Field {
  std::string_view key;
  std::string R::*text = nullptr;
  std::int16_t R::*number = nullptr;
};

template <class R, std::size_t N, std::size_t Size>
std::string RecordsJson(const std::array<R, Size>& table, int usable, const Field<R> (&fields)[N]) {
  std::vector<std::string> items;
  for (int i = 0; i < usable; ++i) {
    const R& record = table[i];
    if (!IsDefined(record)) continue;
    JsonObject o;
    o.Num("number", i);
    for (const Field<R>& f : fields) {
      if (f.text) o.Str(f.key, record.*f.text);
      if (f.number) o.Num(f.key, record.*f.number);
    }
    items.push_back(o.Text());
  }
  return JsonArray(items);
}

template <std::size_t N>
std::string NamesJson(const std::array<NameRecord, N>& names) {
  std::vector<std::string> items;
  for (const NameRecord& n : names) items.push_back(n.name);
  return JsonStringArray(items);
}

using St = StateRecord;
using D = DigitalEventRecord;
using T = TimerRecord;
using A = AlarmRecord;
using M = EventMessageRecord;
using S = SerialEventRecord;

const Field<St> kStateFields[] = {{"name", &St::name},
                                  {"digitalOn", &St::digitalOn},
                                  {"digitalOff", &St::digitalOff},
                                  {"flagsOn", &St::flagsOn},
                                  {"flagsOff", &St::flagsOff}};
const Field<D> kEventFields[] = {{"eventState", nullptr, &D::eventState},
                                 {"reactionState", nullptr, &D::reactionState}};
const Field<T> kTimerFields[] = {{"inputState", nullptr, &T::inputState},
                                 {"outputState", nullptr, &T::outputState},
                                 {"preset", &T::preset}};
const Field<A> kAlarmFields[] = {{"deviationLimit", &A::deviationLimit},
                                 {"midRange", &A::midRange},
                                 {"deviationStatus", &A::deviationStatus},
                                 {"deviationFlagsOn", &A::deviationFlagsOn},
                                 {"deviationFlagsOff", &A::deviationFlagsOff},
                                 {"highLimit", &A::highLimit},
                                 {"highDeadBand", &A::highDeadBand},
                                 {"highStatus", &A::highStatus},
                                 {"highFlagsOn", &A::highFlagsOn},
                                 {"highFlagsOff", &A::highFlagsOff},
                                 {"lowLimit", &A::lowLimit},
                                 {"lowDeadBand", &A::lowDeadBand},
                                 {"lowStatus", &A::lowStatus},
                                 {"lowFlagsOn", &A::lowFlagsOn},
                                 {"lowFlagsOff", &A::lowFlagsOff},
                                 {"addressToCheck", &A::addressToCheck},
                                 {"isFloat", &A::isFloat}};
const Field<M> kMessageFields[] = {{"name", &M::name},
                                   {"serialStatus", &M::serialStatus},
                                   {"serialPortMask", &M::serialPortMask},
                                   {"snmpStatus", &M::snmpStatus},
                                   {"trapType", &M::trapType},
                                   {"trapPeriod", &M::trapPeriod},
                                   {"emailStatus", &M::emailStatus},
                                   {"emailPeriod", &M::emailPeriod},
                                   {"priority", &M::priority},
                                   {"streamPackets", &M::streamPackets},
                                   {"streamPeriod", &M::streamPeriod},
                                   {"messageText", &M::messageText},
                                   {"flagsOn", &M::flagsOn},
                                   {"flagsOff", &M::flagsOff}};
const Field<S> kSerialFields[] = {
    {"patternString", &S::patternString}, {"resultingString", &S::resultingString},
    {"trapType", &S::trapType},           {"trapPeriod", &S::trapPeriod},
    {"portMask", &S::portMask},           {"flagsOn", &S::flagsOn},
    {"flagsOff", &S::flagsOff},           {"priority", &S::priority}};

std::string TablesJson(const StateGlobals& t) {
  return JsonObject()
      .Raw("pointNames", NamesJson(t.pointNames))
      .Raw("flagNames", NamesJson(t.flagNames))
      .Raw("states", RecordsJson(t.states, kUsableStates, kStateFields))
      .Raw("digitalEvents", RecordsJson(t.digitalEvents, kUsableDigitalEvents, kEventFields))
      .Raw("timers", RecordsJson(t.timers, kTimerCount, kTimerFields))
      .Raw("alarms", RecordsJson(t.alarms, kAlarmCount, kAlarmFields))
      .Raw("eventMessages", RecordsJson(t.eventMessages, kEventMessageCount, kMessageFields))
      .Raw("serialEvents", RecordsJson(t.serialEvents, kSerialEventCount, kSerialFields))
      .Text();
}

}  // namespace

CommandResult RunConfigShow(const CliArgs& args, CliPrompter& ui, std::ostream& out) {
  CommandResult r;
  r.json.Str("file", args.file);
  StateGlobals tables;
  if (!ImportConfigurationFile(tables, args.file, ui)) {
    r.exit = kExitFailed;
    return r;
  }
  if (args.json) {
    r.json.Raw("tables", TablesJson(tables));
    return r;
  }
  // No brain is asked, so the points view has no point types.
  for (int v = 0; v < kViewCount; ++v) {
    const View view = static_cast<View>(v);
    const Summary summary = BuildSummary(tables, view);
    if (v > 0) out << "\n";
    out << LayoutOf(view).title << "\n" << Line(summary.headers);
    for (const std::vector<std::string>& row : summary.rows) out << Line(row);
  }
  return r;
}

CommandResult RunConfigSave(const CliArgs& args, CliPrompter& ui, std::ostream& out) {
  CommandResult r;
  r.json.Str("in", args.file).Str("out", args.outFile);
  StateGlobals tables;
  if (!ImportConfigurationFile(tables, args.file, ui) ||
      !SaveConfigurationFile(tables, args.outFile, AtomicSave, ui)) {
    r.exit = kExitFailed;
    return r;
  }
  if (!args.json) out << "Imported " << args.file << " and saved it to " << args.outFile << ".\n";
  return r;
}

}  // namespace kestrio::cli
