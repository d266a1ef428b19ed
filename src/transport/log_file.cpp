#include "transport/log_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace kestrio {

bool LogFile::Open(const std::string& path, std::string& error) {
  Close();
  out_.open(path, std::ios::app | std::ios::binary);
  if (!out_) {
    error = "Could not open the log file " + path + " (" + std::strerror(errno) + ").";
    return false;
  }
  path_ = path;
  return true;
}

void LogFile::Close() {
  if (!out_.is_open()) return;
  EndLine();
  out_.close();
}

std::string LogFile::Stamp(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char buffer[40];
  const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
  std::snprintf(buffer + n, sizeof buffer - n, ".%03d", static_cast<int>(ms));
  return buffer;
}

void LogFile::EndLine() {
  if (!line_.empty() && out_.is_open()) {
    out_ << Stamp(lineStarted_) << ' ' << line_ << '\n';
    out_.flush();
  }
  line_.clear();
}

void LogFile::AddMsg(const std::string& text) {
  if (!out_.is_open()) return;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    if (stop > at) {
      if (line_.empty()) lineStarted_ = std::chrono::system_clock::now();
      line_.append(text, at, stop - at);
    }
    if (end == std::string::npos) break;
    EndLine();
    at = end + 1;
  }
}

}  // namespace kestrio
