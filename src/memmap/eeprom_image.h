#pragma once
// The brain's EEPROM settings image: finding it, reading it, the data (tag) file that holds a copy,
// and storing a copy back followed by the store-to-EEPROM command.
//
// Image layout (hex digits, big-endian): L (4 bytes, signed: the bytes of records that follow the
// 8-byte header; negative when the area is empty), 4 unused bytes, then records of a 4-byte
// address (low 32 bits; the full address is "FFFF" and these 8 digits), a 4-byte count N and N bytes.
// Data file: one line, the 12-digit EEPROM address, ": ", the image.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "memmap/device_commands.h"
#include "memmap/eeprom_text.h"
#include "transport/engine.h"

namespace kestrio {

inline constexpr char kEepromUnknownAddress[] = "???";
inline constexpr char kRemainingNotShown[] = "<remaining data not shown>";

// Receives the progress text of the window's "Status:" line; "" clears it.
using StatusFn = std::function<void(const std::string&)>;

// The address the image is probed at first (the newer kernels' image address).
std::string EepromProbeAddress();
// Reads a quadlet at the probe address: that address when the brain answers, the older kernels'
// address when it refuses with an error, kEepromUnknownAddress when no usable reply came.
std::string ProbeEepromAddress(Engine& engine);

struct EepromReadResult {
  bool ok = false;
  std::string image;  // hex digits: the header and L bytes of records, or just the 8 digits of L when empty
  std::string text;   // from + ": " + image, the content of a data file
};

// Reads the image at `from` in blocks of at most maxBytes. The first 16384 bytes are read at once;
// a longer image is read on from `from` + 4000 hex. Failures are reported ("EEPROM read not
// successful." last) and give ok false. kernelRevision is named in the message about old kernels.
EepromReadResult ReadEepromImage(Engine& engine, const std::string& from, double maxBytes,
                                 const std::string& kernelRevision, const StatusFn& status = {});

// What the data box shows of a read without "Show All": from, ": ", the first 100 digits of the
// image, then kRemainingNotShown when anything was left out.
std::string EepromReadPreview(const std::string& from, const std::string& image);
// The same for a loaded file: its first 100 characters, then " " + kRemainingNotShown.
std::string LoadedTextPreview(const std::string& text);


// Stores `text` (as ParseEepromText reads it) into the brain: asks the "WARNING!!" question, then
// refuses a malformed text before anything is sent, writes every record in blocks of at most maxBytes
// (stopping when the connection is gone), and ends with the store-to-EEPROM command. Stops at the
// first failure, without the store command. Returns true when everything, the command included, was
// acknowledged.
bool StoreEepromImage(Engine& engine, const std::string& text, double maxBytes, const StatusFn& status = {});

// Data files. Loading reads the lines, each followed by a line break (a carriage return before it is
// dropped); a file larger than kMaxDataFileBytes is refused.
inline constexpr std::uintmax_t kMaxDataFileBytes = 1 << 20;
struct LoadedDataFile {
  bool ok = false;
  std::string text;
  std::string error;
};
LoadedDataFile LoadDataFile(const std::filesystem::path& path);

// Writes `text` as one line atomically (a temporary file renamed over the old one), so a failed save
// leaves the old file as it was. false with `error` set on failure.
bool WriteDataFile(const std::filesystem::path& path, const std::string& text, std::string& error);

// Save Data File: asks before overwriting an existing non-empty file ("Save Cancelled." unless the
// answer is Yes), then WriteDataFile, reporting a failure through the prompter.
bool SaveDataFile(Prompter& ui, const std::filesystem::path& path, const std::string& text);

}  // namespace kestrio
