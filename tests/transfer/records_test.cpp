// The records the upload writes, byte for byte, from a configuration that uses every table.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "config/config_file.h"
#include "transfer/record_builders.h"

namespace kestrio::transfer {
namespace {

using config::StateGlobals;

StateGlobals EveryTable() {
  std::ifstream in(KESTRIO_SOURCE_DIR "/tests/data/transfer/every_table.txt", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const config::ImportResult r = config::ReadConfigurationText(StateGlobals{}, bytes.str());
  EXPECT_EQ(r.outcome, config::ImportResult::Outcome::Imported) << r.message;
  return r.tables;
}

std::string Repeat(const std::string& digits, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += digits;
  return out;
}

std::string Z(int bytes) { return std::string(static_cast<std::size_t>(bytes) * 2, '0'); }

TEST(RecordBuilders, EachRecordIsByteExact) {
  const StateGlobals tables = EveryTable();
  const struct {
    RecordKind kind;
    int index;
    std::string expected;
  } cases[] = {
      {RecordKind::PointName, 0,
       "50756D7020310"
       "0"},
      {RecordKind::PointName, 5,
       "53FC642070756D70"
       "00"},  // the u with umlaut is one Latin-1 byte
      {RecordKind::PointName, 63,
       "4669667465656E2063686172732121"
       "00"},  // 15 characters fill 16 bytes
      {RecordKind::PointName, 1, "00"},
      // All three blocks, then the address to check and the float flag.
      {RecordKind::Alarm, 3,
       "00000001"
       "42480000"
       "40A00000"
       "0000000000000001"
       "8000000000000000" +
           Z(4) +
           "00000001"
           "42B40000"
           "40200000"
           "0000000000000002" +
           Z(8) + Z(4) +
           "00000001"
           "C1200000"
           "3F800000"
           "0000000000001000"
           "00000000000000F0"
           "F040010C"
           "00000001"},
      {RecordKind::Alarm, 63,
       Z(4) + Z(4) + Z(4) + Z(16) + Z(4) + Z(4) + Z(4) + Z(4) + Z(16) + Z(4) +
           "00000001"
           "41200000"
           "3F800000"
           "0000000000000004" +
           Z(8) + "F04001FC" + Z(4)},
      {RecordKind::Message, 7,
       Z(4) + "0000000000001000" + Z(8) + Z(4) + Z(4) + Z(4) + Z(4) + Z(4) + Z(4) + Z(4) + "00000000" + Z(4) +
           "00000001"
           "80000001"
           "54616E6B206869676820616C61726D0D0A6F6E206C696E652032"
           "00"},
      // 126 characters and the zero byte: 191 bytes, which the request pads to 192.
      {RecordKind::Message, 127,
       Z(4) +
           "0000000000000001"
           "0000000000000002"
           "00000001"
           "FFFFFFFF"
           "00000001"
           "00093A80"
           "00000001"
           "00011170"
           "00000006"
           "00000001" +
           Z(4) + Z(4) + Z(4) +
           "4D657373616765206F66206F6E652068756E6472656420616E64207477656E74792D736978206368617261637465"
           "72733A20" +
           Repeat("78", 76) + "00"},
      // 39 characters and the zero byte fill the 40-byte fields exactly; shorter strings are filled.
      {RecordKind::SerialEvent, 0,
       "00000001" + Z(4) +
           "00000005"
           "000003E8" +
           Repeat("50", 38) + "3900" + Repeat("52", 39) + "00" + "0000000000000004" + Z(8)},
      {RecordKind::SerialEvent, 31,
       "00000003" + Z(4) + Z(4) + Z(4) + "50494E47" + Z(36) + "504F4E47" + Z(36) + "0000000000000002" + Z(8)},
      // Digital event 0 and timer 2 share their sets; the masks come in different orders.
      {RecordKind::DigitalEvent, 0,
       "0000000000000001" + Z(8) +
           "8000000000000000"
           "0000000000000001" +
           Z(8) + "0000000000000020" + Z(8) + Z(8)},
      {RecordKind::Timer, 2,
       "0000000000000001" + Z(8) + Z(8) +
           "0000000000000020"
           "8000000000000000"
           "0000000000000001" +
           Z(8) + Z(8) + "000005DC" + Z(8)},
      {RecordKind::Timer, 63,
       Z(8) + Z(8) + "8000000000000001" + Z(8) + "0000000000000001" + Z(8) + Z(8) + "0000000000000020" +
           Z(4) + Z(8)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ItemName(c.kind, c.index));
    const RecordBuild b = BuildRecordOf(c.kind, tables, c.index);
    ASSERT_TRUE(b.ok()) << b.refusal;
    EXPECT_EQ(*b.hex, c.expected);
  }
  std::string priorities = "00000000" + Repeat("00000001", 30) + "00000001";
  EXPECT_EQ(*BuildSerialPriorities(tables).hex, priorities);
}

// A field that cannot be held refuses its whole record, naming the item and the field; the value
// formats' own words come first when they have any.
TEST(RecordBuilders, AFieldThatDoesNotFitRefusesItsRecord) {
  const std::string text128(127, 'T'), pattern40(40, 'P');
  const struct {
    std::function<void(StateGlobals&)> change;
    RecordKind kind;
    int index;
    std::string refusal;  // empty: still built
  } cases[] = {
      {[](StateGlobals& t) { t.alarms[3].highLimit = "9x"; }, RecordKind::Alarm, 3,
       "Alarm 3 not sent: High Limit '9x' does not fit the brain's field."},
      {[](StateGlobals& t) { t.alarms[3].addressToCheck = "FFFFF040010C"; }, RecordKind::Alarm, 3, ""},
      {[](StateGlobals& t) { t.alarms[3].addressToCheck = "G1"; }, RecordKind::Alarm, 3,
       "Alarm 3 not sent: Address to Check 'G1' does not fit the brain's field."},
      {[](StateGlobals& t) { t.timers[2].preset = "4294967295"; }, RecordKind::Timer, 2, ""},
      {[](StateGlobals& t) { t.timers[2].preset = "4294967296"; }, RecordKind::Timer, 2,
       "Timer 2 not sent: Timer Preset '4294967296' does not fit the brain's field."},
      {[](StateGlobals& t) { t.timers[2].preset = "-1"; }, RecordKind::Timer, 2,
       "Timer 2 not sent: Timer Preset '-1' does not fit the brain's field."},
      {[](StateGlobals& t) { t.eventMessages[7].messageText = std::string(126, 'T'); }, RecordKind::Message,
       7, ""},
      {[&](StateGlobals& t) { t.eventMessages[7].messageText = text128; }, RecordKind::Message, 7,
       "Error! String: '" + text128 + "' too long.\nMessage 7 not sent: Message Text '" + text128 +
           "' does not fit the brain's field."},
      {[&](StateGlobals& t) { t.serialEvents[31].patternString = pattern40; }, RecordKind::SerialEvent, 31,
       "Error! String: '" + pattern40 + "' too long.\nSerial Event 31 not sent: Pattern String '" +
           pattern40 + "' does not fit the brain's field."},
      // 15 characters, 16 bytes in UTF-8, one byte each on the brain.
      {[](StateGlobals& t) {
         t.pointNames[5].name =
             "Pumpe S\xC3\xBC"
             "d 12345";
       },
       RecordKind::PointName, 5, ""},
      {[](StateGlobals& t) { t.pointNames[5].name = "Pump \xE2\x82\xAC"; }, RecordKind::PointName, 5,
       "Point 5 not sent: Name 'Pump \xE2\x82\xAC' does not fit the brain's field."},
      {[](StateGlobals& t) { t.states[3].digitalOn = "XYZ"; }, RecordKind::DigitalEvent, 0,
       "Digital Event 0 not sent: Event Digital Points ON 'XYZ' does not fit the brain's field."},
  };
  for (const auto& c : cases) {
    StateGlobals tables = EveryTable();
    c.change(tables);
    const RecordBuild b = BuildRecordOf(c.kind, tables, c.index);
    SCOPED_TRACE(c.refusal);
    EXPECT_EQ(b.ok(), c.refusal.empty());
    EXPECT_EQ(b.refusal, c.refusal);
  }
}

}  // namespace
}  // namespace kestrio::transfer
