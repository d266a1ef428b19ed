#include "options/field_lines.h"

#include <fstream>

namespace kestrio::options {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool AllBlank(std::string_view line) {
  for (char c : line)
    if (!IsBlank(c)) return false;
  return true;
}

}  // namespace

std::vector<std::string_view> RecordLines(std::string_view text, std::size_t limit) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
  std::vector<std::string_view> lines;
  while (!text.empty() && lines.size() < limit) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.starts_with('\'') || AllBlank(line)) continue;
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> ReadFields(std::string_view line, std::size_t count) {
  std::vector<std::string> fields(count);
  std::size_t at = 0;
  for (std::size_t f = 0; f < count && at <= line.size(); ++f) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    std::size_t comma;
    if (at < line.size() && line[at] == '"') {
      const std::size_t close = line.find('"', at + 1);
      const std::size_t end = close == std::string_view::npos ? line.size() : close;
      fields[f] = line.substr(at + 1, end - at - 1);
      comma = close == std::string_view::npos ? line.size() : line.find(',', close + 1);
    } else {
      comma = line.find(',', at);
      std::string_view field =
          line.substr(at, comma == std::string_view::npos ? line.size() - at : comma - at);
      while (!field.empty() && IsBlank(field.back())) field.remove_suffix(1);
      fields[f] = field;
    }
    if (comma == std::string_view::npos || comma >= line.size()) break;
    at = comma + 1;
  }
  return fields;
}

std::optional<std::string> ReadOptionFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxOptionFileBytes) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  text.reserve(static_cast<std::size_t>(size));
  // Read no more than the limit even if the file grew after its size was taken.
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxOptionFileBytes) return std::nullopt;
  }
  if (in.bad()) return std::nullopt;
  return text;
}

}  // namespace kestrio::options
