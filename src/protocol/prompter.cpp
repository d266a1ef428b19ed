#include "protocol/prompter.h"

namespace kestrio {

void ScriptedPrompter::Message(const std::string& text, const std::string& title) {
  log.push_back({"message", text, title});
}

Answer ScriptedPrompter::Ask(const std::string& text, bool /*withCancel*/, const std::string& title) {
  log.push_back({"ask", text, title});
  if (answers.empty()) return defaultAnswer;
  Answer a = answers.front();
  answers.pop_front();
  return a;
}

std::optional<std::string> ScriptedPrompter::Input(const std::string& prompt, const std::string& title,
                                                   const std::string& /*initial*/) {
  log.push_back({"input", prompt, title});
  if (inputs.empty()) return std::nullopt;
  std::optional<std::string> v = inputs.front();
  inputs.pop_front();
  return v;
}

void ScriptedPrompter::ShowStatus() {
  log.push_back({"status", {}, {}});
  ++statusShown;
}

std::vector<std::string> ScriptedPrompter::Messages() const {
  std::vector<std::string> out;
  for (const Entry& e : log) {
    if (e.kind == "message") out.push_back(e.text);
  }
  return out;
}

}  // namespace kestrio
