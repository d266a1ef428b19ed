#pragma once
// Text of the tables is UTF-8. These helpers count and cut by characters (code points), so a cut
// never splits a character, and turn any bytes into valid UTF-8 for files of the older single-byte
// code page. Every function accepts any bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrio::config {

// Valid UTF-8 sequences are kept; every other byte is taken as its Windows-1252 character, which is
// what a file saved in the Western single-byte code page holds.
std::string ToValidUtf8(std::string_view bytes);

// Characters in `text`: every byte that does not continue a sequence starts one.
std::size_t CharCount(std::string_view text);
// The first `count` characters, and the text after them.
std::string_view FirstChars(std::string_view text, std::size_t count);
std::string_view DropChars(std::string_view text, std::size_t count);

// Letters A-Z and a-z compared without case, everything else exactly.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace kestrio::config
