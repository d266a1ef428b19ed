#include "cli/json.h"

#include "unit/json_value.h"

namespace kestrio::cli {

std::string JsonString(std::string_view text) { return unit::JsonQuoted(text); }

std::string JsonArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ",";
    out += items[i];
  }
  return out + "]";
}

std::string JsonStringArray(const std::vector<std::string>& items) {
  std::vector<std::string> encoded;
  encoded.reserve(items.size());
  for (const std::string& s : items) encoded.push_back(JsonString(s));
  return JsonArray(encoded);
}

void JsonObject::Key(std::string_view key) {
  if (!body_.empty()) body_ += ",";
  body_ += JsonString(key) + ":";
}

JsonObject& JsonObject::Str(std::string_view key, std::string_view value) {
  Key(key);
  body_ += JsonString(value);
  return *this;
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  Key(key);
  body_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::Num(std::string_view key, std::int64_t value) {
  Key(key);
  body_ += std::to_string(value);
  return *this;
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
  Key(key);
  body_.append(json);
  return *this;
}

}  // namespace kestrio::cli
