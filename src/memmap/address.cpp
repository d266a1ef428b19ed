#include "memmap/address.h"

#include "protocol/hex.h"

namespace kestrio {

PageAddress PageAddress::FromCleaned(std::string_view cleaned) {
  std::string padded(cleaned.substr(0, 12));
  padded.append(12 - padded.size(), '0');
  PageAddress a;
  a.high = padded.substr(0, 8);
  a.low = static_cast<std::uint16_t>(HexValue(std::string_view(padded).substr(8, 4)));
  return a;
}

std::string PageAddress::Text() const { return high + ToHex(low, 4); }

}  // namespace kestrio
