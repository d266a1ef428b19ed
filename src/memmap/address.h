#pragma once
// A memory-map address as the transfers walk it: the first eight digits stay fixed and only the
// low 16 bits advance, wrapping from FFFF to 0000, because the brain decodes only those 16 bits
// inside one 64 KiB page.
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrio {

struct PageAddress {
  std::string high;       // the first eight digits, as given (case kept)
  std::uint16_t low = 0;  // the last four digits

  // `cleaned` must hold hex digits only and at most 12 of them; shorter text is padded on the
  // right with zeros (it gives the high part of the address).
  static PageAddress FromCleaned(std::string_view cleaned);

  std::string Text() const;  // twelve digits
  void Advance(std::uint32_t bytes) { low = static_cast<std::uint16_t>(low + bytes); }
};

// Largest data block one transaction can carry in whole quadlets (data_length has 16 bits).
inline constexpr long kLargestBlock = 65532;

}  // namespace kestrio
