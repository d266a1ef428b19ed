#include "transport/settings.h"

#include <QSettings>

#include "protocol/convert.h"

namespace kestrio {

namespace {
constexpr const char* kDefaultIP = "Default_IP";
constexpr const char* kDefaultTimeoutName = "Default_TIMEOUT";
// The store hands back at most this many characters, like the fixed buffer it was sized for.
constexpr qsizetype kMaxValueChars = 500;
}  // namespace

Settings::Settings()
    : store_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Brantel",
                                         "KestrioTool")) {}

Settings::Settings(const std::string& iniPath)
    : store_(iniPath.empty()
                 ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Brantel",
                                               "KestrioTool")
                 : std::make_unique<QSettings>(QString::fromStdString(iniPath), QSettings::IniFormat)) {}

Settings::~Settings() = default;

std::string Settings::ReadString(const char* name) const {
  const QVariant value = store_->value(name);
  // Anything that is not a plain string (a list, a malformed entry) reads as missing.
  if (!value.isValid() || value.typeId() != QMetaType::QString) return {};
  return value.toString().left(kMaxValueChars).toStdString();
}

void Settings::WriteString(const char* name, const std::string& value) {
  store_->setValue(name, QString::fromStdString(value));
  store_->sync();  // a failure is reported by status() only, and deliberately ignored
}

std::string Settings::DefaultIP() const { return ReadString(kDefaultIP); }

void Settings::SetDefaultIP(const std::string& host) { WriteString(kDefaultIP, host); }

int Settings::DefaultTimeout() const {
  const auto value = ReadRoundedNumber(ReadString(kDefaultTimeoutName));
  // A timeout of 0 or beyond the dialog's limit would make every request fail or hang: fall back.
  if (!value || *value < kMinTimeout || *value > kMaxTimeout) return kDefaultTimeout;
  return static_cast<int>(*value);
}

void Settings::SetDefaultTimeout(int seconds) { WriteString(kDefaultTimeoutName, std::to_string(seconds)); }

}  // namespace kestrio
