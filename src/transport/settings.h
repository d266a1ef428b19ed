#pragma once
// The two values the program remembers between runs: the last host it connected to and the
// reply timeout. Both are stored as strings ("Default_IP", "Default_TIMEOUT"). Reading or writing
// never fails loudly: an unreadable store gives the defaults (empty host, 30 seconds).
#include <memory>
#include <string>

class QSettings;

namespace kestrio {

class Settings {
 public:
  static constexpr int kDefaultTimeout = 30;
  static constexpr int kMinTimeout = 1;
  static constexpr int kMaxTimeout = 3000;

  // The per-user native store of organization "Brantel", application "KestrioTool" (on Windows
  // HKEY_CURRENT_USER\Software\Brantel\KestrioTool: the machine-wide hive needs administrator rights).
  Settings();
  // An INI file at `iniPath` instead (tests point this at a temporary folder); "" means the native store.
  explicit Settings(const std::string& iniPath);
  ~Settings();
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  std::string DefaultIP() const;  // "" when missing
  void SetDefaultIP(const std::string& host);

  // The stored timeout read as a typed number rounded to the nearest integer (ties to even);
  // 30 when missing, empty, not a number or outside 1..3000.
  int DefaultTimeout() const;
  void SetDefaultTimeout(int seconds);

 private:
  std::string ReadString(const char* name) const;
  void WriteString(const char* name, const std::string& value);

  std::unique_ptr<QSettings> store_;
};

}  // namespace kestrio
