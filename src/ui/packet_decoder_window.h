#pragma once
// The packet decoder window: shows packets given as hex text field by field. It is fed by the
// main window's log selection (with Auto Parsing on) and by the manual packet window.
#include <QWidget>

class QPlainTextEdit;

namespace kestrio::ui {

class FrmPacketDecoder : public QWidget {
  Q_OBJECT
 public:
  explicit FrmPacketDecoder(QWidget* parent = nullptr);

  // Decodes every packet in `text` and shows the result; the window is shown and raised.
  void ShowPacket(const QString& text);
  // The decoded text currently shown.
  QString DecodedText() const;

 private:
  QPlainTextEdit* txtDecoded_;
};

}  // namespace kestrio::ui
