// Rack files, EEPROM image parsing and the state file: every refusal is a message, never a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/brain.h"
#include "sim/flash_image.h"
#include "sim/rack.h"
#include "sim_test_util.h"

namespace kestrio::sim {
namespace {

using namespace test;

std::string TempPath(const std::string& name) {
  auto dir = std::filesystem::temp_directory_path() / ("kestrio-sim-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

TEST(SimRack, ParsesSlotsAndDefaultsTheRestToEmpty) {
  std::string error;
  auto rack = ParseRack(
      "# a small rack\n"
      "slot 0 din\n"
      "slot 3 aout 0x18 80:0:10   # one channel type\n"
      "\n"
      "slot 15 ain 16 64:-10:10 66:4:20\r\n",
      error);
  ASSERT_TRUE(rack) << error;
  EXPECT_EQ(rack->InitialPointType(0), kDigitalInputType);
  EXPECT_EQ(rack->slotList[3].moduleCode, 24);
  EXPECT_EQ(rack->InitialPointType(12), 80);
  EXPECT_EQ(rack->InitialPointType(14), kNoPointType);  // analog modules have two channels
  EXPECT_TRUE(rack->Accepts(61, 66));
  EXPECT_FALSE(rack->Accepts(61, 80));
  EXPECT_EQ(rack->InitialPointType(20), kNoPointType);
  EXPECT_FALSE(rack->Accepts(20, kDigitalInputType));
  EXPECT_EQ(rack->Range(60, 66)->from, 4.0f);
}

TEST(SimRack, RefusesBadLinesNamingThem) {
  const std::pair<const char*, const char*> bad[] = {
      {"slot 16 din", "line 1: slot number '16' is not 0 to 15"},
      {"slot 1 din\nslot 1 dout", "line 2: slot 1 is listed twice"},
      {"slot 2 ain 16", "line 1: an analog slot needs"},
      {"slot 2 ain 0 64:0:10", "line 1: module code '0'"},
      {"slot 2 ain 16 64:0", "line 1: '64:0' is not type:from:to"},
      {"slot 2 ain 16 64:zero:10", "line 1: scale range"},
      {"slot 2 aout 16 256:0:10", "line 1: point types 256 and 384"},
      {"slot 2 relay", "line 1: unknown slot kind 'relay'"},
      {"\nmodule 3", "line 2: expected 'slot'"},
      {"slot 2 din extra", "line 1: 'din' takes no further words"},
  };
  for (const auto& [text, message] : bad) {
    std::string error;
    EXPECT_FALSE(ParseRack(text, error)) << text;
    EXPECT_NE(error.find(message), std::string::npos) << error;
  }
  std::string error;
  EXPECT_FALSE(LoadRackFile(TempPath("missing.rack"), error));
  EXPECT_NE(error.find("cannot open rack file"), std::string::npos);
}

TEST(SimFlash, ImageParsingRefusesLengthsPastTheData) {
  std::string error;
  EXPECT_TRUE(ParseImage(EmptyImage(), error)->empty);
  EXPECT_FALSE(ParseImage(HexToBytes("000000"), error));
  EXPECT_FALSE(ParseImage(HexToBytes("0000001000000000"), error));          // L beyond data
  EXPECT_FALSE(ParseImage(HexToBytes("0000000400000000F0D00000"), error));  // record header cut
  EXPECT_FALSE(ParseImage(HexToBytes("0000000C00000000F0D00000FFFFFFF0AABBCCDD"), error));  // huge N
  auto ok = ParseImage(HexToBytes("0000000A00000000F0D000000000000201020000"), error);
  ASSERT_TRUE(ok) << error;
  ASSERT_EQ(ok->records.size(), 1u);
  EXPECT_EQ(ok->records[0].address, 0xFFFFF0D00000u);
  EXPECT_EQ(BytesToHex(ok->records[0].data), "0102");
}

TEST(SimFlash, StateFileKeepsTheFlashAcrossBrains) {
  const std::string path = TempPath("state-roundtrip.txt");
  std::filesystem::remove(path);
  {
    Brain b;
    b.SetStateFile(path);
    std::string error;
    ASSERT_TRUE(b.LoadState(error)) << error;  // a missing file is an empty flash
    EXPECT_TRUE(b.FlashEmpty());
    b.Handle(WriteQuad(kCommandAddr, kCmdPowerUpClear));
    ASSERT_EQ(RcodeOf(*b.Handle(WriteBlock(kAlarmsBase + 4, "00000001"))), 0);
    ASSERT_EQ(RcodeOf(*b.Handle(WriteQuad(kCommandAddr, kCmdStore))), 0);
  }
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line.rfind("FFFFF0360000: ", 0), 0u);
  {
    Brain b;
    b.SetStateFile(path);
    std::string error;
    ASSERT_TRUE(b.LoadState(error)) << error;
    Bytes out;
    ASSERT_TRUE(b.Peek(kAlarmsBase + 4, 4, out));
    EXPECT_EQ(BytesToHex(out), "00000001");
    // Erase writes an empty image so the next run starts empty too.
    b.Handle(WriteQuad(kCommandAddr, kCmdPowerUpClear));
    ASSERT_EQ(RcodeOf(*b.Handle(WriteQuad(kCommandAddr, kCmdEraseFlash))), 0);
  }
  Brain b;
  b.SetStateFile(path);
  std::string error;
  ASSERT_TRUE(b.LoadState(error)) << error;
  EXPECT_TRUE(b.FlashEmpty());
}

TEST(SimFlash, BadStateFilesAreRefusedAndUnwritableOnesReported) {
  const std::pair<const char*, const char*> bad[] = {
      {"FFFFF0360000: 0000000", "odd number"},
      {"FFFFF0360000: 0000FFFF00000000", "runs past"},
      {"FFFFF0360000: 0000000C00000000F0700000000000040000000A", "outside the configuration areas"},
  };
  for (const auto& [text, message] : bad) {
    const std::string path = TempPath("bad-state.txt");
    std::ofstream(path) << text << "\n";
    Brain b;
    b.SetStateFile(path);
    std::string error;
    EXPECT_FALSE(b.LoadState(error)) << text;
    EXPECT_NE(error.find(message), std::string::npos) << error;
  }
  Brain b;
  b.SetStateFile(TempPath("no-such-dir") + "/state.txt");
  b.Handle(WriteQuad(kCommandAddr, kCmdPowerUpClear));
  EXPECT_EQ(RcodeOf(*b.Handle(WriteQuad(kCommandAddr, kCmdStore))), kRcodeData);
  EXPECT_EQ(b.LastErrorCode(), kErrCannotProgramFlash);
  EXPECT_TRUE(b.FlashEmpty());
}

}  // namespace
}  // namespace kestrio::sim
