#include "transport/message_log.h"

#include <QMetaMethod>
#include <algorithm>

namespace kestrio {

MessageLog::MessageLog(QObject* parent) : QObject(parent) {}

namespace {

// The QChars a UTF-8 text becomes: one per character, two for one beyond the 16-bit range.
int Utf16Length(const std::string& text) {
  int length = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++length;
    if (byte >= 0xF0) ++length;
  }
  return length;
}

}  // namespace

void MessageLog::AddMsg(const std::string& text) {
  if (mirror_) mirror_(text);
  const int added = Utf16Length(text);
  if (caret_ + added <= kMaxChars) {
    text_ += text;
    length_ += added;
    caret_ = length_;
    static const QMetaMethod signal = QMetaMethod::fromSignal(&MessageLog::appended);
    if (isSignalConnected(signal)) emit appended(QString::fromStdString(text));
  } else {
    text_ = text;
    length_ = added;
    caret_ = length_;
    static const QMetaMethod signal = QMetaMethod::fromSignal(&MessageLog::replaced);
    if (isSignalConnected(signal)) emit replaced(QString::fromStdString(text_));
  }
}

void MessageLog::SetCaret(int position) { caret_ = std::clamp(position, 0, length_); }

void MessageLog::Clear() {
  text_.clear();
  length_ = 0;
  caret_ = 0;
  emit replaced(QString());
}

}  // namespace kestrio
