// The simulator's core without sockets: replies, access rules, error recording, commands and flash.
#include "sim/brain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "protocol/convert.h"
#include "protocol/packet.h"
#include "sim_test_util.h"

namespace kestrio::sim {
namespace {

using namespace test;

Bytes Do(Brain& b, const Bytes& req) {
  auto r = b.Handle(req);
  EXPECT_TRUE(r.has_value());
  return r.value_or(Bytes{});
}

std::string Status(Brain& b, int offset, int len) {
  Bytes out;
  EXPECT_TRUE(b.Peek(kStatusBase + offset, len, out));
  return BytesToHex(out);
}

void Puc(Brain& b) { ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdPowerUpClear))), 0); }

TEST(SimBrain, RepliesKeepLabelSwapIdsAndFrameByLength) {
  Brain b;
  Bytes r = Do(b, ReadBlock(kStatusBase, 6, 37));
  // IDs swapped (request: destination FFC0, source 0123), label kept, data padded to a quadlet.
  EXPECT_EQ(BytesToHex(r),
            "01239470FFC0000000000000"
            "00060000" +
                BytesToHex(Bytes(r.begin() + 16, r.end())));
  EXPECT_EQ(r.size(), 24u);
  std::string hex = BytesToHex(r);
  EXPECT_EQ(PacketLength(hex + "00000000"), hex.size());  // the program frames it the same way
  EXPECT_EQ(Data(r).size(), 12u);

  Bytes q = Do(b, ReadQuad(kStatusBase + 4, 63));
  EXPECT_EQ(BytesToHex(q),
            "0123FC60FFC0000000000000"
            "00000001");
  Bytes w = Do(b, WriteQuad(kCommandAddr, 1, 2));
  EXPECT_EQ(BytesToHex(w),
            "0123082"
            "0FFC0000000000000");
  EXPECT_EQ(PacketLength(BytesToHex(w) + "FFFF"), 24u);
}

TEST(SimBrain, IgnoresResponsesUnknownKindsAndTruncatedPackets) {
  Brain b;
  EXPECT_FALSE(b.Handle(HexToBytes("012304600000000000000000")));              // a read quad response
  EXPECT_FALSE(b.Handle(HexToBytes("000004300000FFFFF0300000")));              // tcode 3
  EXPECT_FALSE(b.Handle(HexToBytes("000004400000FFFFF030")));                  // short header
  EXPECT_FALSE(b.Handle(HexToBytes("000004100000FFFFF0100000000800000102")));  // block shorter than claimed
  EXPECT_FALSE(b.Handle(Bytes{}));
}

TEST(SimBrain, StatusAreaDescribesTheDevice) {
  Brain b;
  b.SetNetwork(0xC0A80132, 0xFFFFFF00, 0xC0A80101);
  EXPECT_EQ(Status(b, 4, 4), "00000001");  // power-up clear still expected
  EXPECT_EQ(Status(b, 8, 4), "00000000");
  EXPECT_EQ(Status(b, 24, 8), "0100000302010007");
  EXPECT_EQ(Status(b, 36, 4), "01000007");
  EXPECT_EQ(Status(b, 46, 6), "024B45535401");
  EXPECT_EQ(Status(b, 52, 12), "C0A80132FFFFFF00C0A80101");
  Puc(b);
  EXPECT_EQ(Status(b, 4, 4), "00000000");
}

TEST(SimBrain, PowerUpClearGatesEverythingButStatusReadsAndCommands) {
  Brain b;
  EXPECT_EQ(RcodeOf(Do(b, ReadBlock(kStatusBase, 64))), 0);
  Bytes r = Do(b, ReadQuad(kDigitalStatesBase, 9));
  EXPECT_EQ(RcodeOf(r), kRcodeConflict);
  EXPECT_EQ(Data(r), "00000000");
  EXPECT_EQ(b.LastErrorCode(), kErrPowerUpClearExpected);
  // Last error: code, label, source ID, low 32 bits of the offset.
  EXPECT_EQ(Status(b, 12, 12),
            "FFFFE004"
            "0009"
            "0123"
            "F0400000");
  EXPECT_EQ(RcodeOf(Do(b, WriteQuad(kSettingsBase, 5))), kRcodeConflict);
  EXPECT_EQ(RcodeOf(Do(b, ReadQuad(0xFFFFF9990000))), kRcodeConflict);  // even unmapped addresses
  Puc(b);
  EXPECT_EQ(RcodeOf(Do(b, ReadQuad(kDigitalStatesBase))), 0);
  // A restart asks for the power-up clear again.
  EXPECT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdRestart))), 0);
  EXPECT_TRUE(b.PowerUpClearPending());
  EXPECT_EQ(RcodeOf(Do(b, ReadQuad(kDigitalStatesBase))), kRcodeConflict);
}

