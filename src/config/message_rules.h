#pragma once
// The event message editor's rules: the form of a stored message, the clamps of its numeric boxes,
// and the save. A message's text must fit the brain's 128-byte text field with its zero byte.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/item_editor_common.h"
#include "config/state_tables.h"

namespace kestrio::config {

inline constexpr char kMessageCaption[] = "Message Configuration";
inline constexpr char kMessageTextLabel[] = "Message Text, max 127 characters";
inline constexpr char kJumpToMessage[] = "Jump to Message:";
inline constexpr char kSendWhenFrame[] = "Send message when...";
inline constexpr char kSerialFrame[] = "Serial";
inline constexpr char kEmailFrame[] = "E-Mail";
inline constexpr char kStreamingFrame[] = "Streaming";
inline constexpr char kEmailPeriodLabel[] = "Period in milliseconds      (0 = send once, max = 604800)";
inline constexpr char kTrapPeriodLabel[] = "Trap Period in milliseconds (0 = once, max = 4294967295)";
inline constexpr char kStreamPeriodLabel[] = "Period in milliseconds  (0 = send once, max = 4294967295)";
inline constexpr char kNeedMessageText[] = "Message must be filled in.";
inline constexpr char kMessageTextTooLong[] =
    "Message text is too long: the brain holds at most 126 bytes of text (a letter outside plain ASCII "
    "takes more than one).";

inline constexpr std::size_t kMaxMessageTextBytes = 126;  // the upload writes it with its zero byte in 127
inline constexpr std::size_t kMessageNameLength = 10;  // characters of the text that name the message
inline constexpr std::uint64_t kMaxStreamPeriod = 4294967295u;
inline constexpr std::uint64_t kMaxEmailPeriod = 604800u;
inline constexpr std::uint64_t kMaxTrapPeriod = 4294967295u;
inline constexpr std::uint64_t kMaxTrapType = 2112454933u;

struct MessageForm {
  std::string text;
  std::vector<std::string> flagRows;
  std::string priority = kPriorities[1];
  std::string serialStatus = kStatuses[1];
  std::string emailStatus = kStatuses[1];
  std::string snmpStatus = kStatuses[1];
  std::string streamPackets = kStatuses[1];
  Ports ports{};
  std::string emailPeriod = "0";
  std::string trapType = "0";
  std::string trapPeriod = "0";
  std::string streamPeriod = "0";
};

// The form for message n: its stored fields (each drop-down on its first entry when that equals the
// stored text, else its second) when defined, otherwise a new message's defaults.
MessageForm LoadMessageForm(const StateGlobals& tables, int message);

// OK: refuses, storing nothing, without a flag, without text, with a text too long for the brain, or
// with a numeric box that is not a number 0..its maximum; otherwise stores message n, named by the
// first 10 characters of its text. Returns the refusal to show, nullopt when stored.
std::optional<std::string> SaveMessage(StateGlobals& tables, int message, const MessageForm& form);

}  // namespace kestrio::config
