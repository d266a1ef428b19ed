#pragma once
// Just enough JSON for kestrio-cli's --json output: escaped strings and objects built key by key.
// No parser and no dependency; values are added already encoded.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrio::cli {

// `text` as a quoted JSON string. Control characters are escaped; a byte sequence that is not
// valid UTF-8 becomes U+FFFD, so the output is always valid JSON.
std::string JsonString(std::string_view text);

// "[a,b,...]" of items that are already JSON.
std::string JsonArray(const std::vector<std::string>& items);
// "[...]" of strings.
std::string JsonStringArray(const std::vector<std::string>& items);

// An object whose members keep the order they were added in.
class JsonObject {
 public:
  JsonObject& Str(std::string_view key, std::string_view value);
  JsonObject& Bool(std::string_view key, bool value);
  JsonObject& Num(std::string_view key, std::int64_t value);
  JsonObject& Raw(std::string_view key, std::string_view json);  // `json` is already encoded
  std::string Text() const { return "{" + body_ + "}"; }
  bool Empty() const { return body_.empty(); }

 private:
  void Key(std::string_view key);
  std::string body_;
};

}  // namespace kestrio::cli
