#include "transport/message_log.h"

#include <QMetaMethod>
#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrio {

MessageLog::MessageLog(QObject* parent) : QObject(parent) {}

namespace {

// The QChars a UTF-8 text becomes: one per character, two for one beyond the 16-bit range.
std::size_t Utf16Units(unsigned char byte) { return ((byte & 0xC0) != 0x80 ? 1 : 0) + (byte >= 0xF0 ? 1 : 0); }

// Most of the log is plain ASCII (hex digits and the program's words): sixteen bytes at a time.
int Utf16Length(const std::string& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t length = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= size; i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    if (_mm_movemask_epi8(chunk) == 0) {
      length += 16;
      continue;
    }
    for (std::size_t k = i; k < i + 16; ++k) length += Utf16Units(bytes[k]);
  }
#endif
  for (; i < size; ++i) length += Utf16Units(bytes[i]);
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
