#pragma once
// The EEPROM image as text, the content of a data file: one line of the 12-digit EEPROM address,
// ": " and the image's hex digits. Image layout (big-endian): L (4 bytes, signed: the bytes of records
// that follow the 8-byte header; negative when the area is empty), 4 unused bytes, then records of a
// 4-byte address (low 32 bits; the full address is "FFFF" and these 8 digits), a 4-byte count N and N
// bytes. Plain C++: the unit backup's checks and comparisons read it without Qt.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrio {

struct EepromRecord {
  std::string address;  // twelve digits, "FFFF" and the record's 8
  std::string data;     // 2 x N digits
};

struct EepromImage {
  std::string address;  // the 12-digit EEPROM address the text begins with
  std::int64_t length = 0;  // negative: the image is empty
  std::vector<EepromRecord> records;
  std::size_t ignoredDigits = 0;  // digits after the L bytes of records (an older save's read padding)
};

// Parses the text of a data file (or of a read): one line of a 12-digit address, ": ", and an image of
// hex digits whose records lie within its L bytes. Digits after those L bytes are ignored (counted in
// ignoredDigits); an empty image (L negative) has no records. Refused, with `error` saying why, is only
// what would write wrong bytes: more than one line, no address, a character that is not a hex digit,
// fewer bytes than L announces, a record running past L.
std::optional<EepromImage> ParseEepromText(const std::string& text, std::string& error);

}  // namespace kestrio
