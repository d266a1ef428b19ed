// Rack files, EEPROM image parsing and the state file: every refusal is a message, never a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/brain.h"
#include "sim/flash_image.h"
#include "sim/rack.h"
#include "support/packets.h"

namespace kestrio::sim {
namespace {

using namespace kestrio::memory_map;
using namespace kestrio::test;

std::string TempPath(const std::string& name) {
  auto dir = std::filesystem::temp_directory_path() / ("kestrio-sim-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

TEST(SimRack, ParsesSlotsAndLeavesTheRestEmpty) {
  std::string error;
  auto rack = ParseRack(
      "# a small rack\nslot 0 din\nslot 3 aout 0x18 80:0:10   # comment\n\n"
      "slot 15 ain 16 64:-10:10 66:4:20\r\n",
      error);
  ASSERT_TRUE(rack) << error;
  EXPECT_EQ(rack->slotList[3].moduleCode, 24);
  EXPECT_EQ(rack->InitialPointType(0), kDigitalInputType);
  EXPECT_EQ(rack->InitialPointType(12), 80);
  EXPECT_EQ(rack->InitialPointType(14), kNoPointType);  // analog modules have two channels
  EXPECT_EQ(rack->InitialPointType(20), kNoPointType);  // slots not listed are empty...
  EXPECT_FALSE(rack->Accepts(20, kDigitalInputType));   // ...and accept nothing
  EXPECT_TRUE(rack->Accepts(61, 66));
  EXPECT_FALSE(rack->Accepts(61, 80));
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

TEST(SimFlash, BadStateFilesAreRefusedAndFailedWritesReported) {
  const std::pair<const char*, const char*> bad[] = {
      {"FFFFF0360000: 0000000", "odd number"},
      {"FFFFF0360000: 000000", "shorter than its length quadlet"},
      {"FFFFF0360000: 0000FFFF00000000", "runs past"},
      {"FFFFF0360000: 0000000400000000F0D00000", "cut short"},
      {"FFFFF0360000: 0000000C00000000F0D00000FFFFFFF0AABBCCDD", "more than the image holds"},
      {"FFFFF0360000: 0000000C00000000F0700000000000040000000A", "outside the configuration areas"}};
  for (const auto& [text, message] : bad) {
    const std::string path = TempPath("bad-state.txt");
    std::ofstream(path) << text << "\n";
    Brain b;
    b.SetStateFile(path);
    std::string error;
    EXPECT_FALSE(b.LoadState(error)) << text;
    EXPECT_NE(error.find(message), std::string::npos) << error;
  }
  // A store or erase that cannot write the file fails with its own error; the flash stays as it was.
  Brain b;
  b.SetStateFile(TempPath("no-such-dir") + "/state.txt");
  EXPECT_EQ(RcodeOf(*b.Handle(Command(DeviceCommand::StoreToEeprom))), kRcodeData);
  EXPECT_EQ(b.LastErrorCode(), kErrCannotProgramFlash);
  EXPECT_TRUE(b.FlashEmpty());
  EXPECT_EQ(RcodeOf(*b.Handle(Command(DeviceCommand::EraseFlash))), kRcodeData);
  EXPECT_EQ(b.LastErrorCode(), kErrCannotEraseFlash);
}

}  // namespace
}  // namespace kestrio::sim
