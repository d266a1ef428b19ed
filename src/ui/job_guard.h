#pragma once
// One device job per window at a time, and the window refuses to close while its job waits inside the
// engine (the job's stack frames still use it). Every tool window and editor keeps one.
#include <QObject>
#include <functional>

namespace kestrio {
class Engine;
}

namespace kestrio::ui {

class JobGuard : public QObject {
 public:
  // Watches `window`'s close events.
  JobGuard(QWidget* window, Engine& engine);

  // Runs `job` unless a job of this window runs or the engine is busy with another; false when skipped.
  bool Run(const std::function<void()>& job);
  bool Running() const { return running_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Engine& engine_;
  bool running_ = false;
};

}  // namespace kestrio::ui