TEST(SimBrain, AddressErrorsAreRecorded) {
  Brain b;
  Puc(b);
  Bytes r = Do(b, ReadBlock(0xFFFFF0700000, 8, 5));
  EXPECT_EQ(RcodeOf(r), kRcodeAddress);
  EXPECT_EQ(Data(r), "");  // a failed block read carries no data
  EXPECT_EQ(Status(b, 12, 12),
            "FFFFE005"
            "0005"
            "0123"
            "F0700000");
  EXPECT_EQ(RcodeOf(Do(b, ReadBlock(kStatusBase + 60, 8))), kRcodeAddress);  // runs off the end
  EXPECT_EQ(RcodeOf(Do(b, ReadBlock(kStatusBase + 60, 4))), 0);
  EXPECT_EQ(RcodeOf(Do(b, ReadQuad(kSettingsBase + 2))), kRcodeAddress);  // unaligned quadlet
  EXPECT_EQ(RcodeOf(Do(b, WriteBlock(kTimersBase + 64 * 128 - 2, "010203"))), kRcodeAddress);
  EXPECT_EQ(RcodeOf(Do(b, ReadBlock(kSettingsBase, 0))), 0);
}

struct KindCase {
  const char* name;
  std::uint64_t addr;
  int readQuad, readBlock, writeQuad, writeBlock;  // expected rcodes
  std::uint32_t blockLength = 16;
};

TEST(SimBrain, EveryAreaAllowsItsRequestKinds) {
  const KindCase cases[] = {
      {"settings", kSettingsBase, 0, 0, 0, 0},
      {"status", kStatusBase, 0, 0, 6, 6},
      {"image", kImageBase, 0, 0, 6, 6},
      {"image alt", kImageAltBase, 0, 0, 6, 6},
      {"digital states", kDigitalStatesBase, 0, 0, 6, 6, 8},
      {"output masks", kDigitalOutBase, 6, 6, 6, 0},
      {"analog values", kAnalogValuesBase, 0, 0, 6, 6},
      {"analog outputs", kAnalogOutBase + 64 * 12, 0, 0, 0, 0},
      {"point config name", kPointConfigBase + 48, 0, 0, 0, 0},
      {"digital events", kDigitalEventsBase, 0, 0, 0, 0},
      {"timers", kTimersBase + 128, 0, 0, 0, 0},
      {"calibration", kCalibrationBase + 0x114, 0, 0, 6, 6},
      {"alarms", kAlarmsBase + 4, 0, 0, 0, 0},
      {"messages", kMessagesBase + 192, 0, 0, 0, 0},
      {"serial events", kSerialBase, 0, 0, 0, 0},
      {"serial priorities", kSerialBase + 0xE00, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Brain b;
    Puc(b);
    EXPECT_EQ(RcodeOf(Do(b, ReadQuad(c.addr))), c.readQuad);
    EXPECT_EQ(RcodeOf(Do(b, ReadBlock(c.addr, c.blockLength))), c.readBlock);
    // Values chosen to be valid where the area checks them (a float, a known point type...).
    EXPECT_EQ(RcodeOf(Do(b, WriteQuad(c.addr, 0x41200000))), c.writeQuad);
    EXPECT_EQ(
        RcodeOf(Do(b, WriteBlock(c.addr, ("41200000" + std::string(24, '0')).substr(0, 2 * c.blockLength)))),
        c.writeBlock);
    if (c.writeBlock == 6) {
      EXPECT_EQ(b.LastErrorCode(), kErrInvalidCommand);
    }
  }
  // The command quadlet takes writes only.
  Brain b;
  Puc(b);
  EXPECT_EQ(RcodeOf(Do(b, ReadQuad(kCommandAddr))), kRcodeType);
  EXPECT_EQ(RcodeOf(Do(b, WriteBlock(kCommandAddr, "00000001"))), 0);
  EXPECT_EQ(RcodeOf(Do(b, WriteBlock(kCommandAddr, "0000"))), kRcodeType);
  EXPECT_EQ(b.LastErrorCode(), kErrInvalidLength);
}

TEST(SimBrain, WritesReadBackAndStayInTheirArea) {
  Brain b;
  Puc(b);
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kAlarmsBase + 4 + 128, "0000000141200000"))), 0);
  EXPECT_EQ(Data(Do(b, ReadBlock(kAlarmsBase + 128, 12))), "000000000000000141200000");
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kSettingsBase + 0x44, 1161))), 0);
  EXPECT_EQ(Data(Do(b, ReadQuad(kSettingsBase + 0x44))), "00000489");
  EXPECT_EQ(Data(Do(b, ReadBlock(kSettingsBase, 12))),
            BytesToHex(Bytes{'K', 'E', 'S', 'T', 'R', 'I', 'O', '-', 'S', 'I', 'M', 0}));
}

