#pragma once
// A brain stand-in for byte-exact scripting: a QTcpServer on the test's own thread that collects
// the requests it receives and answers them through a handler the test supplies.
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "protocol/hex.h"
#include "protocol/packet.h"

namespace kestrio::testing {

// A response packet: tcode 2 (24 digits), 6 (32 digits, `data` is the quadlet) or 7 (block).
inline std::string Response(int tcode, int label, int rcode = 0, const std::string& data = {}) {
  std::string p = "0000" + ToHex(static_cast<std::uint64_t>(label) * 4, 2) + ToHex(tcode * 16, 2) + "0000" +
                  ToHex(rcode, 1) + "00000000000";
  if (tcode == kReadQuadResponse) return p + (data + "00000000").substr(0, 8);
  if (tcode == kReadBlockResponse) {
    p = p.substr(0, 24) + ToHex(data.size() / 2, 4) + "0000" + data;
    while (p.size() % 8) p += '0';
  }
  return p;
}

class ScriptedPeer : public QObject {
 public:
  using Handler = std::function<void(ScriptedPeer&, QTcpSocket&, const std::string& request)>;

  ScriptedPeer() {
    QObject::connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
    handler = [](ScriptedPeer& peer, QTcpSocket& socket, const std::string& request) {
      peer.Send(socket, DefaultAnswer(request));
    };
  }

  ~ScriptedPeer() override {
    for (auto& entry : buffers_) entry.first->disconnect(this);  // no handler runs during teardown
  }

  bool Start() { return server_.listen(QHostAddress::LocalHost, 0); }
  void Stop() {
    server_.close();
    DropAll();
  }
  quint16 Port() const { return server_.serverPort(); }
  std::string HostField() const { return "127.0.0.1:" + std::to_string(Port()); }

  // The answer a healthy brain gives: a write response to writes, 12345678 to a quadlet read.
  static std::string DefaultAnswer(const std::string& request) {
    const int label = PacketLabel(request);
    switch (PacketTcode(request)) {
      case kWriteQuadRequest:
      case kWriteBlockRequest:
        return Response(kWriteResponse, label);
      case kReadQuadRequest:
        return Response(kReadQuadResponse, label, 0, "12345678");
      case kReadBlockRequest:
        return Response(kReadBlockResponse, label, 0,
                        std::string(HexValue(std::string_view(request).substr(24, 4)) * 2, '0'));
      default:
        return {};
    }
  }

  void Send(QTcpSocket& socket, const std::string& hex) {
    if (hex.empty()) return;
    const Bytes bytes = HexToBytes(hex);
    socket.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    socket.flush();
  }
  void SendLater(QTcpSocket& socket, int ms, const std::string& hex) {
    QTimer::singleShot(ms, &socket, [this, s = &socket, hex] { Send(*s, hex); });
  }
  void DropAll() {
    std::vector<QTcpSocket*> sockets;
    for (auto& entry : buffers_) sockets.push_back(entry.first);
    for (QTcpSocket* socket : sockets) socket->abort();
  }

  Handler handler;
  std::vector<std::string> requests;
  int connections = 0;

 private:
  void Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      ++connections;
      socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
      buffers_[socket];
      QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(*socket); });
      QObject::connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        buffers_.erase(socket);
        socket->deleteLater();
      });
    }
  }

  void Read(QTcpSocket& socket) {
    const QByteArray data = socket.readAll();
    buffers_[&socket] += BytesToHex(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                    static_cast<std::size_t>(data.size()));
    // Requests from the program under test are well formed; cut them by their header.
    for (;;) {
      const auto it = buffers_.find(&socket);  // a handler may have dropped the connection
      if (it == buffers_.end() || it->second.size() < 24) return;
      std::string& buffer = it->second;
      std::size_t need = buffer.size();
      switch (PacketTcode(buffer)) {
        case kReadQuadRequest:
        case kWriteResponse:
          need = 24;
          break;
        case kWriteQuadRequest:
        case kReadBlockRequest:
        case kReadQuadResponse:
          need = 32;
          break;
        case kWriteBlockRequest:
          if (buffer.size() < 28) return;
          need = ((HexValue(std::string_view(buffer).substr(24, 4)) + 3) / 4 * 4 + 16) * 2;
          break;
      }
      if (buffer.size() < need) return;
      const std::string request = buffer.substr(0, need);
      buffer.erase(0, need);
      requests.push_back(request);
      if (handler) handler(*this, socket, request);
    }
  }

  QTcpServer server_;
  std::map<QTcpSocket*, std::string> buffers_;
};

}  // namespace kestrio::testing
