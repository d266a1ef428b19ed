#include "transport/message_log.h"

#include <algorithm>

namespace kestrio {

MessageLog::MessageLog(QObject* parent) : QObject(parent) {}

void MessageLog::AddMsg(const std::string& text) {
  if (mirror_) mirror_(text);
  const QString added = QString::fromStdString(text);
  if (caret_ + added.size() <= kMaxChars) {
    text_ += added;
    caret_ = static_cast<int>(text_.size());
    emit appended(added);
  } else {
    text_ = added;
    caret_ = static_cast<int>(text_.size());
    emit replaced(text_);
  }
}

void MessageLog::SetCaret(int position) { caret_ = std::clamp(position, 0, static_cast<int>(text_.size())); }

void MessageLog::Clear() {
  text_.clear();
  caret_ = 0;
  emit replaced(text_);
}

}  // namespace kestrio
