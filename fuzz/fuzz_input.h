#pragma once
// A bounds-checked reader over one fuzz input, and the check that turns a broken invariant into a
// crash libFuzzer records (with the message on stderr so the replay shows what went wrong).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

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

}  // namespace kestrio::fuzz
