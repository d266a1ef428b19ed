#include "memmap/eeprom_text.h"

#include "protocol/hex.h"

namespace kestrio {

namespace {

std::string Trimmed(const std::string& text) {
  const char* blanks = " \t\r\n";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool AllHex(const std::string& s) {
  for (char c : s) {
    if (!IsHexDigit(c)) return false;
  }
  return true;
}

std::int32_t SignedQuad(const std::string& digits8) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(HexValue(digits8)));
}

}  // namespace

std::optional<EepromImage> ParseEepromText(const std::string& text, std::string& error) {
  auto refuse = [&error](const std::string& why) -> std::optional<EepromImage> {
    error = "The EEPROM data is not valid: " + why + ".  Nothing was stored.";
    return std::nullopt;
  };
  const std::string line = Trimmed(text);
  if (line.find_first_of("\r\n") != std::string::npos) return refuse("it holds more than one line");
  if (line.size() < 14 || !AllHex(line.substr(0, 12)) || line.compare(12, 2, ": ") != 0) {
    return refuse("it does not begin with a 12-digit address followed by \": \"");
  }
  const std::string image = line.substr(14);
  if (!AllHex(image)) return refuse("the image holds characters that are not hex digits");
  if (image.size() < 8) return refuse("the image is shorter than its length field");

  EepromImage out;
  out.address = line.substr(0, 12);
  out.length = SignedQuad(image.substr(0, 8));
  if (out.length < 0) return out;  // an empty image: nothing but the store command
  if (image.size() < 16) return refuse("the image is shorter than its 8-byte header");
  const std::size_t end = 16 + static_cast<std::size_t>(out.length) * 2;
  if (image.size() < end) {
    return refuse("its length field announces " + std::to_string(out.length) + " bytes of records but only " +
                  std::to_string((image.size() - 16) / 2) + " follow");
  }
  // An older save may carry the read's padding after the records: it is no part of the image.
  out.ignoredDigits = image.size() - end;
  std::size_t pos = 16;
  while (pos < end) {
    const std::string where = "the record at byte " + std::to_string(pos / 2);
    if (end - pos < 16) return refuse(where + " is cut short");
    EepromRecord record;
    record.address = "FFFF" + image.substr(pos, 8);
    const std::uint64_t count = HexValue(image.substr(pos + 8, 8));
    pos += 16;
    if (count > (end - pos) / 2) {
      return refuse(where + " (address " + record.address + ", " + std::to_string(count) +
                    " bytes) runs past the end of the image");
    }
    record.data = image.substr(pos, static_cast<std::size_t>(count) * 2);
    pos += static_cast<std::size_t>(count) * 2;
    out.records.push_back(std::move(record));
  }
  return out;
}

}  // namespace kestrio
