#pragma once
// Option page files: one option per line with five fields (label, address, format, access,
// length in bytes), at most kMaxOptions of them. The texts are kept as written; the helpers below
// give what the page makes of them.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrio::options {

inline constexpr int kMaxOptions = 56;

struct OptionRecord {
  int number = 0;       // the row it fills, 1..kMaxOptions, in file order
  std::string label;    // shown before the value
  std::string address;  // 12 hex digits once non-hex characters are dropped
  std::string format;   // a value format name (value_formats.h)
  std::string access;   // writable when it holds a w in either case
  std::string length;   // the field's size in bytes, decimal
};

// The options of a page file's text, in file order; options past the 56th are dropped.
std::vector<OptionRecord> ParseOptionPage(std::string_view text);

// The options of the file at `path`; nullopt when it cannot be opened (the page then shows none).
std::optional<std::vector<OptionRecord>> ReadOptionPage(const std::filesystem::path& path);

// True when the access text marks the field writable.
bool IsWritable(std::string_view access);

// The length text as whole bytes: its leading decimal number with the fraction dropped; 0 when it
// has none or is negative, and never more than kMaxFieldBytes.
long FieldBytes(std::string_view length);
inline constexpr long kMaxFieldBytes = 1L << 20;

}  // namespace kestrio::options
