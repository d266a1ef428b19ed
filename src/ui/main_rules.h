#pragma once
// Widget-free rules of the main window: the texts it shows and how it judges the operator's
// answers, kept here so they are tested without a screen.
#include <optional>
#include <string>
#include <string_view>

namespace kestrio::ui {

inline constexpr const char* kAppTitle = "Kestrio";
inline constexpr const char* kNotConnected = "Operation not allowed - not yet Connected.";
inline constexpr const char* kTimeoutTitle = "Set Timeout in Seconds";
inline constexpr const char* kAutoParsingTitle = "AutoParsing";
inline constexpr const char* kHelpTitle = "Kestrio Help";

// The prompt of the timeout input box for the current timeout in seconds.
std::string TimeoutPrompt(int currentSeconds);

// The operator's answer to the timeout box judged: either no change (empty answer), a new
// value, or a refusal with the message to show.
struct TimeoutDecision {
  std::optional<int> value;  // the accepted timeout in seconds
  std::string refusal;       // non-empty when the answer is refused
  bool Unchanged() const { return !value && refusal.empty(); }
};
TimeoutDecision JudgeTimeoutAnswer(std::string_view answer);

// The Auto Parsing menu caption and the message shown after toggling it.
std::string AutoParsingCaption(bool on);
std::string AutoParsingMessage(bool on);

// Question texts of Configure Events/Timers when not connected.
std::string AttemptToConnectQuestion(std::string_view host);
std::string CouldNotConnectTo(std::string_view host);
inline constexpr const char* kWorkOffLineQuestion = "Would you like to work off-line?";

// The program version, "0.1.0".
std::string VersionText();

// The help box text, lines joined by line breaks; its guide line names `guidePath` (the user guide
// the program found), or where the guide lives in the distribution when it found none.
std::string HelpText(std::string_view guidePath = {});

// The text that goes to the packet decoder when the operator selects log text: nothing unless Auto
// Parsing is on and the selection is not empty and shorter than the limit. Only the words made
// wholly of hex digits are kept, so the labels around a logged packet ("Sending", "[Write
// Response]", whose letters a-f are hex digits too) do not leak into the packet; nothing when no
// such word is selected.
inline constexpr int kMaxParsedSelection = 8000;
std::optional<std::string> SelectionToDecode(bool autoParsingOn, std::string_view selection);

}  // namespace kestrio::ui
