// The simulator's core without sockets: replies, access rules, error recording, commands and flash.
#include "sim/brain.h"

#include <gtest/gtest.h>

#include <tuple>

#include "protocol/convert.h"
#include "support/packets.h"

namespace kestrio::sim {
namespace {

using namespace kestrio::memory_map;
using namespace kestrio::test;
using Cmd = DeviceCommand;

Bytes Do(Brain& b, const Bytes& req) {
  auto r = b.Handle(req);
  EXPECT_TRUE(r.has_value());
  return r.value_or(Bytes{});
}
int Rc(Brain& b, const Bytes& req) { return RcodeOf(Do(b, req)); }
std::string Peek(Brain& b, std::uint64_t addr, std::size_t len) {
  Bytes out;
  EXPECT_TRUE(b.Peek(addr, len, out));
  return BytesToHex(out);
}
// Expected hex, written with blanks for the reader.
std::string H(const char* spaced) { return StrippedHex(spaced); }
// Point p's record (or value) in an area that holds one per point, `field` bytes into it.
std::uint64_t PointAt(const Area& area, int p, int field = 0) {
  return area.base + area.size / kPoints * p + field;
}
std::uint64_t PointTypeAt(int p) { return PointAt(kPointConfig, p, point_record::kPointType); }
void Puc(Brain& b) { ASSERT_EQ(Rc(b, Command(Cmd::PowerUpClear)), 0); }

// A brain of the default rack, past its power-up clear.
class SimBrain : public ::testing::Test {
 protected:
  void SetUp() override { Puc(b); }
  Brain b;
};

TEST_F(SimBrain, RepliesSwapIdsKeepTheLabelAndCarryNoDataOnFailure) {
  const std::pair<Bytes, const char*> cases[] = {
      {ReadBlock(kStatus.base, 6, 37), "0123 9470 FFC0 0000 00000000 0006 0000 000000000000 0000"},  // padded
      {ReadQuad(kStatus.base + status::kPowerUpClear, 63), "0123 FC60 FFC0 0000 00000000 00000001"},
      {WriteQuad(kCommand.base, 9, 2), "0123 0820 FFC0 5000 00000000"},
      {ReadQuad(kDigitalStates.base, 5), "0123 1460 FFC0 4000 00000000 00000000"},
      {ReadBlock(kDigitalStates.base, 8, 6), "0123 1870 FFC0 4000 00000000 0000 0000"}};
  b.Reset();  // the power-up clear pending, for the failures
  for (const auto& [request, reply] : cases) EXPECT_EQ(BytesToHex(Do(b, request)), H(reply));
  // Responses, unknown kinds and packets shorter than their header says get no reply at all.
  Bytes cut = ReadQuad(kStatus.base);
  cut.resize(10);
  for (const Bytes& ignored : {HexToBytes("012304600000000000000000"), HexToBytes(Hdr(3, 1, kStatus.base)),
                               cut, HexToBytes(Hdr(1, 1, kSettings.base) + "000800000102"), Bytes{}})
    EXPECT_FALSE(b.Handle(ignored)) << BytesToHex(ignored);
}

TEST_F(SimBrain, PowerUpClearGatesAllButStatusReadsAndCommands) {
  b.Reset();
  b.SetNetwork(0xC0A80132, 0xFFFFFF00, 0xC0A80101);
  EXPECT_EQ(Data(Do(b, ReadBlock(kStatus.base, kStatus.size))),
            H("00000000 00000001 00000000 00000000 0000 0000 00000000 01000003 02010007 0000004B "
              "01 00 0007 00800000 0000 024B45535401 C0A80132 FFFFFF00 C0A80101"));
  EXPECT_EQ(Rc(b, ReadQuad(kDigitalStates.base, 9)), kRcodeConflict);
  // The last error: code, label, source ID and the low 32 bits of the offset.
  EXPECT_EQ(Peek(b, kStatus.base + status::kErrorCode, 12), H("FFFFE004 0009 0123 F0400000"));
  EXPECT_EQ(Rc(b, WriteQuad(kSettings.base, 5)), kRcodeConflict);
  EXPECT_EQ(Rc(b, ReadQuad(0xFFFFF9990000)), kRcodeConflict);  // even unmapped addresses
  Puc(b);
  EXPECT_EQ(Peek(b, kStatus.base + status::kPowerUpClear, 4), "00000000");
  EXPECT_EQ(Rc(b, ReadQuad(kDigitalStates.base)), 0);
  // A restart clears the last error and expects the power-up clear again.
  ASSERT_EQ(Rc(b, Command(Cmd::RestartFromPowerUp)), 0);
  EXPECT_EQ(Peek(b, kStatus.base + status::kPowerUpClear, 20), "00000001" + std::string(32, '0'));
  EXPECT_EQ(Rc(b, ReadQuad(kDigitalStates.base)), kRcodeConflict);
}

TEST_F(SimBrain, RequestsGiveTheirRcodeAndFailuresRecordTheirError) {
  const std::uint64_t statusEnd = kStatus.base + kStatus.size, settingsEnd = kSettings.base + kSettings.size;
  const std::tuple<const char*, Bytes, int, std::int32_t> cases[] = {
      {"unknown command", WriteQuad(kCommand.base, 7), kRcodeData, kErrInvalidCommand},
      // Slot 2 holds analog input module 16 (points 8 and 9), slot 4 is empty.
      {"type the module lacks", WriteQuad(PointTypeAt(9), 80), kRcodeData, kErrInvalidPointType},
      {"empty slot", WriteQuad(PointTypeAt(16), 256), kRcodeData, kErrInvalidPointType},
      {"third analog position", WriteQuad(PointTypeAt(10), 64), kRcodeData, kErrInvalidPointType},
      {"NaN output", WriteBlock(PointAt(kAnalogOutputs, 12), "7FC00000"), kRcodeData, kErrInvalidFloat},
      {"infinite output", WriteQuad(PointAt(kAnalogOutputs, 12), 0x7F800000), kRcodeData, kErrInvalidFloat},
      {"write to a read-only area", WriteQuad(kStatus.base, 0), kRcodeType, kErrInvalidCommand},
      {"short command", WriteBlock(kCommand.base, "0000"), kRcodeType, kErrInvalidLength},
      {"short masks", WriteBlock(kDigitalOutputs.base, "0000000000000051"), kRcodeType, kErrInvalidLength},
      {"unmapped", ReadBlock(0xFFFFF0700000, 8), kRcodeAddress, kErrInvalidAddress},
      {"read past the end", ReadBlock(statusEnd - 4, 8), kRcodeAddress, kErrInvalidAddress},
      {"write past the end", WriteBlock(settingsEnd - 2, "010203"), kRcodeAddress, kErrInvalidAddress},
      {"unaligned quadlet", ReadQuad(kSettings.base + 2), kRcodeAddress, kErrInvalidAddress},
      {"up to the last byte", ReadBlock(statusEnd - 4, 4), kRcodeComplete, kNoError},
      {"empty block", ReadBlock(kSettings.base, 0), kRcodeComplete, kNoError}};
  for (const auto& [what, request, rcode, error] : cases) {
    Brain fresh;
    Puc(fresh);
    EXPECT_EQ(Rc(fresh, request), rcode) << what;
    EXPECT_EQ(fresh.LastErrorCode(), error) << what;
  }
}

TEST_F(SimBrain, EveryAreaTakesItsRequestKindsAndWritesReadBack) {
  // Expected rcodes of a read quadlet, read block, write quadlet and write block of `length` bytes.
  auto check = [&](std::uint64_t addr, const char* rcodes, std::uint32_t length = 16) {
    SCOPED_TRACE(ToHex(addr, 12));
    // A float where the area checks one (an unknown value for the command quadlet).
    const std::string block = ("41200000" + std::string(24, '0')).substr(0, 2 * length);
    std::string got;
    for (const Bytes& r :
         {ReadQuad(addr), ReadBlock(addr, length), WriteQuad(addr, 0x41200000), WriteBlock(addr, block)})
      got += std::to_string(Rc(b, r));
    EXPECT_EQ(got, rcodes);
    if (got == "0000") {
      EXPECT_EQ(Data(Do(b, ReadBlock(addr, length))), block);
    }
  };
  for (std::uint64_t rw : {kSettings.base, kSettings.base + kSettings.size - 16, PointAt(kAnalogOutputs, 12),
                           kPointNames.base, kDigitalEvents.base, RecordAddress(kTimers, 1), kAlarms.base,
                           RecordAddress(kEventMessages, 1), kSerialEvents.base, kSerialPriorities.base})
    check(rw, "0000");
  for (std::uint64_t ro : {kStatus.base, kEepromImage.base, kEepromImageOld.base, kAnalogValues.base,
                           kCalibration.base + kGainCalibration + 4 * 5})
    check(ro, "0066");
  check(kDigitalStates.base, "0066", kDigitalStates.size);
  check(kDigitalOutputs.base, "6660", kDigitalOutputs.size);
  check(kCommand.base, "6655", kCommand.size);
}

TEST_F(SimBrain, OutputMasksDriveDigitalOutputsOnly) {
  b.SetDigitalInputOverride(0x2);
  auto states = [&] { return Data(Do(b, ReadBlock(kDigitalStates.base, kDigitalStates.size))); };
  // Slot 0 holds inputs (points 0-3), slot 1 outputs (4-7): the on mask names 0, 4 and 6.
  ASSERT_EQ(Rc(b, WriteBlock(kDigitalOutputs.base, "0000000000000051 0000000000000000")), 0);
  EXPECT_EQ(states(), "0000000000000052");
  // The off mask clears 4; 5 is in both masks and ends off.
  ASSERT_EQ(Rc(b, WriteBlock(kDigitalOutputs.base, "0000000000000020 0000000000000030")), 0);
  EXPECT_EQ(states(), "0000000000000042");
  // A digital slot takes either direction: output 6 turned input and back, and input 0 (which the
  // on mask named) turned output, start off.
  for (const Bytes& r :
       {WriteQuad(PointTypeAt(6), kDigitalInputType), WriteQuad(PointTypeAt(6), kDigitalOutputType),
        WriteQuad(PointTypeAt(0), kDigitalOutputType)})
    ASSERT_EQ(Rc(b, r), 0);
  EXPECT_EQ(states(), "0000000000000002");
}

TEST_F(SimBrain, AnalogOutputsReadBackAndInputsStayInTheirRange) {
  // Slot 3 is an analog output module (point 12); a refused NaN keeps the last value.
  ASSERT_EQ(Rc(b, WriteQuad(PointAt(kAnalogOutputs, 12), 0x40200000)), 0);
  ASSERT_EQ(Rc(b, WriteQuad(PointAt(kAnalogOutputs, 12), 0x7FC00000)), kRcodeData);
  EXPECT_EQ(Data(Do(b, ReadQuad(PointAt(kAnalogValues, 12)))), "40200000");
  // Point 8 spans -10..10, point 24 -210..760; digital point 0 has no analog value.
  for (std::uint64_t ms = 0; ms < 20000; ms += 1700) {
    b.SetElapsedMs(ms);
    const Bytes v = HexToBytes(Data(Do(b, ReadBlock(kAnalogValues.base, kAnalogValues.size))));
    auto at = [&](int p) { return HexToFloat(BytesToHex(v.data() + 4 * p, 4)); };
    EXPECT_TRUE(at(8) >= -10 && at(8) <= 10 && at(24) >= -210 && at(24) <= 760 && at(0) == 0) << ms;
  }
}

TEST_F(SimBrain, PointTypeWritesFollowTheModule) {
  const std::uint64_t rec9 = PointAt(kPointConfig, 9);  // module 16: types 64 (first), 65, 66
  const std::string zeros = std::string(24, '0'),
                    name = std::string(40, '0') + "54616E6B00" + std::string(22, '0');
  EXPECT_EQ(Peek(b, rec9, 28), H("00000010 00000040") + zeros + FloatToHex(10) + FloatToHex(-10));
  ASSERT_EQ(Rc(b, WriteQuad(PointTypeAt(9), 66)), 0);  // 4-20 mA: the scale follows
  EXPECT_EQ(Peek(b, rec9 + point_record::kScaleTo, 8), FloatToHex(20) + FloatToHex(4));
  // A whole record keeps the rack's module code and scale and takes the type and name...
  const std::string rec = H("DEADBEEF 00000041") + zeros + H("11111111 22222222") + name;
  const std::string kept = H("00000010 00000041") + zeros + FloatToHex(10) + FloatToHex(0) + name;
  ASSERT_EQ(Rc(b, WriteBlock(rec9, rec)), 0);
  EXPECT_EQ(Peek(b, rec9, 64), kept);
  // ...but with a type the module lacks, nothing of it is applied.
  std::string bad = rec;
  bad.replace(8, 8, "00000050").replace(96, 2, "42");
  EXPECT_EQ(Rc(b, WriteBlock(rec9, bad)), kRcodeData);
  EXPECT_EQ(Peek(b, rec9, 64), kept);
}

TEST_F(SimBrain, CommandsActOnLiveMemoryAndFlash) {
  const std::uint64_t events = RecordAddress(kDigitalEvents, 1), name5 = RecordAddress(kPointNames, 5);
  const std::uint64_t type9 = PointTypeAt(9), scan = kSettings.base + 0x4C;
  auto live = [&] { return Peek(b, events, 2) + "|" + Peek(b, name5, 5) + "|" + Peek(b, scan, 4); };
  for (const Bytes& r : {WriteBlock(events, "0102"), WriteBlock(name5, "50756D7000"), WriteQuad(type9, 65),
                         WriteQuad(scan, 250), Command(Cmd::StoreToEeprom),
                         // Changes after the store, which a restart undoes.
                         WriteQuad(type9, 66), WriteBlock(name5, "5A5A"),
                         WriteBlock(kDigitalOutputs.base, "00000000000000F0 0000000000000000"),
                         Command(Cmd::ClearDigitalEvents)})
    ASSERT_EQ(Rc(b, r), 0);
  EXPECT_EQ(Peek(b, events, 2), "0000");
  ASSERT_EQ(Rc(b, Command(Cmd::RestartFromPowerUp)), 0);
  EXPECT_EQ(live(), "0102|50756D7000|000000FA");
  EXPECT_EQ(b.PointType(9), 65);
  EXPECT_EQ(b.DigitalOutputs(), 0u);
  // Reset to defaults: the live areas to factory state, the flash untouched.
  ASSERT_EQ(Rc(b, Command(Cmd::ResetToDefaults)), 0);
  EXPECT_EQ(live(), "0000|0000000000|00000064");
  EXPECT_EQ(b.PointType(9), 64);
  EXPECT_FALSE(b.FlashEmpty());
  // Erase: the image says the flash is empty and a restart brings up the defaults.
  ASSERT_TRUE(b.Poke(events, {1}));
  ASSERT_EQ(Rc(b, Command(Cmd::EraseFlash)), 0);
  ASSERT_EQ(Rc(b, Command(Cmd::RestartFromPowerUp)), 0);
  EXPECT_EQ(Peek(b, kEepromImage.base, 4) + "|" + live(), "FFFFFFFF|0000|0000000000|00000064");
}

TEST_F(SimBrain, EepromImageShowsTheFlashAndItsRecordsWriteBack) {
  EXPECT_EQ(Peek(b, kEepromImage.base, 8), "FFFFFFFF00000000");
  ASSERT_EQ(Rc(b, WriteBlock(RecordAddress(kTimers, 2), "00000000000000FF")), 0);
  ASSERT_EQ(Rc(b, WriteBlock(kSerialPriorities.base, "00000001")), 0);
  ASSERT_EQ(Rc(b, Command(Cmd::StoreToEeprom)), 0);
  const Bytes image = b.Image();
  EXPECT_EQ(Peek(b, kEepromImage.base, image.size()), BytesToHex(image));
  EXPECT_EQ(Peek(b, kEepromImageOld.base, image.size()), BytesToHex(image));
  std::string why;
  auto parsed = ParseImage(image, why);
  ASSERT_TRUE(parsed && !parsed->empty) << why;
  int timer = 0;
  for (const auto& r : parsed->records)
    timer += r.address == RecordAddress(kTimers, 2) + 4 && BytesToHex(r.data) == "000000FF";
  EXPECT_EQ(timer, 1);  // a run of non-zero data, from its quadlet
  // Writing every record to a fresh brain and storing reproduces the image.
  Brain fresh;
  Puc(fresh);
  for (const auto& r : parsed->records) ASSERT_EQ(Rc(fresh, WriteBlock(r.address, BytesToHex(r.data))), 0);
  ASSERT_EQ(Rc(fresh, Command(Cmd::StoreToEeprom)), 0);
  EXPECT_EQ(BytesToHex(fresh.Image()), BytesToHex(image));
}

// A reused brain must not carry anything over: the fuzzer relies on it.
TEST_F(SimBrain, ResetComesBackAsANewBrain) {
  auto snapshot = [](Brain& b) {
    std::string all;
    // Every area but the command quadlet and the output masks, which cannot be read.
    for (const Area& a : {kSettings, kStatus, Area{kEepromImage.base, 256}, kDigitalStates, kAnalogValues,
                          kAnalogOutputs, kPointConfig, kCalibration})
      all += Peek(b, a.base, a.size) + "|";
    for (const RecordArea& r :
         {kDigitalEvents, kTimers, kAlarms, kEventMessages, kSerialEvents, kSerialPriorities})
      all += Peek(b, r.base, r.stride * static_cast<std::size_t>(r.records)) + "|";
    return all + std::to_string(b.PowerUpClearPending()) + std::to_string(b.FlashEmpty()) +
           std::to_string(b.Calibrations()) + std::to_string(b.DigitalOutputs());
  };
  Brain fresh;
  const std::string expected = snapshot(fresh);
  b.SetNetwork(0x0A000002, 0xFFFFFF00, 0x0A000001);
  b.SetElapsedMs(12345);
  b.SetDigitalInputOverride(0xFF);
  for (const Bytes& r :
       {WriteBlock(kSettings.base + kSettings.size - 5, "0102030405"), WriteQuad(PointTypeAt(9), 65),
        WriteBlock(RecordAddress(kEventMessages, 3), "48656C6C6F"),
        WriteBlock(kDigitalOutputs.base, "00000000000000F0 0000000000000000"), Command(Cmd::StoreToEeprom),
        ReadQuad(kCalibration.base + 0x14)})
    ASSERT_EQ(Rc(b, r), 0);
  EXPECT_EQ(b.Calibrations(), 1);  // reading a calibration quadlet starts one
  ASSERT_TRUE(b.Poke(kSerialEvents.base + 8, Bytes{1, 2, 3}));
  EXPECT_EQ(Rc(b, ReadQuad(0xFFFFF0000000)), kRcodeAddress);
  b.Reset();
  EXPECT_EQ(snapshot(b), expected);
}

}  // namespace
}  // namespace kestrio::sim
