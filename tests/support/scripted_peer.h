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

#include "support/packets.h"

namespace kestrio::testing {

using test::Response;

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
  std::string HostField() const { return "127.0.0.1:" + std::to_string(server_.serverPort()); }

  // The answer a healthy brain gives: a write response to a write, 12345678 to a quadlet read.
  static std::string DefaultAnswer(const std::string& request) {
    const int tcode = PacketTcode(request);
    if (tcode == kReadQuadRequest) return Response(kReadQuadResponse, PacketLabel(request), 0, "12345678");
    if (tcode == kWriteQuadRequest || tcode == kWriteBlockRequest) {
      return Response(kWriteResponse, PacketLabel(request));
    }
    return {};
  }

  void Send(QTcpSocket& socket, const std::string& hex) {
    if (hex.empty()) return;
    const Bytes bytes = HexToBytes(hex);
    socket.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    socket.flush();
  }
  // Resets every connection; CloseAll closes them in order (the brain ending idle connections).
  void DropAll() { ForEachSocket(&QTcpSocket::abort); }
  void CloseAll() { ForEachSocket(&QTcpSocket::close); }

  Handler handler;
  std::vector<std::string> requests;
  int connections = 0;

 private:
  void ForEachSocket(void (QTcpSocket::*action)()) {
    std::vector<QTcpSocket*> sockets;  // the action may end a connection and so change the map
    for (const auto& entry : buffers_) sockets.push_back(entry.first);
    for (QTcpSocket* socket : sockets) (socket->*action)();
  }

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
    Bytes& buffer = buffers_[&socket];
    buffer.insert(buffer.end(), data.begin(), data.end());
    for (;;) {
      const auto it = buffers_.find(&socket);  // a handler may have dropped the connection
      if (it == buffers_.end()) return;
      const std::size_t need = test::FramedLength(it->second);
      if (need == 0 || it->second.size() < need) return;
      const std::string request = BytesToHex(it->second.data(), need);
      it->second.erase(it->second.begin(), it->second.begin() + static_cast<std::ptrdiff_t>(need));
      requests.push_back(request);
      if (handler) handler(*this, socket, request);
    }
  }

  QTcpServer server_;
  std::map<QTcpSocket*, Bytes> buffers_;
};

}  // namespace kestrio::testing
