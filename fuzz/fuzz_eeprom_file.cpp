// The EEPROM data file: text a person may have edited, read back before anything is stored into
// the brain. The parser either refuses with its one message, or returns records that fill exactly
// the length the image announces and that write back to the same image. Inputs with bit 0 of the
// first byte set also go through a file on disk, as Open Data File reads it.
//
// Input layout: byte 0 holds options; the rest is the file's bytes.
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <string>

#include "fuzz_input.h"
#include "memmap/eeprom_image.h"
#include "protocol/hex.h"

namespace {

using kestrio::fuzz::FuzzInput;

bool SameDigits(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// What LoadDataFile must give for `bytes`: every line followed by a line break, a carriage return
// before a break dropped.
std::string ExpectedLines(std::string_view bytes) {
  std::string out;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out.append(line);
    out += '\n';
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
  return out;
}

void CheckParse(const std::string& text) {
  std::string error;
  const std::optional<kestrio::EepromImage> image = kestrio::ParseEepromText(text, error);
  if (!image) {
    KESTRIO_FUZZ_CHECK(error.rfind("The EEPROM data is not valid: ", 0) == 0);
    KESTRIO_FUZZ_CHECK(error.size() > 30 && error.substr(error.size() - 22) == ".  Nothing was stored.");
    return;
  }
  KESTRIO_FUZZ_CHECK(image->address.size() == 12 && kestrio::StrippedHex(image->address) == image->address);
  if (image->length < 0) {  // an empty image: no records, nothing read past its length field
    KESTRIO_FUZZ_CHECK(image->records.empty() && image->ignoredDigits == 0);
    return;
  }
  // The records fill the announced length exactly (anything after them is counted, not kept), and
  // written back give the same digits.
  std::int64_t bytes = 0;
  std::string records;
  for (const kestrio::EepromRecord& r : image->records) {
    KESTRIO_FUZZ_CHECK(r.address.size() == 12 && r.address.rfind("FFFF", 0) == 0);
    KESTRIO_FUZZ_CHECK(r.data.size() % 2 == 0 && kestrio::StrippedHex(r.data) == r.data);
    bytes += 8 + static_cast<std::int64_t>(r.data.size() / 2);
    records += r.address.substr(4) + kestrio::ToHex(r.data.size() / 2, 8) + r.data;
  }
  KESTRIO_FUZZ_CHECK(bytes == image->length);
  const std::size_t start = text.find(": ") + 2 + 16;
  KESTRIO_FUZZ_CHECK(SameDigits(std::string_view(text).substr(start, records.size()), records));

  const std::string again = image->address + ": " + kestrio::ToHex(static_cast<std::uint64_t>(image->length), 8) +
                            "00000000" + records;
  const std::optional<kestrio::EepromImage> reparsed = kestrio::ParseEepromText(again, error);
  KESTRIO_FUZZ_CHECK(reparsed && reparsed->records.size() == image->records.size());
}

void CheckPreview(const std::string& text) {
  const std::string shown = kestrio::LoadedTextPreview(text);
  if (text.size() <= 100) {
    KESTRIO_FUZZ_CHECK(shown == text);
  } else {
    KESTRIO_FUZZ_CHECK(shown == text.substr(0, 100) + " " + kestrio::kRemainingNotShown);
  }
}


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const std::uint8_t options = in.Byte();
  const std::string_view bytes = in.Rest();
  std::string text(bytes);
  if ((options & 7) == 1) {
    static const kestrio::fuzz::ScratchFile scratch("eeprom.tag");
    std::FILE* f = std::fopen(scratch.Path().c_str(), "wb");
    if (f == nullptr) return 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !written) return 0;
    const kestrio::LoadedDataFile loaded = kestrio::LoadDataFile(scratch.Path());
    KESTRIO_FUZZ_CHECK(loaded.ok);
    KESTRIO_FUZZ_CHECK(loaded.text == ExpectedLines(bytes));
    text = loaded.text;
  }
  CheckParse(text);
  CheckPreview(text);
  return 0;
}
