#include "points/module_point_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "protocol/convert.h"

namespace kestrio::points {

namespace {

constexpr int kEnd = -1;
constexpr int kNothing = -2;

class TextSource {
 public:
  explicit TextSource(std::string_view text) : text_(text) {}
  int Get() { return at_ < text_.size() ? static_cast<unsigned char>(text_[at_++]) : kEnd; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

// A read error in the middle of the file ends it, as the end of the file would.
class FileSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  int Get() {
    const int c = std::getc(file_);
    return c == EOF ? kEnd : c;
  }

 private:
  std::FILE* file_;
};

struct Field {
  std::string text;  // leading blanks and the quotes removed; at most kMaxFieldLength characters
  bool quoted = false;
  bool endsLine = false;  // ended by a line break or the end of the file rather than a comma
  bool cut = false;       // longer than kMaxFieldLength
  int line = 1;           // where the field begins
};

bool IsBlank(int c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(int c) { return c == '\n' || c == '\r' || c == kEnd; }

template <class Source>
class FieldReader {
 public:
  explicit FieldReader(Source& source) : source_(source) {}

  bool AtEnd() { return Peek() == kEnd; }

  // One field: it ends at a comma or a line break (CR, LF or CR LF). A quoted field ends at its
  // closing quote, or at the line's end when the quote is never closed so one stray quote cannot
  // swallow the rest of the file; whatever follows the closing quote up to the comma is dropped.
  Field Next() {
    Field f;
    f.line = line_;
    const auto keep = [&f](int c) {
      if (f.text.size() < kMaxFieldLength) {
        f.text.push_back(static_cast<char>(c));
      } else {
        f.cut = true;
      }
    };
    int c = Get();
    while (IsBlank(c)) c = Get();
    if (c == '"') {
      f.quoted = true;
      for (c = Get(); c != '"' && !IsLineEnd(c); c = Get()) keep(c);
      if (c == '"') c = Get();
      while (c != ',' && !IsLineEnd(c)) c = Get();
    } else {
      for (; c != ',' && !IsLineEnd(c); c = Get()) keep(c);
      while (!f.text.empty() && IsBlank(f.text.back())) f.text.pop_back();
    }
    if (c == '\r' && Peek() == '\n') Get();
    if (c != ',') {
      f.endsLine = true;
      if (c != kEnd) ++line_;
    }
    return f;
  }

 private:
  int Get() {
    if (pending_ == kNothing) return source_.Get();
    const int c = pending_;
    pending_ = kNothing;
    return c;
  }
  int Peek() {
    if (pending_ == kNothing) pending_ = source_.Get();
    return pending_;
  }

  Source& source_;
  int pending_ = kNothing;
  int line_ = 1;
};

struct Record {
  Field name, module, description, point;
};

// The next record, skipping comments and blank lines where a record would begin. False at the end
// of the file; a record cut short by the end of the file is dropped.
template <class Source>
bool NextRecord(FieldReader<Source>& in, Record& r) {
  while (!in.AtEnd()) {
    Field first = in.Next();
    if (!first.text.empty() && first.text.front() == '\'') continue;
    // A blank line would otherwise shift every later field of the file by one.
    if (first.text.empty() && !first.quoted && first.endsLine) continue;
    if (in.AtEnd()) return false;
    r.name = std::move(first);
    for (Field* f : {&r.module, &r.description, &r.point}) {
      if (in.AtEnd()) return false;
      *f = in.Next();
    }
    return true;
  }
  return false;
}

enum class CodeKind { Valid, NotANumber, OutOfRange };
struct Code {
  CodeKind kind = CodeKind::NotANumber;
  std::int32_t value = 0;
};

int DigitValue(char c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
  if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  return d < base ? d : -1;
}

// A whole field holding a decimal integer (a sign allowed) or "&H" and hex digits.
Code ReadCode(const Field& f) {
  std::string_view t = f.text;
  while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
  int base = 10;
  bool negative = false;
  if (t.size() >= 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h')) {
    base = 16;
    t.remove_prefix(2);
  } else if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return {};
  std::int64_t value = 0;
  bool tooBig = f.cut;
  for (char c : t) {
    const int d = DigitValue(c, base);
    if (d < 0) return {};
    if (!tooBig) {
      value = value * base + d;
      tooBig = value > kMaxTypeCode;
    }
  }
  if (tooBig || (negative && value != 0)) return {CodeKind::OutOfRange, 0};
  return {CodeKind::Valid, static_cast<std::int32_t>(value)};
}

std::string OutOfRangeText(const Field& f, const char* what) {
  std::string shown = f.text.size() > 24 ? f.text.substr(0, 24) + "..." : f.text;
  return std::string(kModulePointFileName) + ", line " + std::to_string(f.line) + ": the " + what + " '" +
         shown + "' is not 0 to " + std::to_string(kMaxTypeCode) + "; the record is skipped.";
}

// One pass gives the same tables as sizing arrays in a first pass and filling them in a second:
// the highest codes are those of the records that are kept.
template <class Source>
ModulePointTables ReadTables(Source& source, Prompter& ui) {
  ModulePointTables t;
  FieldReader<Source> in(source);
  Record r;
  while (NextRecord(in, r)) {
    const Code m = ReadCode(r.module), p = ReadCode(r.point);
    if (m.kind == CodeKind::OutOfRange) {
      ui.Message(OutOfRangeText(r.module, "module type code"));
      continue;
    }
    if (p.kind == CodeKind::OutOfRange) {
      ui.Message(OutOfRangeText(r.point, "point type code"));
      continue;
    }
    if (m.kind != CodeKind::Valid || p.kind != CodeKind::Valid) continue;
    t.HighestModuleType = std::max(t.HighestModuleType, static_cast<int>(m.value));
    t.HighestPointType = std::max(t.HighestPointType, static_cast<int>(p.value));

    ModuleTypeInfo& module = t.ModuleTypeTable[m.value];
    module.Name = r.name.text;
    if (module.PointTypeCount < kMaxPointTypesPerModule) {
      ++module.PointTypeCount;
      module.PointTypeCodes[static_cast<std::size_t>(module.PointTypeCount)] =
          static_cast<std::int16_t>(p.value);
    } else {
      ui.Message(TooManyTypesText(module.Name));
    }
    PointTypeInfo& point = t.PointTypeTable[p.value];
    point.Name = r.description.text;
    point.ModuleType = static_cast<std::int16_t>(m.value);
  }
  return t;
}

}  // namespace

std::optional<std::string_view> ModulePointTables::ModuleName(std::int64_t module) const {
  if (module < 0 || module > HighestModuleType) return std::nullopt;
  const auto it = ModuleTypeTable.find(static_cast<std::int32_t>(module));
  return it == ModuleTypeTable.end() ? std::string_view() : std::string_view(it->second.Name);
}

std::vector<PointTypeChoice> ModulePointTables::OfferedPointTypes(std::int64_t module) const {
  std::vector<PointTypeChoice> out;
  if (!ModuleName(module)) return out;
  const auto it = ModuleTypeTable.find(static_cast<std::int32_t>(module));
  if (it == ModuleTypeTable.end()) return out;
  const int count = std::clamp<int>(it->second.PointTypeCount, 0, kMaxPointTypesPerModule);
  for (int i = 1; i <= count; ++i) {
    const std::int16_t code = it->second.PointTypeCodes[static_cast<std::size_t>(i)];
    out.push_back({code, std::string(PointTypeName(code).value_or(""))});
  }
  return out;
}

std::optional<std::string_view> ModulePointTables::PointTypeName(std::int64_t type) const {
  if (type < 0 || type > HighestPointType) return std::nullopt;
  const auto it = PointTypeTable.find(static_cast<std::int32_t>(type));
  return it == PointTypeTable.end() ? std::string_view() : std::string_view(it->second.Name);
}

bool ModulePointTables::IsAnalogOutputModule(std::int64_t module) const {
  const std::optional<std::string_view> name = ModuleName(module);
  return name && name->starts_with("AO");
}

ModulePointTables ParseModulePointInfo(std::string_view text, Prompter& ui) {
  TextSource source(text);
  return ReadTables(source, ui);
}

ModulePointFile LoadModulePointInfo(const std::filesystem::path& path, Prompter& ui) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  if (ec) full = path;
  ModulePointFile out;

  errno = 0;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(full.c_str(), "rb"), &std::fclose);
  int error = errno;
  // A folder opens on some systems and fails at the first read: that too is a file that cannot be opened.
  if (file) {
    if (std::getc(file.get()) == EOF && std::ferror(file.get())) {
      error = errno;
      file.reset();
    } else {
      std::rewind(file.get());
    }
  }
  if (!file) {
    out.fatalError = CannotOpenText(full.string(), error);
    return out;
  }
  FileSource source(file.get());
  out.tables = ReadTables(source, ui);
  return out;
}

std::string CannotOpenText(const std::string& fullPath, int errorNumber) {
  return "FATAL ERROR\n\nCould not open file: \n" + fullPath + "\nerror number: " + NumberText(errorNumber) +
         "\n";
}

std::string TooManyTypesText(std::string_view moduleName) {
  return "There are too many point configuration types for the " + std::string(moduleName) +
         " module.  The max is: " + NumberText(kMaxPointTypesPerModule);
}

}  // namespace kestrio::points
