#pragma once
// The one way the core tells the operator something or asks a question. The desktop program
// implements it with message boxes, the command-line tool on stderr, tests with scripted answers.
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace kestrio {

enum class Answer { Yes, No, Cancel };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // A modal message with one OK button; an empty title means the application's own title.
  virtual void Message(const std::string& text, const std::string& title = {}) = 0;
  // A Yes/No question, or Yes/No/Cancel when withCancel is true.
  virtual Answer Ask(const std::string& text, bool withCancel = false, const std::string& title = {}) = 0;
  // A one-line input box; nullopt when the operator cancels.
  virtual std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                           const std::string& initial) = 0;
  // Show the device status window so the brain's own error code can be seen after a failure.
  virtual void ShowStatus() = 0;
};

// Records every message and answers from a script; used by tests and by unattended runs.
class ScriptedPrompter : public Prompter {
 public:
  struct Entry {
    std::string kind;  // "message", "ask", "input" or "status"
    std::string text;
    std::string title;
  };

  void Message(const std::string& text, const std::string& title = {}) override;
  Answer Ask(const std::string& text, bool withCancel = false, const std::string& title = {}) override;
  std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                   const std::string& initial) override;
  void ShowStatus() override;

  // Answers are taken in order; when none is left, Ask answers `defaultAnswer` and Input cancels.
  std::deque<Answer> answers;
  std::deque<std::optional<std::string>> inputs;
  Answer defaultAnswer = Answer::No;

  std::vector<Entry> log;
  // The texts of the OK-button messages only, in order.
  std::vector<std::string> Messages() const;
  int statusShown = 0;
  void Clear() { log.clear(); statusShown = 0; }
};

}  // namespace kestrio
