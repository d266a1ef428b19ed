#pragma once
// What the alarm, message and serial event editors share: their refusals, the numeric key filter,
// the two-entry drop-downs and the 32 serial port boxes.
#include <array>
#include <string>
#include <string_view>

namespace kestrio::config {

inline constexpr char kNeedOneFlag[] = "At least one flag must be selected.";
inline constexpr char kNumericValuesOnly[] = "Numeric values only.";
inline constexpr std::array<const char*, 2> kPriorities{"Low", "High"};
inline constexpr std::array<const char*, 2> kStatuses{"Enabled", "Disabled"};
inline constexpr char kFlagAdd[] = "&Add";
inline constexpr char kFlagDelete[] = "&Delete";
inline constexpr char kFlagClear[] = "&Clear";
inline constexpr char kGo[] = "&Go";
inline constexpr char kOk[] = "&OK";
inline constexpr char kCancel[] = "&Cancel";
inline constexpr char kSnmpFrame[] = "SNMP";
inline constexpr char kPriorityLabel[] = "Priority";
inline constexpr char kTrapTypeLabel[] = "Trap Type";
inline constexpr char kSelectAll[] = "Select All";
inline constexpr char kClearAll[] = "Clear All";

using Ports = std::array<bool, 32>;

// The keys the numeric boxes take: digits, Backspace (8) and Enter (13).
bool IsNumericKey(char key);

// A drop-down shows its first entry when that equals the stored text, otherwise its second.
std::string ListChoice(const std::array<const char*, 2>& list, std::string_view stored);

// Port boxes to and from the 8-digit port mask (bit p = port p).
std::string PortMaskOf(const Ports& ports);
Ports PortsOf(std::string_view portMask);
// "Port  5".
std::string PortCaption(int port);

// A text fits a brain field of `maxBytes` bytes before its zero byte (counted in UTF-8 bytes, which
// no other encoding of the text exceeds).
bool FitsField(std::string_view text, std::size_t maxBytes);

}  // namespace kestrio::config
