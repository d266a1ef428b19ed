#pragma once
// Where the transport writes the message log's lines; the message log implements it, tests collect.
#include <string>

namespace kestrio {

class LogSink {
 public:
  virtual ~LogSink() = default;
  // Appends `text`, which begins with its own line break where it wants one.
  virtual void AddMsg(const std::string& text) = 0;
};

}  // namespace kestrio
