#pragma once
// The message log: the program's only trace of what was sent and received. The window shows it;
// this model holds the text and the caret and applies the overflow rule, so the rule is tested
// without a window and the command-line tool can mirror the same lines to a file.
#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "transport/log_sink.h"

namespace kestrio {

class MessageLog : public QObject, public LogSink {
  Q_OBJECT

 public:
  // The log holds about this many characters: a text that would take the caret past it replaces the log.
  static constexpr int kMaxChars = 10000;

  explicit MessageLog(QObject* parent = nullptr);

  // Appends `text` (which begins with its own line break where it wants one) when the caret position
  // plus the text's length is at most kMaxChars; otherwise the whole log becomes `text`. The caret
  // then moves to the end so the newest text is in view. Text is UTF-8; lengths count QChars (UTF-16
  // units), as the window counts them.
  void AddMsg(const std::string& text) override;

  // The log is kept as UTF-8 and becomes a QString only for a listener or a caller of Text(): every
  // packet passes through here, and a program without a window has no use for the conversion.
  QString Text() const { return QString::fromStdString(text_); }
  const std::string& Utf8() const { return text_; }
  int Caret() const { return caret_; }
  // Where the operator clicked in the log; clamped to the text.
  void SetCaret(int position);
  void Clear();

  // Every text given to AddMsg is also handed to `mirror` (e.g. a --log file); empty to stop.
  void SetMirror(std::function<void(const std::string&)> mirror) { mirror_ = std::move(mirror); }

 signals:
  void appended(const QString& text);  // `text` was added at the end
  void replaced(const QString& text);  // the whole log is now `text`

 private:
  std::string text_;
  int length_ = 0;  // of text_, in QChars
  int caret_ = 0;
  std::function<void(const std::string&)> mirror_;
};

}  // namespace kestrio
