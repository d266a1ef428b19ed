#include "ui/packet_decoder_window.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "protocol/decoder.h"

namespace kestrio::ui {

FrmPacketDecoder::FrmPacketDecoder(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("frmPacketDecoder");
  setWindowTitle("Packet Decoder");
  txtDecoded_ = new QPlainTextEdit(this);
  txtDecoded_->setObjectName("txtDecoded");
  txtDecoded_->setReadOnly(true);
  txtDecoded_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtDecoded_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(txtDecoded_);
  resize(560, 360);
}

void FrmPacketDecoder::ShowPacket(const QString& text) {
  const std::string decoded = FormatDecoded(DecodePackets(text.toStdString()));
  txtDecoded_->setPlainText(decoded.empty() ? QString("(no packet in the selected text)")
                                            : QString::fromStdString(decoded));
  show();
  raise();
}

QString FrmPacketDecoder::DecodedText() const { return txtDecoded_->toPlainText(); }

}  // namespace kestrio::ui
