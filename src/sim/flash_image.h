#pragma once
// The EEPROM settings image: an 8-byte header (big-endian signed length L of the records that
// follow, then a spare quadlet) and records of a 4-byte address (low 32 bits of FFFFxxxxxxxx),
// a 4-byte byte count N and N data bytes. L is FFFFFFFF (negative) when the flash is empty.
// The state file holds the same image as one text line: "FFFFF0360000: " and the image's hex.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/hex.h"

namespace kestrio::sim {

struct ImageRecord {
  std::uint64_t address = 0;  // full 48-bit offset
  Bytes data;
};

// nullopt records: the image says the flash is empty.
struct ParsedImage {
  bool empty = true;
  std::vector<ImageRecord> records;
};

// Builds an image from records; records that would make it longer than `maxBytes` are left out
// (reported through `dropped`).
Bytes BuildImage(const std::vector<ImageRecord>& records, std::size_t maxBytes, int* dropped = nullptr);
Bytes EmptyImage();

// Parses an image; refuses (with `error`) a length or record that runs past the data.
std::optional<ParsedImage> ParseImage(const Bytes& image, std::string& error);

// State file: reads it (nullopt + error on a bad file; a missing file is reported via `missing`).
std::optional<ParsedImage> ReadStateFile(const std::string& path, bool& missing, std::string& error);
// Writes it atomically: a temporary file beside it, then a rename. False + error on failure.
bool WriteStateFile(const std::string& path, const Bytes& image, std::string& error);

}  // namespace kestrio::sim
