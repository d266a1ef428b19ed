#pragma once
// A strict little JSON syntax check for the tool's --json output: one object, quoted keys, string
// escapes, numbers, true/false/null, nested arrays and objects, nothing after the end.
#include <cctype>
#include <string>

namespace kestrio::cli::test {

class JsonCheck {
 public:
  static bool IsObject(const std::string& text) {
    JsonCheck c(text);
    c.Blanks();
    if (c.Peek() != '{' || !c.Value()) return false;
    c.Blanks();
    return c.pos_ == text.size();
  }

 private:
  explicit JsonCheck(const std::string& t) : t_(t) {}
  char Peek() const { return pos_ < t_.size() ? t_[pos_] : '\0'; }
  void Blanks() {
    while (pos_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[pos_]))) ++pos_;
  }
  bool Eat(char c) {
    Blanks();
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }
  bool String() {
    if (!Eat('"')) return false;
    while (pos_ < t_.size()) {
      const unsigned char c = static_cast<unsigned char>(t_[pos_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c == '\\') {
        const char e = Peek();
        ++pos_;
        if (e == 'u') {
          for (int i = 0; i < 4; ++i, ++pos_) {
            if (!std::isxdigit(static_cast<unsigned char>(Peek()))) return false;
          }
        } else if (std::string("\"\\/bfnrt").find(e) == std::string::npos || e == '\0') {
          return false;
        }
      }
    }
    return false;
  }
  bool Literal(const char* word) {
    const std::string w(word);
    if (t_.compare(pos_, w.size(), w) != 0) return false;
    pos_ += w.size();
    return true;
  }
  bool Number() {
    const std::size_t start = pos_;
    if (Peek() == '-') ++pos_;
    while (std::isdigit(static_cast<unsigned char>(Peek())) || Peek() == '.' || Peek() == 'e' ||
           Peek() == 'E' || Peek() == '+' || Peek() == '-')
      ++pos_;
    return pos_ > start && std::isdigit(static_cast<unsigned char>(t_[pos_ - 1]));
  }
  bool Value() {
    Blanks();
    switch (Peek()) {
      case '{': {
        ++pos_;
        if (Eat('}')) return true;
        do {
          Blanks();
          if (!String() || !Eat(':') || !Value()) return false;
        } while (Eat(','));
        return Eat('}');
      }
      case '[': {
        ++pos_;
        if (Eat(']')) return true;
        do {
          if (!Value()) return false;
        } while (Eat(','));
        return Eat(']');
      }
      case '"':
        return String();
      case 't':
        return Literal("true");
      case 'f':
        return Literal("false");
      case 'n':
        return Literal("null");
      default:
        return Number();
    }
  }

  const std::string& t_;
  std::size_t pos_ = 0;
};

}  // namespace kestrio::cli::test
