#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "options/advanced_menu.h"
#include "options/field_lines.h"
#include "options/option_page_file.h"
#include "options/value_formats.h"
#include "protocol/hex.h"
#include "protocol/memory_map.h"

namespace kestrio::options {
namespace {

const std::filesystem::path kBuild = KESTRIO_BINARY_DIR;

std::string Lines(int count, const std::string& pattern) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += pattern + std::to_string(i) + "\n";
  return text;
}

TEST(AdvancedMenuTest, Parse) {
  const std::pair<std::string, std::string> cases[] = {
      {"\"E-mail, Alerts\",  \"Email, 2.opt\"\n", "E-mail, Alerts|Email, 2.opt|"},
      {"   Time ,\t Time.opt  ", "Time|Time.opt|"},
      {"' one\n'two,three\n", ""},
      {"' the next line\nA,a.opt\n 'B,b", "A|a.opt|'B|b|"},  // only a first-column apostrophe
      {"\r\nA,a.opt\r\n  \r\n\nB,b.opt\r\n\r\n", "A|a.opt|B|b.opt|"},
      {"A\nB,b.opt,extra\n\"C,c", "A||B|b.opt|C,c||"},
      {"\xEF\xBB\xBF' comment\nA,a.opt", "A|a.opt|"},
  };
  for (const auto& [text, expected] : cases) {
    std::string got;
    for (const MenuEntry& e : ParseAdvancedMenu(text)) got += e.caption + "|" + e.pageFile + "|";
    EXPECT_EQ(got, expected) << text;
  }
  const std::vector<MenuEntry> menu = ParseAdvancedMenu("' header\n" + Lines(25, "Entry,page"));
  ASSERT_EQ(menu.size(), 20u);
  EXPECT_EQ(menu.back().pageFile, "page20");
  EXPECT_TRUE(LoadAdvancedMenu(kBuild / "no such menu.mnu").empty());
}

TEST(OptionPageFileTest, ParseAndLimits) {
  const std::vector<OptionRecord> page = ParseOptionPage(
      "' Label, address, format, access, length\n\n"
      "\"Parity (None, Even)\", FFFFF010040C, String, RW, 8\r\n"
      "  Modem, \"FFFF-F010-0418\" , ATZ , W,8\n"
      "Short, FFFFF0100000\n");
  std::string got;
  for (const OptionRecord& r : page)
    got += std::to_string(r.number) + ":" + r.label + "|" + r.address + "|" + r.format + "|" + r.access +
           "|" + r.length + "\n";
  EXPECT_EQ(got,
            "1:Parity (None, Even)|FFFFF010040C|String|RW|8\n2:Modem|FFFF-F010-0418|ATZ|W|8\n"
            "3:Short|FFFFF0100000|||\n");
  EXPECT_EQ(ParseOptionPage(Lines(57, "Opt, FFFFF0100000, Int, RW, 4, ")).size(), 56u);

  for (auto [text, bytes] :
       {std::pair{" 8 bytes", 8L}, {"6.9", 6L}, {"-4", 0L}, {"abc", 0L}, {"1e30", kMaxFieldBytes}})
    EXPECT_EQ(FieldBytes(text), bytes) << text;
  const std::filesystem::path large = kBuild / "options_large_page.opt";
  std::ofstream(large, std::ios::binary) << std::string(kMaxOptionFileBytes + 1, '\'');
  EXPECT_FALSE(ReadOptionPage(large).has_value());
  std::filesystem::remove(large);
}

// Every page the shipped menu names parses; every field lies inside the settings area on a
// quadlet boundary and overlaps no other; together they use every format and both access kinds.
TEST(ShippedDataTest, EveryPageFitsTheSettingsArea) {
  const std::filesystem::path data = std::filesystem::path(KESTRIO_SOURCE_DIR) / "data";
  const std::vector<MenuEntry> menu = LoadAdvancedMenu(data / "Advanced.mnu");
  ASSERT_GE(menu.size(), 6u);
  std::set<ValueFormat> formats;
  std::set<bool> access;
  bool at = false;
  std::map<std::uint64_t, std::pair<long, std::string>> fields;  // address -> bytes, where
  for (const MenuEntry& entry : menu) {
    const auto page = ReadOptionPage(data / entry.pageFile);
    ASSERT_TRUE(page && !page->empty()) << entry.pageFile;
    for (const OptionRecord& r : *page) {
      const std::string where = entry.pageFile + " " + r.label;
      const std::string address = StrippedHex(r.address);
      const long bytes = FieldBytes(r.length);
      const std::uint64_t from = HexValue(address);
      EXPECT_EQ(address.size(), 12u) << where;
      EXPECT_TRUE(from >= memory_map::kSettings.base && from % 4 == 0 && bytes >= 4 && bytes % 4 == 0 &&
                  from + bytes <= memory_map::kSettings.base + memory_map::kSettings.size)
          << where;
      EXPECT_NE(FormatOf(r.format), ValueFormat::Unknown) << where;
      formats.insert(FormatOf(r.format));
      at |= IsAtFormat(r.format);
      access.insert(IsWritable(r.access));
      EXPECT_TRUE(fields.try_emplace(from, bytes, where).second) << where;
    }
  }
  EXPECT_EQ(formats.size(), 6u);
  EXPECT_TRUE(at);
  EXPECT_EQ(access.size(), 2u);
  for (auto it = fields.begin(), next = std::next(it); next != fields.end(); ++it, ++next)
    EXPECT_LE(it->first + it->second.first, next->first) << it->second.second << " / " << next->second.second;
}

}  // namespace
}  // namespace kestrio::options
