#pragma once
// The line and field rules the menu file and the option page files share: one record per line,
// fields separated by commas, a field in double quotes may hold commas (the quotes are not kept),
// leading blanks are ignored, a line beginning with an apostrophe is a comment.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrio::options {

// The record lines of a file's text, in order, at most `limit` of them: comment lines and blank
// lines (nothing but blanks) are dropped, and so is a carriage return before a line break and a
// UTF-8 byte order mark at the start. The views point into `text`.
std::vector<std::string_view> RecordLines(std::string_view text, std::size_t limit);

// Exactly `count` fields of one line; missing fields are empty and text after the last is ignored.
// An unquoted field also loses its trailing blanks; text between a closing quote and the next
// comma is dropped.
std::vector<std::string> ReadFields(std::string_view line, std::size_t count);

// The largest menu or page file read; a larger file is treated as one that cannot be opened.
inline constexpr std::uintmax_t kMaxOptionFileBytes = 1 << 20;

// The whole file, or nullopt when it is missing, unreadable or larger than kMaxOptionFileBytes.
std::optional<std::string> ReadOptionFile(const std::filesystem::path& path);

}  // namespace kestrio::options
