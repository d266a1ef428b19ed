#include "transport/message_log.h"

#include <QMetaMethod>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kestrio {

MessageLog::MessageLog(QObject* parent) : QObject(parent) {}

namespace {

// The QChars a UTF-8 text becomes: one per character, two for one beyond the 16-bit range.
std::size_t Utf16Units(unsigned char byte) { return ((byte & 0xC0) != 0x80 ? 1 : 0) + (byte >= 0xF0 ? 1 : 0); }

// Most of the log is plain ASCII (hex digits and the program's words): eight bytes at a time.
int Utf16Length(const std::string& text) {
  std::size_t length = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if ((word & 0x8080808080808080ULL) == 0) {
      length += 8;
      continue;
    }
    for (std::size_t k = i; k < i + 8; ++k) length += Utf16Units(static_cast<unsigned char>(text[k]));
  }
  for (; i < text.size(); ++i) length += Utf16Units(static_cast<unsigned char>(text[i]));
  return static_cast<int>(length);
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
