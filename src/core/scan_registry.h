#pragma once
// Every repeating sender (the points window's scan, the manual packet window's Auto Send) registers
// here; when the engine gives up (a timeout, no connection) it stops all of them at once.
#include <functional>
#include <map>

#include "transport/engine.h"

namespace kestrio {

class ScanRegistry : public ScanControl {
 public:
  struct Scanner {
    std::function<bool()> scanning;  // is it sending now?
    std::function<void()> stop;      // switch it off, as its own button would
  };

  // Keeps a scanner registered while it lives.
  class Registration {
   public:
    Registration() = default;
    Registration(ScanRegistry& registry, Scanner scanner);
    ~Registration();
    Registration(Registration&& other) noexcept;
    Registration& operator=(Registration&& other) noexcept;
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

   private:
    ScanRegistry* registry_ = nullptr;
    int id_ = 0;
  };

  bool Scanning() const override;
  void StopAll() override;

 private:
  int Add(Scanner scanner);
  void Remove(int id) { scanners_.erase(id); }

  std::map<int, Scanner> scanners_;
  int next_ = 1;
};

}  // namespace kestrio
