#include "options/advanced_menu.h"

#include "options/field_lines.h"

namespace kestrio::options {

std::vector<MenuEntry> ParseAdvancedMenu(std::string_view text) {
  std::vector<MenuEntry> entries;
  for (std::string_view line : RecordLines(text, kMaxMenuEntries)) {
    std::vector<std::string> fields = ReadFields(line, 2);
    entries.push_back({std::move(fields[0]), std::move(fields[1])});
  }
  return entries;
}

std::vector<MenuEntry> LoadAdvancedMenu(const std::filesystem::path& path) {
  const std::optional<std::string> text = ReadOptionFile(path);
  return text ? ParseAdvancedMenu(*text) : std::vector<MenuEntry>{};
}

}  // namespace kestrio::options
