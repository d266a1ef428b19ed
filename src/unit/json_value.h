#pragma once
// The JSON of a unit backup's files (the manifest, the rack, the option values): a value type, a
// total parser and a writer that indents as a person would read the file. Plain C++.
//
// The parser takes any bytes: it refuses, with the line of the fault, what is not JSON, nesting
// deeper than kMaxJsonDepth and texts longer than kMaxJsonBytes, so no input costs unbounded memory
// or stack. Strings are kept as UTF-8 bytes; numbers as their literal text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrio::unit {

inline constexpr int kMaxJsonDepth = 16;
inline constexpr std::size_t kMaxJsonBytes = 1u << 20;  // a backup's files are a few KiB

class JsonValue {
 public:
  enum class Type { Null, Bool, Number, String, Array, Object };

  JsonValue() = default;
  static JsonValue Bool(bool value);
  static JsonValue Int(std::int64_t value);
  static JsonValue Str(std::string value);
  static JsonValue Array();
  static JsonValue Object();

  Type Kind() const { return type_; }
  bool IsObject() const { return type_ == Type::Object; }
  bool IsArray() const { return type_ == Type::Array; }

  // Building: Add appends to an array, Set appends a member to an object (in order); each returns *this.
  JsonValue& Add(JsonValue item);
  JsonValue& Set(std::string key, JsonValue value);

  // Reading. The member `key` of an object (nullptr when absent or not an object); the items of an
  // array (empty otherwise).
  const JsonValue* Find(std::string_view key) const;
  const std::vector<JsonValue>& Items() const { return items_; }
  const std::vector<std::pair<std::string, JsonValue>>& Members() const { return members_; }
  // The value when it is of that kind: a string, a whole number within int64, a boolean.
  std::optional<std::string> AsString() const;
  std::optional<std::int64_t> AsInt() const;
  std::optional<bool> AsBool() const;

 private:
  friend class JsonParser;
  Type type_ = Type::Null;
  bool bool_ = false;
  std::string text_;  // a string's bytes, or a number's literal
  std::vector<JsonValue> items_;
  std::vector<std::pair<std::string, JsonValue>> members_;

  friend void WriteJsonTo(const JsonValue& value, std::string& out, int indent);
};

// The value as text, two blanks per level, ending in a line break.
std::string WriteJson(const JsonValue& value);
// A string as a JSON string literal, quotes included; bytes that are not UTF-8 become U+FFFD.
std::string JsonQuoted(std::string_view text);

// nullopt with `error` ("line 3: ...") when the text is not one JSON value.
std::optional<JsonValue> ParseJson(std::string_view text, std::string& error);

}  // namespace kestrio::unit
