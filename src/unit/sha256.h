#pragma once
// SHA-256 of a byte string, for the checksums a unit backup's manifest keeps of its files (libcrypto
// underneath; no Qt, so the pure layers and the fuzzers use it).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrio::unit {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(std::string_view bytes);
// The digest as 64 lower-case hex digits, as sha256sum prints it.
std::string Sha256Hex(std::string_view bytes);

}  // namespace kestrio::unit
