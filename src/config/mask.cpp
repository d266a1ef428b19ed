#include "config/mask.h"

#include "protocol/convert.h"
#include "protocol/hex.h"

namespace kestrio::config {

std::uint64_t MaskValue(std::string_view text) {
  // Read through the same byte split as every other mask of the program, so an odd or damaged
  // text gives the bits the transfer and the summaries agree on.
  const Bytes bytes = HexToBytes(text);
  std::uint64_t value = 0;
  const std::size_t first = bytes.size() > 8 ? bytes.size() - 8 : 0;
  for (std::size_t i = first; i < bytes.size(); ++i) value = (value << 8) | bytes[i];
  return value;
}

bool MaskHasBit(std::string_view text, int bit) {
  return bit >= 0 && bit < 64 && ((MaskValue(text) >> bit) & 1u) != 0;
}

std::string MaskText(std::uint64_t value) { return MaskToHex64(value); }

std::string PortMaskText(std::uint32_t value) { return ToHex(value, 8); }

std::string NormalizedMask(std::string_view text) {
  return text.empty() ? std::string() : MaskText(MaskValue(text));
}

std::string BitList(std::uint64_t value) {
  std::string out;
  for (int n = 0; n < 64; ++n) {
    if ((value >> n) & 1u) out += "[" + std::to_string(n) + "] ";
  }
  return out;
}

std::string MaskBitList(std::string_view text) { return BitList(MaskValue(text)); }

}  // namespace kestrio::config
