#include "unit/json_value.h"

#include <charconv>
#include <cstdio>

namespace kestrio::unit {

namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0 when it is not one.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char c = byte(i);
  std::size_t n = 0;
  unsigned int min = 0;
  unsigned int cp = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2, min = 0x80, cp = c & 0x1Fu;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3, min = 0x800, cp = c & 0x0Fu;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4, min = 0x10000, cp = c & 0x07u;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0u) != 0x80u) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

JsonValue JsonValue::Bool(bool value) {
  JsonValue v;
  v.type_ = Type::Bool;
  v.bool_ = value;
  return v;
}

JsonValue JsonValue::Int(std::int64_t value) {
  JsonValue v;
  v.type_ = Type::Number;
  v.text_ = std::to_string(value);
  return v;
}

JsonValue JsonValue::Str(std::string value) {
  JsonValue v;
  v.type_ = Type::String;
  v.text_ = std::move(value);
  return v;
}

JsonValue JsonValue::Array() {
  JsonValue v;
  v.type_ = Type::Array;
  return v;
}

JsonValue JsonValue::Object() {
  JsonValue v;
  v.type_ = Type::Object;
  return v;
}

JsonValue& JsonValue::Add(JsonValue item) {
  items_.push_back(std::move(item));
  return *this;
}

JsonValue& JsonValue::Set(std::string key, JsonValue value) {
  members_.emplace_back(std::move(key), std::move(value));
  return *this;
}

const JsonValue* JsonValue::Find(std::string_view key) const {
  if (type_ != Type::Object) return nullptr;
  for (const auto& [k, v] : members_)
    if (k == key) return &v;
  return nullptr;
}

std::optional<std::string> JsonValue::AsString() const {
  if (type_ != Type::String) return std::nullopt;
  return text_;
}

std::optional<std::int64_t> JsonValue::AsInt() const {
  if (type_ != Type::Number) return std::nullopt;
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(text_.data(), text_.data() + text_.size(), v);
  if (ec != std::errc() || end != text_.data() + text_.size()) return std::nullopt;
  return v;
}

std::optional<bool> JsonValue::AsBool() const {
  if (type_ != Type::Bool) return std::nullopt;
  return bool_;
}

std::string JsonQuoted(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t n = Utf8Length(text, i);
      if (n == 0) {
        out += "\\ufffd";
        ++i;
      } else {
        out.append(text.substr(i, n));
        i += n;
      }
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  return out + "\"";
}

void WriteJsonTo(const JsonValue& v, std::string& out, int indent) {
  const std::string pad(static_cast<std::size_t>(indent + 2), ' ');
  switch (v.type_) {
    case JsonValue::Type::Null:
      out += "null";
      return;
    case JsonValue::Type::Bool:
      out += v.bool_ ? "true" : "false";
      return;
    case JsonValue::Type::Number:
      out += v.text_;
      return;
    case JsonValue::Type::String:
      out += JsonQuoted(v.text_);
      return;
    case JsonValue::Type::Array: {
      if (v.items_.empty()) {
        out += "[]";
        return;
      }
      // An array of plain values (point types, say) stays on one line.
      bool flat = true;
      for (const JsonValue& item : v.items_) flat = flat && !item.IsArray() && !item.IsObject();
      out += flat ? "[" : "[\n";
      for (std::size_t i = 0; i < v.items_.size(); ++i) {
        if (!flat) out += pad;
        WriteJsonTo(v.items_[i], out, indent + 2);
        if (i + 1 < v.items_.size()) out += flat ? ", " : ",\n";
      }
      out += flat ? "]" : "\n" + std::string(static_cast<std::size_t>(indent), ' ') + "]";
      return;
    }
    case JsonValue::Type::Object: {
      if (v.members_.empty()) {
        out += "{}";
        return;
      }
      out += "{\n";
      for (std::size_t i = 0; i < v.members_.size(); ++i) {
        out += pad + JsonQuoted(v.members_[i].first) + ": ";
        WriteJsonTo(v.members_[i].second, out, indent + 2);
        out += i + 1 < v.members_.size() ? ",\n" : "\n";
      }
      out += std::string(static_cast<std::size_t>(indent), ' ') + "}";
      return;
    }
  }
}

std::string WriteJson(const JsonValue& value) {
  std::string out;
  WriteJsonTo(value, out, 0);
  return out + "\n";
}