TEST(SimBrain, OutputMasksDriveDigitalOutputsOnly) {
  Brain b;
  Puc(b);
  b.SetDigitalInputOverride(0);
  // Slot 0 is inputs (points 0-3), slot 1 outputs (4-7): turn on 0, 4 and 6.
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kDigitalOutBase,
                                     "0000000000000051"
                                     "0000000000000000"))),
            0);
  EXPECT_EQ(Data(Do(b, ReadBlock(kDigitalStatesBase, 8))), "0000000000000050");
  // Off mask clears 4; a point in both masks ends up off.
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kDigitalOutBase,
                                     "0000000000000020"
                                     "0000000000000030"))),
            0);
  EXPECT_EQ(Data(Do(b, ReadBlock(kDigitalStatesBase, 8))), "0000000000000040");
  b.SetDigitalInputOverride(0x3);
  EXPECT_EQ(Data(Do(b, ReadBlock(kDigitalStatesBase, 8))), "0000000000000043");
  EXPECT_EQ(RcodeOf(Do(b, WriteBlock(kDigitalOutBase, "0000000000000051"))), kRcodeType);
  EXPECT_EQ(b.LastErrorCode(), kErrInvalidLength);
}

TEST(SimBrain, AnalogOutputsReadBackAndInputsStayInRange) {
  Brain b;
  Puc(b);
  // Slot 3 is an analog output module: point 12.
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kAnalogOutBase + 64 * 12, FloatToHex(2.5f)))), 0);
  EXPECT_EQ(Data(Do(b, ReadQuad(kAnalogValuesBase + 4 * 12))), FloatToHex(2.5f));
  EXPECT_EQ(RcodeOf(Do(b, WriteBlock(kAnalogOutBase + 64 * 12, "7FC00000"))), kRcodeData);  // NaN
  EXPECT_EQ(b.LastErrorCode(), kErrInvalidFloat);
  EXPECT_EQ(Data(Do(b, ReadQuad(kAnalogValuesBase + 4 * 12))), FloatToHex(2.5f));
  // Slot 2 inputs (points 8, 9: -10..10) and slot 6 (points 24, 25: -210..760) over a period.
  for (std::uint64_t ms = 0; ms < 20000; ms += 1700) {
    b.SetElapsedMs(ms);
    Bytes vals = HexToBytes(Data(Do(b, ReadBlock(kAnalogValuesBase, 256))));
    auto at = [&](int p) { return HexToFloat(BytesToHex(vals.data() + 4 * p, 4)); };
    EXPECT_GE(at(8), -10.0f);
    EXPECT_LE(at(8), 10.0f);
    EXPECT_GE(at(24), -210.0f);
    EXPECT_LE(at(24), 760.0f);
    EXPECT_EQ(at(0), 0.0f);  // digital points carry no analog value
  }
}

TEST(SimBrain, PointTypeWritesFollowTheModule) {
  Brain b;
  Puc(b);
  const std::uint64_t rec9 = kPointConfigBase + 64 * 9;
  EXPECT_EQ(Data(Do(b, ReadBlock(rec9, 28))),
            "00000010"
            "00000040" +
                std::string(24, '0') + FloatToHex(10) + FloatToHex(-10));
  // 4-20 mA is listed for this module: accepted, and the scale follows.
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(rec9 + 4, 66))), 0);
  EXPECT_EQ(Data(Do(b, ReadBlock(rec9 + 20, 8))), FloatToHex(20) + FloatToHex(4));
  // An output type is not: refused, nothing changes.
  Bytes r = Do(b, WriteQuad(rec9 + 4, 80, 12));
  EXPECT_EQ(RcodeOf(r), kRcodeData);
  EXPECT_EQ(Status(b, 12, 12),
            "FFFFE002"
            "000C"
            "0123"
            "F0C00244");
  EXPECT_EQ(b.PointType(9), 66);
  // Empty slot 4 takes nothing; positions 2 and 3 of an analog module take nothing either.
  EXPECT_EQ(RcodeOf(Do(b, WriteQuad(kPointConfigBase + 64 * 16 + 4, 256))), kRcodeData);
  EXPECT_EQ(RcodeOf(Do(b, WriteQuad(kPointConfigBase + 64 * 10 + 4, 64))), kRcodeData);
  // A digital slot takes either direction; an output turned input loses its on state.
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kDigitalOutBase,
                                     "0000000000000010"
                                     "0000000000000000"))),
            0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kPointConfigBase + 64 * 4 + 4, 256))), 0);
  EXPECT_EQ(b.DigitalOutputs(), 0u);
  // A whole-record write keeps the rack's module code and scale, and takes the name.
  std::string rec =
      "DEADBEEF"
      "00000041" +
      std::string(24, '0') +
      "11111111"
      "22222222" +
      std::string(40, '0') + BytesToHex(Bytes{'T', 'a', 'n', 'k', 0}) + std::string(22, '0');
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(rec9, rec))), 0);
  EXPECT_EQ(Data(Do(b, ReadBlock(rec9, 8))), "0000001000000041");
  EXPECT_EQ(Data(Do(b, ReadBlock(rec9 + 20, 8))), FloatToHex(10) + FloatToHex(0));
  EXPECT_EQ(Data(Do(b, ReadBlock(rec9 + 48, 5))), "54616E6B00");
}

