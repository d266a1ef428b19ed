#include "config/item_editor_common.h"

#include <cstdint>

#include "config/mask.h"
#include "protocol/convert.h"

namespace kestrio::config {

bool IsNumericKey(char key) { return (key >= '0' && key <= '9') || key == 8 || key == 13; }

std::string ListChoice(const std::array<const char*, 2>& list, std::string_view stored) {
  return stored == list[0] ? list[0] : list[1];
}

std::string PortMaskOf(const Ports& ports) {
  std::uint32_t mask = 0;
  for (std::size_t p = 0; p < ports.size(); ++p) {
    if (ports[p]) mask |= std::uint32_t{1} << p;
  }
  return PortMaskText(mask);
}

Ports PortsOf(std::string_view portMask) {
  Ports ports{};
  const std::uint64_t mask = MaskValue(portMask);
  for (std::size_t p = 0; p < ports.size(); ++p) ports[p] = ((mask >> p) & 1u) != 0;
  return ports;
}

std::string PortCaption(int port) { return "Port " + NumberText(port); }

bool FitsField(std::string_view text, std::size_t maxBytes) { return text.size() <= maxBytes; }

}  // namespace kestrio::config
