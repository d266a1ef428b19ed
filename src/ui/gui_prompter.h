#pragma once
// The desktop program's Prompter: modal message boxes and input boxes over a parent window.
#include <QPointer>
#include <QWidget>
#include <functional>

#include "protocol/prompter.h"

namespace kestrio::ui {

class GuiPrompter : public Prompter {
 public:
  explicit GuiPrompter(QWidget* parent = nullptr) : parent_(parent) {}

  void SetParent(QWidget* parent) { parent_ = parent; }
  // Called by ShowStatus(); the main window points it at whatever shows the device status.
  void SetStatusHook(std::function<void()> hook) { statusHook_ = std::move(hook); }

  void Message(const std::string& text, const std::string& title = {}) override;
  Answer Ask(const std::string& text, bool withCancel = false, const std::string& title = {}) override;
  std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                   const std::string& initial) override;
  void ShowStatus() override;

 private:
  QPointer<QWidget> parent_;
  std::function<void()> statusHook_;
};

}  // namespace kestrio::ui
