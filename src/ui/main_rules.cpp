#include "ui/main_rules.h"

#include <algorithm>
#include <cctype>

#include "protocol/convert.h"
#include "protocol/hex.h"
#include "transport/settings.h"

#ifndef KESTRIO_VERSION
#define KESTRIO_VERSION "0.0.0"
#endif

namespace kestrio::ui {

std::string VersionText() { return KESTRIO_VERSION; }

std::string TimeoutPrompt(int currentSeconds) {
  return "Timeout is currently set at: " + NumberText(currentSeconds) +
         " seconds.\n\n"
         "This is the amount of time Kestrio will\n"
         "wait for a response from the Tessel Ethernet brain\n"
         "before giving up.\n\n"
         "Enter new timeout: ";
}

TimeoutDecision JudgeTimeoutAnswer(std::string_view answer) {
  TimeoutDecision d;
  if (answer.empty()) return d;
  // An answer without digits, or one too large for any integer, is refused like an out-of-range one.
  const std::optional<std::int64_t> n = ReadRoundedNumber(answer);
  if (!n || *n < Settings::kMinTimeout || *n > Settings::kMaxTimeout) {
    d.refusal = "'" + std::string(answer) +
                "' is not a valid timeout value.  Must be non-zero number no greater than " +
                NumberText(Settings::kMaxTimeout) + ".";
    return d;
  }
  d.value = static_cast<int>(*n);
  return d;
}

std::string AutoParsingCaption(bool on) {
  return std::string("AutoParsing ") + (on ? "Enabled" : "Disabled");
}

std::string AutoParsingMessage(bool on) {
  return std::string("AutoParsing is now: ") + (on ? "Enabled" : "Disabled") + ".";
}

std::string AttemptToConnectQuestion(std::string_view host) {
  return "You are not currently connected to " +
         (host.empty() ? std::string("any device") : std::string(host)) + ".\nAttempt to connect?";
}

std::string CouldNotConnectTo(std::string_view host) {
  return "Could not connect to " + std::string(host) + ".";
}

std::string HelpText(std::string_view guidePath) {
  const std::string guide =
      guidePath.empty() ? std::string("docs/guide.md in the Kestrio distribution") : std::string(guidePath);
  return "This utility assumes that an Tessel Ethernet brain is connected via Ethernet \n"
         "to this PC and has already been programmed with a known IP address.\n"
         "You should be able to 'ping' that node before continuing.  \n"
         "See the Kestrio user's guide (" +
         guide +
         ") and the brain's manual\n"
         "for further information.\n"
         "\n"
         "In 'Remote Host/IP address:' enter the name or \n"
         "IP address of the connected Tessel Ethernet brain.";
}

std::optional<std::string> SelectionToDecode(bool autoParsingOn, std::string_view selection) {
  if (!autoParsingOn || selection.empty() || selection.size() >= static_cast<size_t>(kMaxParsedSelection))
    return std::nullopt;
  std::string words;
  size_t i = 0;
  while (i < selection.size()) {
    while (i < selection.size() && std::isspace(static_cast<unsigned char>(selection[i]))) ++i;
    const size_t start = i;
    while (i < selection.size() && !std::isspace(static_cast<unsigned char>(selection[i]))) ++i;
    const std::string_view word = selection.substr(start, i - start);
    if (word.empty() || !std::all_of(word.begin(), word.end(), IsHexDigit)) continue;
    if (!words.empty()) words += ' ';
    words += word;
  }
  if (words.empty()) return std::nullopt;
  return words;
}

}  // namespace kestrio::ui
