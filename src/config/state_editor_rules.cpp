#include "config/state_editor_rules.h"

#include <cstdint>

#include "config/item_ranges.h"
#include "config/mask.h"
#include "config/numbers.h"
#include "config/picker_rules.h"
#include "config/utf8_text.h"
#include "protocol/convert.h"

namespace kestrio::config {

namespace {

constexpr char kDigitalType[] = "Digital";
constexpr char kFlagType[] = "Flag";

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool IsUsableSet(std::optional<int> set) { return set && *set >= 0 && *set < kUsableStates; }

bool IsNewSide(const StateEditorSide& side) {
  return side.dropDownText.empty() || !IsUsableSet(side.selectedSet);
}

// Another set than `self` already carries `name`, letter case ignored.
bool NameTakenByAnother(const StateGlobals& tables, std::string_view name, std::optional<int> self) {
  for (int s = 0; s < kUsableStates; ++s) {
    if (self && *self == s) continue;
    if (!tables.states[s].name.empty() && EqualIgnoringCase(tables.states[s].name, name)) return true;
  }
  return false;
}

}  // namespace

StateGridRow MakeStateRow(const StateGlobals& tables, bool digital, int number, bool on) {
  return {std::to_string(number), DisplayName(tables, digital, number) + (on ? " ON" : " OFF"),
          digital ? kDigitalType : kFlagType};
}

std::vector<StateGridRow> RowsOfMask(const StateGlobals& tables, std::string_view mask, bool digital,
                                     bool on) {
  std::vector<StateGridRow> rows;
  const std::uint64_t value = MaskValue(mask);
  for (int n = 0; n < 64; ++n) {
    if ((value >> n) & 1u) rows.push_back(MakeStateRow(tables, digital, n, on));
  }
  return rows;
}

std::vector<StateGridRow> RowsOfSet(const StateGlobals& tables, int set) {
  std::vector<StateGridRow> rows;
  if (!IsNamedSet(tables, set)) return rows;
  const StateRecord& s = tables.states[set];
  for (auto part :
       {RowsOfMask(tables, s.digitalOn, true, true), RowsOfMask(tables, s.digitalOff, true, false),
        RowsOfMask(tables, s.flagsOn, false, true), RowsOfMask(tables, s.flagsOff, false, false)}) {
    rows.insert(rows.end(), part.begin(), part.end());
  }
  return rows;
}

SetMasks BuildSetMasks(const std::vector<StateGridRow>& rows) {
  std::uint64_t digitalOn = 0, digitalOff = 0, flagsOn = 0, flagsOff = 0;
  for (const StateGridRow& row : rows) {
    const bool off = EndsWith(row.name, " OFF");
    if (!off && !EndsWith(row.name, " ON")) continue;
    const bool digital = row.type == kDigitalType;
    if (!digital && row.type != kFlagType) continue;
    const std::optional<long long> n = LenientInteger(row.number);
    if (row.number.empty() || !n || *n < 0 || *n > 63) continue;
    const std::uint64_t bit = std::uint64_t{1} << *n;
    (digital ? (off ? digitalOff : digitalOn) : (off ? flagsOff : flagsOn)) |= bit;
  }
  return {MaskText(digitalOn), MaskText(digitalOff), MaskText(flagsOn), MaskText(flagsOff)};
}

bool HasAnyRow(const std::vector<StateGridRow>& rows) {
  for (const StateGridRow& row : rows) {
    if (!row.name.empty()) return true;
  }
  return false;
}

std::vector<int> NumbersInRows(const std::vector<StateGridRow>& rows, bool digital) {
  std::vector<int> numbers;
  for (const StateGridRow& row : rows) {
    if (row.type != (digital ? kDigitalType : kFlagType) || row.number.empty()) continue;
    if (const std::optional<long long> n = LenientInteger(row.number); n && *n >= 0 && *n < 64) {
      numbers.push_back(static_cast<int>(*n));
    }
  }
  return numbers;
}

std::vector<std::pair<int, std::string>> NamedSets(const StateGlobals& tables) {
  std::vector<std::pair<int, std::string>> sets;
  for (int s = 0; s < kUsableStates; ++s) {
    if (IsDefined(tables.states[s])) sets.emplace_back(s, tables.states[s].name);
  }
  return sets;
}

std::optional<int> NewItemNumber(const StateGlobals& tables, bool timer, std::string& message) {
  const ItemKind kind = timer ? ItemKind::Timer : ItemKind::DigitalEvent;
  const std::optional<int> item = FirstUnusedItem(tables, kind);
  message = item ? std::string() : RangeMessage(kind);
  return item;
}

std::string DefaultSetName(bool timer, int item, bool eventSide) {
  return (timer ? "Timer" : "Digital Event") + NumberText(item) + ": " + (eventSide ? "Event" : "Reaction");
}

std::optional<std::string> RenameSet(StateGlobals& tables, std::optional<int> set, std::string_view oldName,
                                     Prompter& prompter) {
  if (oldName.empty() || !IsUsableSet(set)) {
    prompter.Message(kRenameBeforeSave);
    return std::nullopt;
  }
  const std::optional<std::string> answer = prompter.Input(kRenamePrompt, kRenameTitle, std::string(oldName));
  if (!answer || answer->empty() || *answer == oldName) return std::nullopt;
  // Renaming a set only in letter case is no clash with itself.
  if (NameTakenByAnother(tables, *answer, set) && prompter.Ask(kNameExists) != Answer::Yes)
    return std::nullopt;
  tables.states[*set].name = *answer;
  return answer;
}

StateEditorInput LoadStateEditor(const StateGlobals& tables, bool timer, int item) {
  StateEditorInput input;
  input.timer = timer;
  input.item = item;
  if (!IsItemUsed(tables, timer ? ItemKind::Timer : ItemKind::DigitalEvent, item)) return input;
  const std::array<int, 2> sets =
      timer ? std::array<int, 2>{tables.timers[item].inputState, tables.timers[item].outputState}
            : std::array<int, 2>{tables.digitalEvents[item].eventState,
                                 tables.digitalEvents[item].reactionState};
  for (int side = 0; side < 2; ++side) {
    if (IsNamedSet(tables, sets[side])) {
      input.sides[side] = {sets[side], SetName(tables, sets[side]), RowsOfSet(tables, sets[side])};
    }
  }
  if (timer) input.preset = tables.timers[item].preset;
  return input;
}

bool SaveStateEditor(StateGlobals& tables, StateEditorInput& input, Prompter& prompter) {
  const ItemKind kind = input.timer ? ItemKind::Timer : ItemKind::DigitalEvent;
  if (input.item < 0 || input.item >= ItemCount(kind)) {
    prompter.Message(RangeMessage(kind));
    return false;
  }
  if (!HasAnyRow(input.sides[0].rows) || !HasAnyRow(input.sides[1].rows)) {
    prompter.Message(kNeedBothSides);
    return false;
  }
  std::string message;
  if (input.timer && !CheckNumericBox(input.preset, "timer preset", kMaxQuadletValue, message)) {
    prompter.Message(message);
    return false;
  }
  const std::array<SetMasks, 2> masks{BuildSetMasks(input.sides[0].rows), BuildSetMasks(input.sides[1].rows)};
  const bool sameSet = !IsNewSide(input.sides[0]) && !IsNewSide(input.sides[1]) &&
                       *input.sides[0].selectedSet == *input.sides[1].selectedSet;
  if (sameSet && masks[0] != masks[1]) {
    prompter.Message(kSameSetDiffers);
    return false;
  }
  int freeSets = 0;
  for (int set = 0; set < kUsableStates; ++set) freeSets += tables.states[set].name.empty() ? 1 : 0;
  const int newSides = IsNewSide(input.sides[0]) + IsNewSide(input.sides[1]);
  if (newSides > freeSets) {
    prompter.Message(kNoFreeSet);
    return false;
  }

  // A name another set shares may be kept (Yes) or changed now (No).
  for (int side = 0; side < 2; ++side) {
    StateEditorSide& s = input.sides[side];
    if (IsNewSide(s) || !NameTakenByAnother(tables, s.dropDownText, s.selectedSet)) continue;
    if (prompter.Ask(side == 0 ? kEventNameUsed : kReactionNameUsed) == Answer::No) {
      if (std::optional<std::string> renamed = RenameSet(tables, s.selectedSet, s.dropDownText, prompter)) {
        s.dropDownText = *renamed;
      }
    }
  }

  std::array<int, 2> sets{};
  for (int side = 0; side < 2; ++side) {
    StateEditorSide& s = input.sides[side];
    if (IsNewSide(s)) {
      const int set = *FirstFreeSet(tables);
      const std::string word = side == 0 ? "Event" : "Reaction";
      const std::string fallback = DefaultSetName(input.timer, input.item, side == 0);
      std::string name = fallback;
      const std::string question =
          "Would you like to name this " + word +
          "? \r\n\r\n(For use by another Digital Event or Timer \r\n as either another "
          "Event or a Reaction)";
      if (prompter.Ask(question) == Answer::Yes) {
        const std::optional<std::string> typed = prompter.Input(kNewNamePrompt, "", fallback);
        if (typed && !typed->empty()) name = *typed;
      }
      tables.states[set].name = name;
      sets[side] = set;
    } else {
      sets[side] = *s.selectedSet;
    }
    StateRecord& stored = tables.states[sets[side]];
    stored.digitalOn = masks[side].digitalOn;
    stored.digitalOff = masks[side].digitalOff;
    stored.flagsOn = masks[side].flagsOn;
    stored.flagsOff = masks[side].flagsOff;
  }
  if (input.timer) {
    TimerRecord& timer = tables.timers[input.item];
    timer.inputState = static_cast<std::int16_t>(sets[0]);
    timer.outputState = static_cast<std::int16_t>(sets[1]);
    timer.preset = input.preset;
  } else {
    DigitalEventRecord& event = tables.digitalEvents[input.item];
    event.eventState = static_cast<std::int16_t>(sets[0]);
    event.reactionState = static_cast<std::int16_t>(sets[1]);
  }
  return true;
}

}  // namespace kestrio::config
