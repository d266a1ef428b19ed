#pragma once
// The brain's 64-byte status area (big-endian): its decoding, the error texts and the fields as the
// status window and the command-line tool both show them.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/convert.h"
#include "protocol/reply.h"
#include "transport/engine.h"

namespace kestrio {

inline constexpr char kStatusReadFailed[] = "FATAL ERROR -- Could not get Status Info.";

// One member per field of the area; multi-byte fields are signed, single bytes 0-255.
struct StatusRecord {
  std::string raw;                    // the 128 digits as read; empty before the first good read
  std::int32_t powerUpClear = 0;      // non-zero while the power-up clear is still expected
  std::int32_t busy = 0;
  std::int32_t errorCode = 0;         // the last failed transaction's error
  std::int16_t errorLabel = 0;        // its transaction label
  std::int16_t errorSource = 0;       // its source address
  std::int32_t errorOffset = 0;       // its destination offset, low 32 bits
  Quad loaderRevision{};
  Quad kernelRevision{};
  std::int32_t ioUnitType = 0;
  std::uint8_t hardwareMajor = 0;
  std::uint8_t hardwareMinor = 0;
  std::int16_t hardwareBuild = 0;
  std::int32_t ramSize = 0;
  std::array<std::uint8_t, 6> mac{};
  Quad ipAddress{};
  Quad subnetMask{};
  Quad gateway{};
};

// Decodes the 64 bytes of the area; false, leaving `record` alone, when they are fewer or not hex.
bool DecodeStatusArea(const PayloadReader& area, StatusRecord& record);

// Reads the status area into `record`. On failure shows kStatusReadFailed, keeps the previous record
// and returns false (a timeout counts as a failure: no older reply is decoded).
bool ReadStatusArea(Engine& engine, StatusRecord& record);

// The text of a brain error code ("No error.", "Invalid command.", ... "Unknown error.").
std::string ErrorText(std::int32_t code);

// The error code as the window shows it: its last four hex digits, ": " and its text ("E001: Invalid
// command.", "0: No error.").
std::string ErrorCodeText(std::int32_t code);

// A field as shown: its label (ending in ":") and its value.
struct StatusField {
  std::string label;
  std::string value;
};

// The page's fields in the window's order, and the "Last Error:" frame's ("Code:", "Transaction
// Label:", "Source Address:", "Destination Offset:").
struct StatusView {
  std::vector<StatusField> page;
  std::vector<StatusField> lastError;
};
StatusView ShowStatusRecord(const StatusRecord& record);

}  // namespace kestrio