TEST(SimBrain, CommandsActOnLiveMemoryAndFlash) {
  Brain b;
  Puc(b);
  EXPECT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, 7))), kRcodeData);
  EXPECT_EQ(b.LastErrorCode(), kErrInvalidCommand);

  const std::string de =
      "0000000000000001"
      "0000000000000002";
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kDigitalEventsBase + 64, de))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kMessagesBase + 192 * 3 + 64, "48656C6C6F00"))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kPointConfigBase + 64 * 5 + 48, "50756D7000"))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kPointConfigBase + 64 * 9 + 4, 65))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kSettingsBase + 0x4C, 250))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdStore))), 0);

  // Change everything, then restart: the stored configuration comes back.
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdClearDigitalEvents))), 0);
  EXPECT_EQ(Data(Do(b, ReadBlock(kDigitalEventsBase + 64, 16))), std::string(32, '0'));
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kMessagesBase + 192 * 3 + 64, "5A5A"))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kPointConfigBase + 64 * 9 + 4, 66))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kDigitalOutBase,
                                     "00000000000000F0"
                                     "0000000000000000"))),
            0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdRestart))), 0);
  Puc(b);
  EXPECT_EQ(Data(Do(b, ReadBlock(kDigitalEventsBase + 64, 16))), de);
  EXPECT_EQ(Data(Do(b, ReadBlock(kMessagesBase + 192 * 3 + 64, 6))), "48656C6C6F00");
  EXPECT_EQ(Data(Do(b, ReadBlock(kPointConfigBase + 64 * 5 + 48, 5))), "50756D7000");
  EXPECT_EQ(b.PointType(9), 65);
  EXPECT_EQ(Data(Do(b, ReadQuad(kSettingsBase + 0x4C))), "000000FA");
  EXPECT_EQ(b.DigitalOutputs(), 0u);  // outputs come up off

  // Reset to defaults clears the live areas but not the flash.
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdResetToDefaults))), 0);
  EXPECT_EQ(Data(Do(b, ReadBlock(kDigitalEventsBase + 64, 16))), std::string(32, '0'));
  EXPECT_EQ(b.PointType(9), 64);
  EXPECT_EQ(Data(Do(b, ReadQuad(kSettingsBase + 0x4C))), "00000064");
  EXPECT_FALSE(b.FlashEmpty());

  // Erase empties the flash: the image says so, and a restart comes up with defaults.
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kDigitalEventsBase, "01"))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdEraseFlash))), 0);
  EXPECT_EQ(Data(Do(b, ReadQuad(kImageBase))), "FFFFFFFF");
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdRestart))), 0);
  Puc(b);
  EXPECT_EQ(Data(Do(b, ReadQuad(kDigitalEventsBase))), "00000000");
}

