#include "transport/connection.h"

#include <QHostAddress>
#include <algorithm>

#include "transport/receiver.h"

namespace kestrio {

namespace {

const std::string kAsterisks(60, '*');

// Bytes taken from the socket per read, and the most the socket itself buffers: a flood of data is
// read in bounded steps while TCP flow control holds back the rest.
constexpr qint64 kReadChunkBytes = 64 * 1024;
constexpr qint64 kSocketBufferBytes = 256 * 1024;

// The longest one blocking receive may sleep before the engine looks at the clock again (the
// kernel rounds it up to its tick).
constexpr int kReceiveSliceUs = 1000;

}  // namespace

Connection::Connection(LogSink& log, QObject* parent) : QObject(parent), log_(log) {
  socket_.setReadBufferSize(kSocketBufferBytes);
  connect(&socket_, &QTcpSocket::readyRead, this, &Connection::bytesArrived);
  connect(&socket_, &QAbstractSocket::errorOccurred, this, &Connection::OnError);
  connect(&socket_, &QAbstractSocket::stateChanged, this, &Connection::OnStateChanged);
  connect(&socket_, &QAbstractSocket::connected, this, &Connection::OnConnected);
}

Connection::~Connection() {
  // No handler may run on a half-destroyed connection while the socket shuts down.
  socket_.disconnect(this);
  socket_.abort();
}

ConnectionState Connection::State() const {
  switch (socket_.state()) {
    case QAbstractSocket::UnconnectedState:
      return errorState_ ? ConnectionState::Error : ConnectionState::Closed;
    case QAbstractSocket::HostLookupState:
      return ConnectionState::HostLookup;
    case QAbstractSocket::ConnectingState:
      return ConnectionState::Connecting;
    case QAbstractSocket::ConnectedState:
      return ConnectionState::Connected;
    case QAbstractSocket::BoundState:
      return ConnectionState::Bound;
    case QAbstractSocket::ListeningState:
      return ConnectionState::Listening;
    case QAbstractSocket::ClosingState:
      return ConnectionState::Closing;
  }
  return ConnectionState::Closed;
}

void Connection::StartConnect(const HostAddress& address) {
  if (State() != ConnectionState::Closed) Close();
  errorState_ = false;
  hostNotFound_ = false;
  socket_.connectToHost(QString::fromStdString(address.host), address.port);
}

bool Connection::Settled() const {
  const auto s = socket_.state();
  return s == QAbstractSocket::ConnectedState || s == QAbstractSocket::UnconnectedState;
}

void Connection::AbandonAttempt() {
  if (!Settled()) socket_.abort();
}

std::string Connection::PeerAddress() const {
  if (socket_.state() != QAbstractSocket::ConnectedState) return {};
  return socket_.peerAddress().toString().toStdString();
}

void Connection::Close() {
  direct_.Reset();
  socket_.abort();
  errorState_ = false;
  emit stateChanged(static_cast<int>(State()));
}

void Connection::OnConnected() {
  socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
  if (direct_.Prepare(socket_.socketDescriptor(), kReceiveSliceUs))
    buffer_.resize(static_cast<std::size_t>(kReadChunkBytes));
}

void Connection::OnStateChanged() {
  if (socket_.state() == QAbstractSocket::UnconnectedState) direct_.Reset();
  emit stateChanged(static_cast<int>(State()));
}

bool Connection::Send(const Bytes& bytes) {
  // With nothing queued in Qt's write buffer the packet goes straight to the socket: Qt's buffered
  // write would arm and disarm its write notifier around the same send, waking the event loop twice.
  std::size_t sent = 0;
  if (socket_.bytesToWrite() == 0) sent = direct_.Send(bytes.data(), bytes.size());
  if (sent == bytes.size()) return true;
  // Whatever the socket did not take goes through Qt, pushed to the network at once; Qt meets any
  // error itself and reports it as it always has.
  const auto rest = static_cast<qint64>(bytes.size() - sent);
  const qint64 written = socket_.write(reinterpret_cast<const char*>(bytes.data()) + sent, rest);
  socket_.flush();
  return written == rest;
}

bool Connection::ReadBuffered(Receiver& rx) {
  bool replied = false;
  for (qint64 available = socket_.bytesAvailable(); available > 0; available = socket_.bytesAvailable()) {
    // Asking for exactly what is buffered (up to the chunk) spares Qt a chunk-sized allocation.
    const QByteArray chunk = socket_.read(std::min(available, kReadChunkBytes));
    if (chunk.isEmpty()) break;
    replied = rx.Take(reinterpret_cast<const std::uint8_t*>(chunk.constData()),
                      static_cast<std::size_t>(chunk.size())) ||
              replied;
  }
  return replied;
}

bool Connection::ReceiveDirect(Receiver& rx, bool& replied) {
  replied = false;
  std::size_t got = 0;
  switch (direct_.Receive(buffer_.data(), buffer_.size(), got)) {
    case DirectSocket::Received::Data:
      replied = rx.Take(buffer_.data(), got);
      return true;
    case DirectSocket::Received::Nothing:
      return true;
    case DirectSocket::Received::Closed:
      break;
  }
  return false;
}

void Connection::WaitForBytes(int ms) {
  quiet_ = true;
  socket_.waitForReadyRead(ms);
  quiet_ = false;
}

void Connection::LookOnce() {
  if (socket_.state() != QAbstractSocket::ConnectedState) return;
  WaitForBytes(0);
}

bool Connection::NothingPending() const {
  return socket_.state() == QAbstractSocket::ConnectedState && socket_.bytesToWrite() == 0 && direct_.Quiet();
}

void Connection::OnError(QAbstractSocket::SocketError error) {
  // The peer closing the connection is an ordinary close, not a fault: the next request reconnects.
  if (error == QAbstractSocket::RemoteHostClosedError) {
    peerClosed_ = true;
    return;
  }
  // The engine's own bounded looks at the socket report their expiry as an error; it is none.
  if (quiet_ && error == QAbstractSocket::SocketTimeoutError) return;
  // A name that does not resolve is told to the operator by the connect itself, in one sentence.
  if (error == QAbstractSocket::HostNotFoundError) {
    hostNotFound_ = true;
    socket_.abort();
    return;
  }
  errorState_ = true;
  emit beep();
  log_.AddMsg("\n" + kAsterisks);
  log_.AddMsg("\nTCP Error <" + std::to_string(static_cast<int>(error)) +
              ">: " + socket_.errorString().toStdString());
  const int state = static_cast<int>(State());
  log_.AddMsg("\nState of connection = " + std::to_string(state));
  if (State() == ConnectionState::Closed || State() == ConnectionState::Error) {
    log_.AddMsg("\nClosing connection:");
    Close();
    log_.AddMsg("\nState of connection = " + std::to_string(static_cast<int>(State())));
  }
  log_.AddMsg("\n" + kAsterisks);
  emit stateChanged(static_cast<int>(State()));
}

}  // namespace kestrio
