#pragma once
// A bounds-checked reader over one fuzz input, and the check that turns a broken invariant into a
// crash libFuzzer records (with the message on stderr so the replay shows what went wrong).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace kestrio::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

#define KESTRIO_FUZZ_CHECK(cond) \
  do {                           \
    if (!(cond)) ::kestrio::fuzz::Fail(#cond, __FILE__, __LINE__); \
  } while (0)

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return at_ >= size_; }
  std::size_t Remaining() const { return size_ - at_; }

  // The next byte, or 0 once the input is used up.
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  // The next `count` bytes (fewer at the end) as text.
  std::string_view Text(std::size_t count) {
    if (count > Remaining()) count = Remaining();
    std::string_view out(reinterpret_cast<const char*>(data_ + at_), count);
    at_ += count;
    return out;
  }

  // Text up to the next `separator` byte (dropped) or the end of the input.
  std::string_view Until(char separator) {
    std::size_t start = at_;
    while (at_ < size_ && data_[at_] != static_cast<std::uint8_t>(separator)) ++at_;
    std::string_view out(reinterpret_cast<const char*>(data_ + start), at_ - start);
    if (at_ < size_) ++at_;
    return out;
  }

  std::string_view Rest() { return Text(Remaining()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// One scratch file per process, rewritten for each input that goes through a file, and removed at
// exit. On tmpfs when there is one: creating and deleting a file on disk per input costs more than
// the parsing.
class ScratchFile {
 public:
  // `name` tells the targets' files apart ("eeprom.tag").
  explicit ScratchFile(const std::string& name) {
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path folder =
        std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
    path_ = folder / ("kestrio-fuzz-" + std::to_string(::getpid()) + "-" + name);
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace kestrio::fuzz
