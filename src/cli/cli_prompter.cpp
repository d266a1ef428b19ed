#include "cli/cli_prompter.h"

namespace kestrio::cli {

namespace {

// The program's texts often begin with their own line break (they were written for a log); on a
// terminal that would leave blank lines.
std::string TrimBreaks(const std::string& text) {
  const auto first = text.find_first_not_of("\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of("\r\n") - first + 1);
}

constexpr char kRefused[] = "Answered No: refused.  Run again with --yes to answer Yes.";
constexpr char kAnsweredYes[] = "Answered Yes (--yes).";

}  // namespace

void CliPrompter::Print(const std::string& text) {
  messages_.push_back(text);
  err_ << text << "\n";
  err_.flush();
}

void CliPrompter::Message(const std::string& text, const std::string& title) {
  const std::string body = TrimBreaks(text);
  Print(title.empty() ? body : title + ": " + body);
}

Answer CliPrompter::Ask(const std::string& text, bool /*withCancel*/, const std::string& title) {
  const std::string body = TrimBreaks(text);
  Print(title.empty() ? body : title + ": " + body);
  if (yes_) {
    Print(kAnsweredYes);
    return Answer::Yes;
  }
  declined_ = true;
  Print(kRefused);
  return Answer::No;
}

std::optional<std::string> CliPrompter::Input(const std::string& prompt, const std::string& title,
                                              const std::string& /*initial*/) {
  Print((title.empty() ? "" : title + ": ") + TrimBreaks(prompt) + " (no input on the command line)");
  return std::nullopt;
}

void CliPrompter::Note(const std::string& text) { Print(text); }

}  // namespace kestrio::cli
