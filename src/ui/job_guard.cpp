#include "ui/job_guard.h"

#include <QEvent>
#include <QWidget>

#include "transport/engine.h"

namespace kestrio::ui {

JobGuard::JobGuard(QWidget* window, Engine& engine) : QObject(window), engine_(engine) {
  window->installEventFilter(this);
}

bool JobGuard::Run(const std::function<void()>& job) {
  if (running_ || engine_.Busy()) return false;
  running_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{running_};
  job();
  return true;
}

bool JobGuard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close && running_) {
    event->ignore();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kestrio::ui
