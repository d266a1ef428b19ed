#pragma once
// The host field as the operator types it: "host", "host:port", "[v6 address]" or
// "[v6 address]:port"; a bare IPv6 address (more than one colon) is a host without a port.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrio {

inline constexpr std::uint16_t kBrainPort = 2001;  // the brain listens here

struct HostAddress {
  std::string host;
  std::uint16_t port = kBrainPort;
};

// nullopt for an empty host or a port that is not a number from 1 to 65535. Blanks around the
// field are ignored.
std::optional<HostAddress> ParseHostField(std::string_view field);

}  // namespace kestrio
