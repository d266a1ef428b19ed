#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "options/advanced_menu.h"
#include "options/option_page_file.h"
#include "options/value_formats.h"
#include "protocol/hex.h"
#include "protocol/memory_map.h"

namespace kestrio::options {
namespace {

std::string Lines(int count, const std::string& pattern) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += pattern + std::to_string(i) + "\n";
  return text;
}

struct MenuCase {
  const char* name;
  std::string text;
  std::vector<std::pair<std::string, std::string>> entries;
};

TEST(AdvancedMenuTest, Parse) {
  const MenuCase cases[] = {
      {"plain", "Network, Network.opt\n", {{"Network", "Network.opt"}}},
      {"quoted comma", "\"E-mail, Alerts\",  \"Email, 2.opt\"\n", {{"E-mail, Alerts", "Email, 2.opt"}}},
      {"leading blanks", "   Time ,\t Time.opt  ", {{"Time", "Time.opt"}}},
      {"only comments", "' one\n'two,three\n", {}},
      {"comment before an entry", "' the next line\nA,a.opt\n", {{"A", "a.opt"}}},
      {"indented apostrophe is no comment", " 'A,a.opt", {{"'A", "a.opt"}}},
      {"blank lines and CRLF", "\r\nA,a.opt\r\n  \r\n\nB,b.opt\r\n\r\n", {{"A", "a.opt"}, {"B", "b.opt"}}},
      {"missing and extra fields", "A\nB,b.opt,extra\n", {{"A", ""}, {"B", "b.opt"}}},
      {"unclosed quote", "\"A,b", {{"A,b", ""}}},
      {"byte order mark", "\xEF\xBB\xBF' comment\nA,a.opt", {{"A", "a.opt"}}},
      {"empty", "", {}},
  };
  for (const MenuCase& c : cases) {
    std::vector<std::pair<std::string, std::string>> got;
    for (const MenuEntry& e : ParseAdvancedMenu(c.text)) got.emplace_back(e.caption, e.pageFile);
    EXPECT_EQ(got, c.entries) << c.name;
  }
}

TEST(AdvancedMenuTest, FirstTwentyEntriesInFileOrder) {
  const std::vector<MenuEntry> menu = ParseAdvancedMenu("' header\n" + Lines(25, "Entry,page"));
  ASSERT_EQ(menu.size(), 20u);
  EXPECT_EQ(menu.front().pageFile, "page1");
  EXPECT_EQ(menu.back().pageFile, "page20");
  EXPECT_TRUE(LoadAdvancedMenu(std::filesystem::path(KESTRIO_BINARY_DIR) / "no such menu.mnu").empty());
}

TEST(OptionPageFileTest, Parse) {
  const std::vector<OptionRecord> page = ParseOptionPage(
      "' Label, address, format, access, length\n"
      "\n"
      "\"Port 1 parity (None, Even)\", FFFFF010040C, String, RW, 8\r\n"
      "  Modem, \"FFFF-F010-0418\" , ATZ , W,8\n"
      "Short, FFFFF0100000\n");
  ASSERT_EQ(page.size(), 3u);
  EXPECT_EQ(page[0].number, 1);
  EXPECT_EQ(page[0].label, "Port 1 parity (None, Even)");
  EXPECT_EQ(page[0].length, "8");
  EXPECT_EQ(page[1].number, 2);
  EXPECT_EQ(page[1].address, "FFFF-F010-0418");
  EXPECT_EQ(page[1].format, "ATZ");
  EXPECT_EQ(page[1].access, "W");
  EXPECT_EQ(page[2].format, "");
  EXPECT_EQ(page[2].length, "");

  const std::vector<OptionRecord> full = ParseOptionPage(Lines(57, "Opt, FFFFF0100000, Int, RW, 4, "));
  ASSERT_EQ(full.size(), 56u);
  EXPECT_EQ(full.back().number, 56);
  EXPECT_FALSE(ReadOptionPage(std::filesystem::path(KESTRIO_BINARY_DIR) / "no such page.opt").has_value());
}

TEST(OptionPageFileTest, AccessAndLength) {
  EXPECT_TRUE(IsWritable("RW"));
  EXPECT_TRUE(IsWritable("w"));
  EXPECT_FALSE(IsWritable("R"));
  EXPECT_FALSE(IsWritable(""));
  const std::pair<const char*, long> lengths[] = {{"32", 32}, {" 8 bytes", 8}, {"6.9", 6}, {"-4", 0},
                                                  {"abc", 0}, {"", 0},         {"1e30", kMaxFieldBytes}};
  for (const auto& [text, bytes] : lengths) EXPECT_EQ(FieldBytes(text), bytes) << text;
}

TEST(OptionPageFileTest, LargeFileIsNotRead) {
  const std::filesystem::path path = std::filesystem::path(KESTRIO_BINARY_DIR) / "options_large_page.opt";
  {
    std::ofstream out(path, std::ios::binary);
    out << std::string(2 << 20, '\'');
  }
  EXPECT_FALSE(ReadOptionPage(path).has_value());
  std::filesystem::remove(path);
}

// Every page the shipped menu names parses, and every field lies inside the settings area, is a
// whole number of quadlets and does not overlap another field.
TEST(ShippedDataTest, EveryPageFitsTheSettingsArea) {
  const std::filesystem::path data = std::filesystem::path(KESTRIO_SOURCE_DIR) / "data";
  const std::vector<MenuEntry> menu = LoadAdvancedMenu(data / "Advanced.mnu");
  ASSERT_GE(menu.size(), 6u);
  std::set<ValueFormat> formats;
  std::set<bool> access;
  bool atFormat = false;
  struct Field {
    long bytes;
    std::string format;
    std::string where;
  };
  std::map<std::uint64_t, Field> fields;
  for (const MenuEntry& entry : menu) {
    const auto page = ReadOptionPage(data / entry.pageFile);
    ASSERT_TRUE(page.has_value()) << entry.pageFile;
    EXPECT_FALSE(page->empty()) << entry.pageFile;
    for (const OptionRecord& r : *page) {
      const std::string where = entry.pageFile + " row" + std::to_string(r.number) + " " + r.label;
      const std::string address = StrippedHex(r.address);
      const long bytes = FieldBytes(r.length);
      ASSERT_EQ(address.size(), 12u) << where;
      const std::uint64_t at = HexValue(address);
      EXPECT_GE(at, memory_map::kSettings.base) << where;
      EXPECT_LE(at + static_cast<std::uint64_t>(bytes), memory_map::kSettings.base + memory_map::kSettings.size)
          << where;
      EXPECT_EQ(at % 4, 0u) << where;
      EXPECT_TRUE(bytes >= 4 && bytes % 4 == 0) << where;
      EXPECT_NE(FormatOf(r.format), ValueFormat::Unknown) << where;
      formats.insert(FormatOf(r.format));
      atFormat |= IsAtFormat(r.format);
      access.insert(IsWritable(r.access));
      auto [it, added] = fields.try_emplace(at, Field{bytes, r.format, where});
      if (!added) {
        EXPECT_EQ(it->second.bytes, bytes) << where << " and " << it->second.where;
        EXPECT_EQ(it->second.format, r.format) << where << " and " << it->second.where;
      }
    }
  }
  EXPECT_EQ(formats.size(), 6u);
  EXPECT_TRUE(atFormat);
  EXPECT_EQ(access.size(), 2u);
  for (auto it = fields.begin(); it != fields.end(); ++it) {
    auto next = std::next(it);
    if (next != fields.end()) {
      EXPECT_LE(it->first + static_cast<std::uint64_t>(it->second.bytes), next->first)
          << it->second.where << " overlaps " << next->second.where;
    }
  }
}

}  // namespace
}  // namespace kestrio::options
