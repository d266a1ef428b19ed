#pragma once
// The brain's 64-byte status area at FFFFF0300000 (big-endian): its decoding, the error texts and
// the "Label: value" lines the status window and the command-line tool both show.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "protocol/convert.h"
#include "transport/engine.h"

namespace kestrio {

inline constexpr char kStatusAreaOffset[] = "FFFFF0300000";
inline constexpr char kStatusReadFailed[] = "FATAL ERROR -- Could not get Status Info.";

// One member per field of the area; multi-byte fields are signed, single bytes 0-255.
struct StatusRecord {
  std::string raw;                    // the 128 digits as read; empty before the first good read
  std::int32_t word0 = 0;             // offset 0, not shown
  std::int32_t powerUpClear = 0;      // 4: non-zero while the power-up clear is still expected
  std::int32_t busy = 0;              // 8
  std::int32_t errorCode = 0;         // 12: the last failed transaction's error
  std::int16_t errorLabel = 0;        // 16: its transaction label
  std::int16_t errorSource = 0;       // 18: its source address
  std::int32_t errorOffset = 0;       // 20: its destination offset, low 32 bits
  Quad loaderRevision{};              // 24
  Quad kernelRevision{};              // 28
  std::int32_t ioUnitType = 0;        // 32
  std::uint8_t hardwareMajor = 0;     // 36
  std::uint8_t hardwareMinor = 0;     // 37
  std::int16_t hardwareBuild = 0;     // 38
  std::int32_t ramSize = 0;           // 40
  std::int16_t word44 = 0;            // 44, not shown
  std::array<std::uint8_t, 6> mac{};  // 46
  Quad ipAddress{};                   // 52
  Quad subnetMask{};                  // 56
  Quad gateway{};                     // 60
};

// Decodes 128 hex digits (64 bytes); false, leaving `record` alone, when they are fewer or not hex.
bool DecodeStatusArea(const std::string& digits, StatusRecord& record);

// Reads the status area into `record`. On failure shows kStatusReadFailed, keeps the previous
// record and returns false (a timeout counts as a failure: the previous reply is not decoded).
bool ReadStatusArea(Engine& engine, StatusRecord& record);

// The text of a brain error code ("No error.", "Invalid command.", ... "Unknown error.").
std::string ErrorText(std::int32_t code);

// The error code as the window shows it: its last four hex digits, ": " and its text ("E001: Invalid
// command.", "0: No error.").
std::string ErrorCodeText(std::int32_t code);

// The fields in the window's order with the window's labels, each label ending in ":"; the last four
// belong to the "Last Error:" frame ("Code:", "Transaction Label:", "Source Address:",
// "Destination Offset:").
std::vector<std::pair<std::string, std::string>> StatusLines(const StatusRecord& record);

}  // namespace kestrio
