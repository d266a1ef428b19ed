#pragma once
// The one TCP connection to the brain: opening and closing it, its state, the error event's log
// lines, and the byte I/O the engine needs. It never waits: the engine owns every wait.
//
// The socket has the low-delay option set and, once connected, the engine's fast path (see
// DirectSocket). The peer closing the connection is not an error: nothing is logged, PeerClosed()
// turns true and the next request reconnects. A host name that does not resolve is not an error
// either: the attempt ends with HostNotFound() and the caller says "Could not connect to: ".
#include <QAbstractSocket>
#include <QObject>
#include <QTcpSocket>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/hex.h"
#include "transport/direct_socket.h"
#include "transport/host_address.h"
#include "transport/log_sink.h"

namespace kestrio {

class Receiver;

// The connection's state as the program reports it ("State of connection = 7").
enum class ConnectionState : int {
  Closed = 0,
  Bound = 1,
  Listening = 2,
  HostLookup = 4,
  Connecting = 6,
  Connected = 7,
  Closing = 8,
  Error = 9,
};

class Connection : public QObject {
  Q_OBJECT

 public:
  explicit Connection(LogSink& log, QObject* parent = nullptr);
  ~Connection() override;

  ConnectionState State() const;
  bool IsConnected() const { return State() == ConnectionState::Connected; }

  // Starts connecting (closing a connection that is open first); the caller waits for Settled().
  void StartConnect(const HostAddress& address);
  // Connected, or given up (refused, unreachable, not resolved).
  bool Settled() const;
  // An attempt still pending (at the timeout) is abandoned, so it cannot complete later.
  void AbandonAttempt();
  bool HostNotFound() const { return hostNotFound_; }
  // The remote address as the socket reports it ("127.0.0.1"), "" when not connected.
  std::string PeerAddress() const;

  // Closes whatever state the connection is in.
  void Close();

  // --- Byte I/O for the engine ---
  // Sends the whole packet at once; false when the socket would not take it.
  bool Send(const Bytes& bytes);
  // Hands what Qt has buffered to `rx`; true when the awaited reply came.
  bool ReadBuffered(Receiver& rx);
  // One bounded blocking receive on the fast path. Returns false when the peer closed or the
  // connection failed (left for Qt to notice: call LookOnce). `replied` as ReadBuffered.
  bool ReceiveDirect(Receiver& rx, bool& replied);
  bool DirectReady() const { return direct_.Ready(); }
  // Qt's own bounded wait for bytes (where there is no fast path).
  void WaitForBytes(int ms);
  // One zero-time look so Qt notices a close or bytes that arrived while nothing ran.
  void LookOnce();
  // Nothing arrived, no close waiting and nothing queued to go out.
  bool NothingPending() const;

  bool PeerClosed() const { return peerClosed_; }
  void ClearPeerClosed() { peerClosed_ = false; }

  QTcpSocket& Socket() { return socket_; }

 signals:
  void stateChanged(int state);
  void bytesArrived();
  void beep();

 private:
  void OnError(QAbstractSocket::SocketError error);
  void OnStateChanged();
  void OnConnected();

  LogSink& log_;
  QTcpSocket socket_;
  DirectSocket direct_;
  std::vector<std::uint8_t> buffer_;
  bool errorState_ = false;   // a socket error was reported since the last close/connect
  bool hostNotFound_ = false;
  bool peerClosed_ = false;
  bool quiet_ = false;        // inside one of the engine's bounded looks: its expiry is no error
};

}  // namespace kestrio
