// The simulator's core without sockets: replies, access rules, error recording, commands and flash.
#include "sim/brain.h"

#include <gtest/gtest.h>

#include <tuple>

#include "protocol/convert.h"
#include "support/packets.h"

namespace kestrio::sim {
namespace {

using namespace kestrio::test;

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
void Puc(Brain& b) { ASSERT_EQ(Rc(b, WriteQuad(kCommandAddr, kCmdPowerUpClear)), 0); }

TEST(SimBrain, RepliesSwapIdsKeepTheLabelAndCarryNoDataOnFailure) {
  const std::pair<Bytes, const char*> cases[] = {
      {ReadBlock(kStatusBase, 6, 37), "0123 9470 FFC0 0000 00000000 0006 0000 000000000000 0000"},  // padded
      {ReadQuad(kStatusBase + 4, 63), "0123 FC60 FFC0 0000 00000000 00000001"},
      {WriteQuad(kCommandAddr, 9, 2), "0123 0820 FFC0 5000 00000000"},
      {ReadQuad(kDigitalStatesBase, 5), "0123 1460 FFC0 4000 00000000 00000000"},
      {ReadBlock(kDigitalStatesBase, 8, 6), "0123 1870 FFC0 4000 00000000 0000 0000"}};
  Brain b;
  for (const auto& [request, reply] : cases) EXPECT_EQ(BytesToHex(Do(b, request)), H(reply));
  // Responses, unknown kinds and packets shorter than their header says get no reply at all.
  for (const char* ignored : {"012304600000000000000000", "000004300000FFFFF0300000", "000004400000FFFFF030",
                              "000004100000FFFFF0100000000800000102", ""})
    EXPECT_FALSE(b.Handle(HexToBytes(ignored))) << ignored;
}

TEST(SimBrain, PowerUpClearGatesAllButStatusReadsAndCommands) {
  Brain b;
  b.SetNetwork(0xC0A80132, 0xFFFFFF00, 0xC0A80101);
  EXPECT_EQ(Data(Do(b, ReadBlock(kStatusBase, 64))),
            H("00000000 00000001 00000000 00000000 0000 0000 00000000 01000003 02010007 0000004B "
              "01 00 0007 00800000 0000 024B45535401 C0A80132 FFFFFF00 C0A80101"));
  EXPECT_EQ(Rc(b, ReadQuad(kDigitalStatesBase, 9)), kRcodeConflict);
  // The last error: code, label, source ID and the low 32 bits of the offset.
  EXPECT_EQ(Peek(b, kStatusBase + 12, 12), H("FFFFE004 0009 0123 F0400000"));
  EXPECT_EQ(Rc(b, WriteQuad(kSettingsBase, 5)), kRcodeConflict);
  EXPECT_EQ(Rc(b, ReadQuad(0xFFFFF9990000)), kRcodeConflict);  // even unmapped addresses
  Puc(b);
  EXPECT_EQ(Peek(b, kStatusBase + 4, 4), "00000000");
  EXPECT_EQ(Rc(b, ReadQuad(kDigitalStatesBase)), 0);
  // A restart clears the last error and expects the power-up clear again.
  ASSERT_EQ(Rc(b, WriteQuad(kCommandAddr, kCmdRestart)), 0);
  EXPECT_EQ(Peek(b, kStatusBase + 4, 20), "00000001" + std::string(32, '0'));
  EXPECT_EQ(Rc(b, ReadQuad(kDigitalStatesBase)), kRcodeConflict);
}

TEST(SimBrain, FailuresGiveTheirRcodeAndRecordTheirError) {
  const std::uint64_t type9 = kPointConfigBase + 64 * 9 + 4;  // slot 2: analog input module 16
  const std::tuple<const char*, Bytes, int, std::int32_t> cases[] = {
      {"unknown command", WriteQuad(kCommandAddr, 7), kRcodeData, kErrInvalidCommand},
      {"type the module lacks", WriteQuad(type9, 80), kRcodeData, kErrInvalidPointType},
      {"empty slot", WriteQuad(kPointConfigBase + 64 * 16 + 4, 256), kRcodeData, kErrInvalidPointType},
      {"third analog position", WriteQuad(type9 + 64, 64), kRcodeData, kErrInvalidPointType},
      {"NaN output", WriteBlock(kAnalogOutBase + 64 * 12, "7FC00000"), kRcodeData, kErrInvalidFloat},
      {"infinite output", WriteQuad(kAnalogOutBase + 64 * 12, 0x7F800000), kRcodeData, kErrInvalidFloat},
      {"command read", ReadQuad(kCommandAddr), kRcodeType, kErrInvalidCommand},
      {"status write", WriteQuad(kStatusBase, 0), kRcodeType, kErrInvalidCommand},
      {"short command", WriteBlock(kCommandAddr, "0000"), kRcodeType, kErrInvalidLength},
      {"short masks", WriteBlock(kDigitalOutBase, "0000000000000051"), kRcodeType, kErrInvalidLength},
      {"unmapped", ReadBlock(0xFFFFF0700000, 8), kRcodeAddress, kErrInvalidAddress},
      {"read past the end", ReadBlock(kStatusBase + 60, 8), kRcodeAddress, kErrInvalidAddress},
      {"write past the end", WriteBlock(kTimersBase + 8190, "010203"), kRcodeAddress, kErrInvalidAddress},
      {"unaligned quadlet", ReadQuad(kSettingsBase + 2), kRcodeAddress, kErrInvalidAddress}};
  for (const auto& [what, request, rcode, error] : cases) {
    Brain b;
    Puc(b);
    EXPECT_EQ(Rc(b, request), rcode) << what;
    EXPECT_EQ(b.LastErrorCode(), error) << what;
  }
  Brain b;
  Puc(b);
  EXPECT_EQ(Rc(b, ReadBlock(kStatusBase + 60, 4)), 0);  // up to the last byte
  EXPECT_EQ(Rc(b, ReadBlock(kSettingsBase, 0)), 0);
}

TEST(SimBrain, EveryAreaTakesItsRequestKindsAndWritesReadBack) {
  // Expected rcodes of a read quadlet, read block, write quadlet and write block of `length` bytes.
  auto check = [](std::uint64_t addr, const char* rcodes, std::uint32_t length = 16) {
    SCOPED_TRACE(ToHex(addr, 12));
    Brain b;
    Puc(b);
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
  for (std::uint64_t rw :
       {kSettingsBase, kAnalogOutBase + 64 * 12, kPointConfigBase + 48, kDigitalEventsBase, kTimersBase + 128,
        kAlarmsBase + 4, kMessagesBase + 192, kSerialBase, kSerialBase + 0xE00})
    check(rw, "0000");
  for (std::uint64_t ro :
       {kStatusBase, kImageBase, kImageAltBase, kAnalogValuesBase, kCalibrationBase + 0x114})
    check(ro, "0066");
  check(kDigitalStatesBase, "0066", 8);
  check(kDigitalOutBase, "6660");
  check(kCommandAddr, "6655", 4);
}

TEST(SimBrain, OutputMasksDriveDigitalOutputsOnly) {
  Brain b;
  Puc(b);
  b.SetDigitalInputOverride(0x2);
  // Slot 0 holds inputs (points 0-3), slot 1 outputs (4-7): the on mask names 0, 4 and 6.
  ASSERT_EQ(Rc(b, WriteBlock(kDigitalOutBase, "0000000000000051 0000000000000000")), 0);
  EXPECT_EQ(Data(Do(b, ReadBlock(kDigitalStatesBase, 8))), "0000000000000052");
  // The off mask clears 4; 5 is in both masks and ends off.
  ASSERT_EQ(Rc(b, WriteBlock(kDigitalOutBase, "0000000000000020 0000000000000030")), 0);
  EXPECT_EQ(Data(Do(b, ReadBlock(kDigitalStatesBase, 8))), "0000000000000042");
  // A digital slot takes either direction: output 6 turned input and back, and input 0 (which the
  // on mask named) turned output, start off.
  for (const Bytes& r : {WriteQuad(kPointConfigBase + 64 * 6 + 4, kDigitalInputType),
                         WriteQuad(kPointConfigBase + 64 * 6 + 4, kDigitalOutputType),
                         WriteQuad(kPointConfigBase + 4, kDigitalOutputType)})
    ASSERT_EQ(Rc(b, r), 0);
  EXPECT_EQ(Data(Do(b, ReadBlock(kDigitalStatesBase, 8))), "0000000000000002");
}

TEST(SimBrain, AnalogOutputsReadBackAndInputsStayInTheirRange) {
  Brain b;
  Puc(b);
  // Slot 3 is an analog output module (point 12); a refused NaN keeps the last value.
  ASSERT_EQ(Rc(b, WriteQuad(kAnalogOutBase + 64 * 12, 0x40200000)), 0);
  ASSERT_EQ(Rc(b, WriteQuad(kAnalogOutBase + 64 * 12, 0x7FC00000)), kRcodeData);
  EXPECT_EQ(Data(Do(b, ReadQuad(kAnalogValuesBase + 4 * 12))), "40200000");
  // Point 8 spans -10..10, point 24 -210..760; digital point 0 has no analog value.
  for (std::uint64_t ms = 0; ms < 20000; ms += 1700) {
    b.SetElapsedMs(ms);
    const Bytes v = HexToBytes(Data(Do(b, ReadBlock(kAnalogValuesBase, 256))));
    auto at = [&](int p) { return HexToFloat(BytesToHex(v.data() + 4 * p, 4)); };
    EXPECT_TRUE(at(8) >= -10 && at(8) <= 10 && at(24) >= -210 && at(24) <= 760 && at(0) == 0) << ms;
  }
}

TEST(SimBrain, PointTypeWritesFollowTheModule) {
  Brain b;
  Puc(b);
  const std::uint64_t rec9 = kPointConfigBase + 64 * 9;  // module 16: types 64 (first), 65, 66
  const std::string zeros = std::string(24, '0'),
                    name = std::string(40, '0') + "54616E6B00" + std::string(22, '0');
  EXPECT_EQ(Peek(b, rec9, 28), H("00000010 00000040") + zeros + FloatToHex(10) + FloatToHex(-10));
  ASSERT_EQ(Rc(b, WriteQuad(rec9 + 4, 66)), 0);  // 4-20 mA: the scale follows
  EXPECT_EQ(Peek(b, rec9 + 20, 8), FloatToHex(20) + FloatToHex(4));
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

TEST(SimBrain, CommandsActOnLiveMemoryAndFlash) {
  Brain b;
  Puc(b);
  const std::uint64_t events = kDigitalEventsBase + 64, name5 = kPointConfigBase + 64 * 5 + 48;
  const std::uint64_t type9 = kPointConfigBase + 64 * 9 + 4, scan = kSettingsBase + 0x4C;
  auto live = [&] { return Peek(b, events, 2) + "|" + Peek(b, name5, 5) + "|" + Peek(b, scan, 4); };
  for (const Bytes& r : {WriteBlock(events, "0102"), WriteBlock(name5, "50756D7000"), WriteQuad(type9, 65),
                         WriteQuad(scan, 250), WriteQuad(kCommandAddr, kCmdStore),
                         // Changes after the store, which a restart undoes.
                         WriteQuad(type9, 66), WriteBlock(name5, "5A5A"),
                         WriteBlock(kDigitalOutBase, "00000000000000F0 0000000000000000"),
                         WriteQuad(kCommandAddr, kCmdClearDigitalEvents)})
    ASSERT_EQ(Rc(b, r), 0);
  EXPECT_EQ(Peek(b, events, 2), "0000");
  ASSERT_EQ(Rc(b, WriteQuad(kCommandAddr, kCmdRestart)), 0);
  EXPECT_EQ(live(), "0102|50756D7000|000000FA");
  EXPECT_EQ(b.PointType(9), 65);
  EXPECT_EQ(b.DigitalOutputs(), 0u);
  // Reset to defaults: the live areas to factory state, the flash untouched.
  ASSERT_EQ(Rc(b, WriteQuad(kCommandAddr, kCmdResetToDefaults)), 0);
  EXPECT_EQ(live(), "0000|0000000000|00000064");
  EXPECT_EQ(b.PointType(9), 64);
  EXPECT_FALSE(b.FlashEmpty());
  // Erase: the image says the flash is empty and a restart brings up the defaults.
  ASSERT_TRUE(b.Poke(events, {1}));
  ASSERT_EQ(Rc(b, WriteQuad(kCommandAddr, kCmdEraseFlash)), 0);
  ASSERT_EQ(Rc(b, WriteQuad(kCommandAddr, kCmdRestart)), 0);
  EXPECT_EQ(Peek(b, kImageBase, 4) + "|" + live(), "FFFFFFFF|0000|0000000000|00000064");
}

TEST(SimBrain, EepromImageShowsTheFlashAndItsRecordsWriteBack) {
  Brain b;
  Puc(b);
  EXPECT_EQ(Peek(b, kImageBase, 8), "FFFFFFFF00000000");
  ASSERT_EQ(Rc(b, WriteBlock(kTimersBase + 128 * 2, "00000000000000FF")), 0);
  ASSERT_EQ(Rc(b, WriteBlock(kSerialBase + 0xE00, "00000001")), 0);
  ASSERT_EQ(Rc(b, WriteQuad(kCommandAddr, kCmdStore)), 0);
  const Bytes image = b.Image();
  EXPECT_EQ(Peek(b, kImageBase, image.size()), BytesToHex(image));
  EXPECT_EQ(Peek(b, kImageAltBase, image.size()), BytesToHex(image));
  std::string why;
  auto parsed = ParseImage(image, why);
  ASSERT_TRUE(parsed && !parsed->empty) << why;
  int timer = 0;
  for (const auto& r : parsed->records)
    timer += r.address == kTimersBase + 128 * 2 + 4 && BytesToHex(r.data) == "000000FF";
  EXPECT_EQ(timer, 1);  // a run of non-zero data, from its quadlet
  // Writing every record to a fresh brain and storing reproduces the image.
  Brain fresh;
  Puc(fresh);
  for (const auto& r : parsed->records) ASSERT_EQ(Rc(fresh, WriteBlock(r.address, BytesToHex(r.data))), 0);
  ASSERT_EQ(Rc(fresh, WriteQuad(kCommandAddr, kCmdStore)), 0);
  EXPECT_EQ(BytesToHex(fresh.Image()), BytesToHex(image));
}

// A reused brain must not carry anything over: the fuzzer relies on it.
TEST(SimBrain, ResetComesBackAsANewBrain) {
  auto snapshot = [](Brain& b) {
    std::string all;
    // Every area but the command quadlet and the output masks, which cannot be read: base, size.
    const std::uint64_t areas[] = {kSettingsBase,     kSettingsSize, kStatusBase,        kStatusSize,
                                   kImageBase,        256,           kDigitalStatesBase, 8,
                                   kAnalogValuesBase, 256,           kAnalogOutBase,     4096,
                                   kPointConfigBase,  4096,          kDigitalEventsBase, 4096,
                                   kTimersBase,       8192,          kCalibrationBase,   512,
                                   kAlarmsBase,       8196,          kMessagesBase,      24576,
                                   kSerialBase,       3712};
    for (std::size_t i = 0; i < std::size(areas); i += 2) all += Peek(b, areas[i], areas[i + 1]) + "|";
    return all + std::to_string(b.PowerUpClearPending()) + std::to_string(b.FlashEmpty()) +
           std::to_string(b.Calibrations()) + std::to_string(b.DigitalOutputs());
  };
  Brain fresh;
  const std::string expected = snapshot(fresh);
  Brain b;
  b.SetNetwork(0x0A000002, 0xFFFFFF00, 0x0A000001);
  b.SetElapsedMs(12345);
  b.SetDigitalInputOverride(0xFF);
  Puc(b);
  for (const Bytes& r :
       {WriteBlock(kSettingsBase + 0x100, "0102030405"), WriteQuad(kPointConfigBase + 64 * 9 + 4, 65),
        WriteBlock(kMessagesBase + 192 * 3, "48656C6C6F"),
        WriteBlock(kDigitalOutBase, "00000000000000F0 0000000000000000"), WriteQuad(kCommandAddr, kCmdStore),
        ReadQuad(kCalibrationBase + 0x14)})
    ASSERT_EQ(Rc(b, r), 0);
  EXPECT_EQ(b.Calibrations(), 1);  // reading a calibration quadlet starts one
  ASSERT_TRUE(b.Poke(kSerialBase + 8, Bytes{1, 2, 3}));
  EXPECT_EQ(Rc(b, ReadQuad(0xFFFFF0000000)), kRcodeAddress);
  b.Reset();
  EXPECT_EQ(snapshot(b), expected);
}

}  // namespace
}  // namespace kestrio::sim