TEST(SimBrain, EepromImageCopiesTheFlashAndWritesBackThroughRecordAddresses) {
  Brain b;
  Puc(b);
  EXPECT_EQ(Data(Do(b, ReadBlock(kImageBase, 8))), "FFFFFFFF00000000");
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kTimersBase + 128 * 2, "00000000000000FF"))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kSerialBase + 0xE00, "00000001"))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdStore))), 0);

  Bytes image = b.Image();
  std::string why;
  auto parsed = ParseImage(image, why);
  ASSERT_TRUE(parsed) << why;
  ASSERT_FALSE(parsed->empty);
  bool timer = false;
  for (const auto& r : parsed->records) {
    EXPECT_EQ(r.address >> 32, 0xFFFFu);
    if (r.address == kTimersBase + 128 * 2 + 4) timer = BytesToHex(r.data) == "000000FF";
  }
  EXPECT_TRUE(timer);
  // Both probe addresses show the same image.
  EXPECT_EQ(Data(Do(b, ReadBlock(kImageBase, 64))), Data(Do(b, ReadBlock(kImageAltBase, 64))));

  // Writing every record to a fresh brain and storing reproduces the image.
  Brain fresh;
  Puc(fresh);
  for (const auto& r : parsed->records)
    ASSERT_EQ(RcodeOf(Do(fresh, WriteBlock(r.address, BytesToHex(r.data)))), 0) << ToHex(r.address, 12);
  ASSERT_EQ(RcodeOf(Do(fresh, WriteQuad(kCommandAddr, kCmdStore))), 0);
  EXPECT_EQ(BytesToHex(fresh.Image()), BytesToHex(image));
}

// A reused brain must not carry anything from its previous session: the fuzzer relies on it, and
// the restart command clears only what was written since.
TEST(SimBrain, ResetComesBackAsANewBrain) {
  const std::vector<std::pair<std::uint64_t, std::size_t>> areas = {
      {kSettingsBase, kSettingsSize},   {kStatusBase, kStatusSize},      {kImageBase, 256},
      {kDigitalStatesBase, 8},          {kAnalogValuesBase, 4 * 64},     {kAnalogOutBase, 64 * 64},
      {kPointConfigBase, 64 * 64},      {kDigitalEventsBase, 64 * 64},   {kTimersBase, 64 * 128},
      {kCalibrationBase, 512},          {kAlarmsBase, 4 + 64 * 128},     {kMessagesBase, 128 * 192},
      {kSerialBase, 32 * 112 + 32 * 4}};
  auto snapshot = [&](Brain& b) {
    std::string all;
    for (auto [base, size] : areas) {
      Bytes out;
      EXPECT_TRUE(b.Peek(base, size, out)) << ToHex(base, 12);
      all += BytesToHex(out) + "|";
    }
    return all + std::to_string(b.PowerUpClearPending()) + std::to_string(b.FlashEmpty()) +
           std::to_string(b.Calibrations()) + std::to_string(b.DigitalOutputs()) +
           std::to_string(b.LastErrorCode());
  };
  Brain fresh;
  const std::string expected = snapshot(fresh);

  Brain b;
  b.SetNetwork(0x0A000002, 0xFFFFFF00, 0x0A000001);
  b.SetElapsedMs(12345);
  b.SetDigitalInputOverride(0xFF);
  Puc(b);
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kSettingsBase + 0x100, "0102030405"))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kPointConfigBase + 64 * 5 + 48, "50756D7000"))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kPointConfigBase + 64 * 9 + 4, 65))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kMessagesBase + 192 * 3, "48656C6C6F"))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kDigitalOutBase, "00000000000000F00000000000000000"))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdStore))), 0);
  ASSERT_TRUE(b.Poke(kSerialBase + 8, Bytes{1, 2, 3}));
  ASSERT_TRUE(b.Poke(kStatusBase, Bytes{9, 9, 9, 9}));
  ASSERT_EQ(RcodeOf(Do(b, ReadQuad(kCalibrationBase + 0x14))), 0);
  EXPECT_EQ(RcodeOf(Do(b, ReadQuad(0xFFFFF0000000))), kRcodeAddress);
  ASSERT_NE(snapshot(b), expected);

  b.Reset();
  EXPECT_EQ(snapshot(b), expected);
  // And again after a restart brought the stored configuration back into the live areas.
  Puc(b);
  ASSERT_EQ(RcodeOf(Do(b, WriteBlock(kTimersBase + 128, "00000000000000FF"))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdStore))), 0);
  ASSERT_EQ(RcodeOf(Do(b, WriteQuad(kCommandAddr, kCmdRestart))), 0);
  b.Reset();
  EXPECT_EQ(snapshot(b), expected);
}

TEST(SimBrain, CalibrationReadsSucceed) {
  Brain b;
  Puc(b);
  EXPECT_EQ(RcodeOf(Do(b, ReadQuad(0xFFFFF0E00014))), 0);  // offset of point 5
  EXPECT_EQ(RcodeOf(Do(b, ReadQuad(0xFFFFF0E00114))), 0);  // gain of point 5
  EXPECT_EQ(b.Calibrations(), 2);
}

}  // namespace
}  // namespace kestrio::sim