class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : text_(text) {}

  std::optional<JsonValue> Document(std::string& error) {
    JsonValue v;
    if (Value(v, 0)) {
      Blanks();
      if (at_ == text_.size()) return v;
      Fail("text after the end of the value");
    }
    error = "line " + std::to_string(line_) + ": " + why_;
    return std::nullopt;
  }

 private:
  bool Fail(const std::string& why) {
    if (why_.empty()) why_ = why;
    return false;
  }
  void Blanks() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '\n') ++line_;
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return;
      ++at_;
    }
  }
  bool Literal(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return Fail("not a JSON value");
    at_ += word.size();
    return true;
  }

  bool Value(JsonValue& v, int depth) {
    if (depth > kMaxJsonDepth)
      return Fail("nested more than " + std::to_string(kMaxJsonDepth) + " levels deep");
    Blanks();
    if (at_ >= text_.size()) return Fail("the text ends where a value was expected");
    const char c = text_[at_];
    if (c == '{') return ObjectValue(v, depth);
    if (c == '[') return ArrayValue(v, depth);
    if (c == '"') {
      v.type_ = JsonValue::Type::String;
      return String(v.text_);
    }
    if (c == 't' || c == 'f') {
      v.type_ = JsonValue::Type::Bool;
      v.bool_ = c == 't';
      return Literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') return Literal("null");
    return Number(v);
  }

  bool ObjectValue(JsonValue& v, int depth) {
    v.type_ = JsonValue::Type::Object;
    ++at_;
    Blanks();
    if (at_ < text_.size() && text_[at_] == '}') {
      ++at_;
      return true;
    }
    while (true) {
      Blanks();
      if (at_ >= text_.size() || text_[at_] != '"')
        return Fail("a member name in double quotes was expected");
      std::string key;
      if (!String(key)) return false;
      Blanks();
      if (at_ >= text_.size() || text_[at_] != ':') return Fail("':' was expected after a member name");
      ++at_;
      JsonValue member;
      if (!Value(member, depth + 1)) return false;
      v.members_.emplace_back(std::move(key), std::move(member));
      Blanks();
      if (at_ < text_.size() && text_[at_] == ',') {
        ++at_;
        continue;
      }
      if (at_ < text_.size() && text_[at_] == '}') {
        ++at_;
        return true;
      }
      return Fail("',' or '}' was expected");
    }
  }

  bool ArrayValue(JsonValue& v, int depth) {
    v.type_ = JsonValue::Type::Array;
    ++at_;
    Blanks();
    if (at_ < text_.size() && text_[at_] == ']') {
      ++at_;
      return true;
    }
    while (true) {
      JsonValue item;
      if (!Value(item, depth + 1)) return false;
      v.items_.push_back(std::move(item));
      Blanks();
      if (at_ < text_.size() && text_[at_] == ',') {
        ++at_;
        continue;
      }
      if (at_ < text_.size() && text_[at_] == ']') {
        ++at_;
        return true;
      }
      return Fail("',' or ']' was expected");
    }
  }

  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  bool Hex4(std::uint32_t& out) {
    if (text_.size() - at_ < 4) return Fail("a \\u escape needs four hex digits");
    out = 0;
    for (int i = 0; i < 4; ++i) {
      const int d = HexDigit(text_[at_++]);
      if (d < 0) return Fail("a \\u escape needs four hex digits");
      out = out * 16 + static_cast<std::uint32_t>(d);
    }
    return true;
  }
  static void Utf8(std::uint32_t cp, std::string& out) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  bool String(std::string& out) {
    ++at_;  // the opening quote
    while (true) {
      if (at_ >= text_.size()) return Fail("a string is not closed");
      const char c = text_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character inside a string");
      if (static_cast<unsigned char>(c) >= 0x80) {
        // Bytes that are not UTF-8 read as U+FFFD, as the writer writes them.
        const std::size_t n = Utf8Length(text_, at_ - 1);
        if (n == 0) {
          out += "\xEF\xBF\xBD";
        } else {
          out.append(text_.substr(at_ - 1, n));
          at_ += n - 1;
        }
        continue;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) return Fail("a string is not closed");
      const char e = text_[at_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          std::uint32_t cp = 0;
          if (!Hex4(cp)) return false;
          // A surrogate pair stands for one character beyond the first 64 Ki; a lone half is kept as
          // U+FFFD, and the escape after a lone high half is read as a character of its own.
          if (cp >= 0xD800 && cp < 0xDC00 && text_.substr(at_, 2) == "\\u") {
            const std::size_t back = at_;
            at_ += 2;
            std::uint32_t low = 0;
            if (!Hex4(low)) return false;
            if (low >= 0xDC00 && low < 0xE000) {
              cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            } else {
              cp = 0xFFFD;
              at_ = back;
            }
          } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
          }
          Utf8(cp, out);
          break;
        }
        default:
          return Fail(std::string("an unknown escape \\") + e + " inside a string");
      }
    }
  }

  bool Number(JsonValue& v) {
    const std::size_t start = at_;
    auto digits = [this] {
      const std::size_t from = at_;
      while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
      return at_ > from;
    };
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    if (!digits()) return Fail("not a JSON value");
    if (at_ < text_.size() && text_[at_] == '.') {
      ++at_;
      if (!digits()) return Fail("a number has no digits after its point");
    }
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      if (!digits()) return Fail("a number has no digits in its exponent");
    }
    v.type_ = JsonValue::Type::Number;
    v.text_ = std::string(text_.substr(start, at_ - start));
    return true;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
  std::string why_;
};

std::optional<JsonValue> ParseJson(std::string_view text, std::string& error) {
  if (text.size() > kMaxJsonBytes) {
    error = "the text is larger than " + std::to_string(kMaxJsonBytes) + " bytes";
    return std::nullopt;
  }
  return JsonParser(text).Document(error);
}

}  // namespace kestrio::unit
