// The download's record decoding and set rebuilding: any digits a brain (or a broken network) gives
// for any record. Nothing is stored from a short or non-hex record, no reference ever points past
// the sets the download created, no set is created twice for the same masks, and nothing is written
// past the 128 usable sets. Whatever was stored can be built back into a record without harm.
//
// Input layout: records one after another, each a kind byte (low 3 bits: the six kinds, the serial
// priorities, or a bare key for FindOrAddSet; bit 7: the payload is taken as text instead of bytes),
// an index byte (minus 2, so indexes below 0 and past every table occur), a length byte and that many
// payload bytes.
#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "config/mask.h"
#include "config/utf8_text.h"
#include "fuzz_input.h"
#include "protocol/hex.h"
#include "transfer/config_compare.h"
#include "transfer/record_builders.h"
#include "transfer/record_decoders.h"

namespace {

namespace tr = kestrio::transfer;
using kestrio::config::NO_STATE;
using kestrio::config::StateGlobals;
using kestrio::fuzz::FuzzInput;

void CheckReference(const StateGlobals& t, int next, int reference) {
  KESTRIO_FUZZ_CHECK(reference == NO_STATE || (reference >= 0 && reference < next));
  if (reference != NO_STATE) KESTRIO_FUZZ_CHECK(!t.states[static_cast<std::size_t>(reference)].name.empty());
}

void CheckTables(const StateGlobals& t, int next) {
  KESTRIO_FUZZ_CHECK(next >= 0 && next <= kestrio::config::kUsableStates);
  std::set<std::tuple<std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t>> masks;
  for (int s = 0; s < kestrio::config::kStateCount; ++s) {
    const kestrio::config::StateRecord& set = t.states[static_cast<std::size_t>(s)];
    KESTRIO_FUZZ_CHECK(set.name.empty() == (s >= next));
    // A set given back when the table was full leaves nothing behind.
    if (s >= next) {
      KESTRIO_FUZZ_CHECK(set == kestrio::config::StateRecord{});
      continue;
    }
    using kestrio::config::MaskValue;
    KESTRIO_FUZZ_CHECK(masks
                           .insert({MaskValue(set.digitalOn), MaskValue(set.digitalOff),
                                    MaskValue(set.flagsOn), MaskValue(set.flagsOff)})
                           .second);
  }
  for (const auto& d : t.digitalEvents) {
    CheckReference(t, next, d.eventState);
    CheckReference(t, next, d.reactionState);
  }
  for (const auto& timer : t.timers) {
    CheckReference(t, next, timer.inputState);
    CheckReference(t, next, timer.outputState);
  }
  for (const auto& a : t.alarms) KESTRIO_FUZZ_CHECK(kestrio::config::ToValidUtf8(a.highLimit) == a.highLimit);
  for (const auto& m : t.eventMessages)
    KESTRIO_FUZZ_CHECK(kestrio::config::ToValidUtf8(m.messageText) == m.messageText);
  for (const auto& p : t.pointNames) KESTRIO_FUZZ_CHECK(kestrio::config::CharCount(p.name) <= 16);
}

template <typename T, std::size_t N>
std::optional<T> At(const std::array<T, N>& table, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= N) return std::nullopt;
  return table[static_cast<std::size_t>(index)];
}

// What a record at `index` could store into, and the next set's index: a record that stores nothing
// leaves all of it as it was. Copying these few entries instead of the whole tables keeps the target fast.
auto Touchable(const StateGlobals& t, int index, int next) {
  return std::tuple{At(t.pointNames, index),
                    At(t.alarms, index),
                    At(t.eventMessages, index),
                    At(t.serialEvents, index),
                    At(t.digitalEvents, index),
                    At(t.timers, index),
                    next};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  StateGlobals tables;
  int next = 0;
  tr::ClearConfiguration(tables, next);
  while (!in.Empty()) {
    const std::uint8_t kind = in.Byte();
    const int index = static_cast<int>(in.Byte()) - 2;
    const std::string_view payload = in.Text(in.Byte());
    const std::string digits =
        (kind & 0x80)
            ? std::string(payload)
            : kestrio::BytesToHex(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size());
    const int which = kind & 7;
    const auto before = Touchable(tables, index, next);
    const std::optional<decltype(tables.serialEvents)> prioritiesBefore =
        which == 6 ? std::optional(tables.serialEvents) : std::nullopt;
    tr::StoreOutcome outcome = tr::StoreOutcome::Stored;
    if (which < tr::kRecordKinds) {
      const auto k = static_cast<tr::RecordKind>(which);
      outcome = tr::StoreRecord(k, tables, next, index, digits);
      if (outcome == tr::StoreOutcome::Stored) (void)tr::BuildRecordOf(k, tables, index);
    } else if (which == 6) {
      outcome = tr::StoreSerialPriorities(tables, digits);
    } else {
      const std::size_t q = digits.size() / 4;
      const tr::SetKey key{digits.substr(0, q), digits.substr(q, q), digits.substr(2 * q, q),
                           digits.substr(3 * q)};
      const tr::SetLookup found = tr::FindOrAddSet(tables, next, key);
      KESTRIO_FUZZ_CHECK((found.found == tr::SetFound::None || found.found == tr::SetFound::Full) ==
                         (found.index == NO_STATE));
      KESTRIO_FUZZ_CHECK(key.Zero() == (found.found == tr::SetFound::None));
    }
    // Nothing stored from a record that could not be used.
    if (outcome == tr::StoreOutcome::BadRecord || outcome == tr::StoreOutcome::SetsFull ||
        outcome == tr::StoreOutcome::Skipped) {
      KESTRIO_FUZZ_CHECK(Touchable(tables, index, next) == before);
      if (prioritiesBefore) KESTRIO_FUZZ_CHECK(tables.serialEvents == *prioritiesBefore);
    }
  }
  CheckTables(tables, next);
  static const StateGlobals kEmpty;
  (void)tr::CompareConfigurations(tables, kEmpty);
  return 0;
}
