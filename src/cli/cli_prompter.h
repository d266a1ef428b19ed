#pragma once
// The command-line tool's Prompter: the program's messages go to stderr (and are kept for --json),
// questions are answered Yes only when the operator gave --yes, and "open the status window" is
// remembered so the tool can show the brain's last error once the command has finished (reading
// the status area in the middle of a transaction would replace the reply the caller still judges).
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "protocol/prompter.h"

namespace kestrio::cli {

class CliPrompter : public Prompter {
 public:
  CliPrompter(std::ostream& err, bool yes) : err_(err), yes_(yes) {}

  void Message(const std::string& text, const std::string& title = {}) override;
  Answer Ask(const std::string& text, bool withCancel = false, const std::string& title = {}) override;
  std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                   const std::string& initial) override;
  void ShowStatus() override { statusWanted_ = true; }

  // A line of the tool's own on stderr, kept with the program's messages.
  void Note(const std::string& text);

  // A question was answered No because --yes was not given.
  bool Declined() const { return declined_; }
  bool StatusWanted() const { return statusWanted_; }
  // Every message and note, in order, as printed (without the line breaks around them).
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  void Print(const std::string& text);

  std::ostream& err_;
  bool yes_;
  bool declined_ = false;
  bool statusWanted_ = false;
  std::vector<std::string> messages_;
};

}  // namespace kestrio::cli
