#pragma once
// Every line of the message log appended to a file with the time it was logged, for the desktop
// program's "Log to File" and kestrio-cli's --log. The log's texts arrive in pieces that begin with
// their own line breaks; a line is written once the next one begins (or the file is closed), with the
// time its first piece arrived. Blank lines are not written.
#include <chrono>
#include <fstream>
#include <string>

#include "transport/log_sink.h"

namespace kestrio {

class LogFile : public LogSink {
 public:
  LogFile() = default;
  ~LogFile() override { Close(); }
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Opens `path` for appending; false, with `error` saying why, when it cannot be written.
  bool Open(const std::string& path, std::string& error);
  // Writes the line in progress and closes the file.
  void Close();
  bool IsOpen() const { return out_.is_open(); }
  const std::string& Path() const { return path_; }

  void AddMsg(const std::string& text) override;

  // "2026-12-07 14:03:21.042" in local time.
  static std::string Stamp(std::chrono::system_clock::time_point when);

 private:
  void EndLine();

  std::ofstream out_;
  std::string path_;
  std::string line_;
  std::chrono::system_clock::time_point lineStarted_{};
};

}  // namespace kestrio
