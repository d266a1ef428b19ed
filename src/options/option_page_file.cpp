#include "options/option_page_file.h"

#include <cmath>

#include "options/field_lines.h"
#include "protocol/convert.h"

namespace kestrio::options {

std::vector<OptionRecord> ParseOptionPage(std::string_view text) {
  std::vector<OptionRecord> records;
  for (std::string_view line : RecordLines(text, kMaxOptions)) {
    std::vector<std::string> f = ReadFields(line, 5);
    records.push_back({static_cast<int>(records.size()) + 1, std::move(f[0]), std::move(f[1]),
                       std::move(f[2]), std::move(f[3]), std::move(f[4])});
  }
  return records;
}

std::optional<std::vector<OptionRecord>> ReadOptionPage(const std::filesystem::path& path) {
  const std::optional<std::string> text = ReadOptionFile(path);
  if (!text) return std::nullopt;
  return ParseOptionPage(*text);
}

bool IsWritable(std::string_view access) { return access.find_first_of("wW") != std::string_view::npos; }

long FieldBytes(std::string_view length) {
  const std::optional<double> value = LeadingNumber(length);
  if (!value || !(*value > 0)) return 0;
  if (*value >= static_cast<double>(kMaxFieldBytes)) return kMaxFieldBytes;
  return static_cast<long>(std::trunc(*value));
}

}  // namespace kestrio::options
