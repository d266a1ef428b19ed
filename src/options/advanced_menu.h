#pragma once
// The Advanced menu file (Advanced.mnu): one entry per line, the menu caption then the option page
// file it opens. Only the first kMaxMenuEntries entries are kept; a missing file gives no entries
// and no message.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestrio::options {

inline constexpr int kMaxMenuEntries = 20;

struct MenuEntry {
  std::string caption;   // text shown in the menu
  std::string pageFile;  // option page file name, resolved by the caller
};

// The entries of a menu file's text, in file order; entries past the twentieth are dropped.
std::vector<MenuEntry> ParseAdvancedMenu(std::string_view text);

// The entries of the file at `path`; none when it is missing or cannot be read.
std::vector<MenuEntry> LoadAdvancedMenu(const std::filesystem::path& path);

}  // namespace kestrio::options
