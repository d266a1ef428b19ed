#include "transport/link.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QHostAddress>
#include <QMetaMethod>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <utility>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#endif

#include "protocol/convert.h"
#include "protocol/hex.h"
#include "transport/message_log.h"
#include "transport/settings.h"

namespace kestrio {

namespace {

// The program's own words for this engine, kept together.
const char* const kRefusedText = "\nRequest refused - another transaction is still waiting for its reply.";
const char* const kNotConnectedText = "**NOT CONNECTED**";
const char* const kDiscardedText = " <<Incomplete packet discarded>>";
const std::string kAsterisks(60, '*');

// The power-up clear: a write of 00000001 to the command quadlet.
const char* const kPucData = "00000001";
const char* const kCommandOffset = "FFFFF0380000";

// Bytes taken from the socket per read, and the most the socket itself buffers: a flood of data is
// read in bounded steps while TCP flow control holds back the rest.
constexpr qint64 kReadChunkBytes = 64 * 1024;
constexpr qint64 kSocketBufferBytes = 256 * 1024;

// The exit code our own wake-ups give the local event loop; any other code means someone outside
// (the application quitting) asked every loop to end, and the wait must not start over.
constexpr int kWakeCode = 0x4B57;

// How long the engine may hold the thread in a blocking wait on the socket alone before it lets the
// event loop run (see the header): short enough to go unnoticed in a window, long enough for a
// reply on a local network.
constexpr qint64 kDirectWaitMs = 5;

// The longest one blocking receive may sleep before the engine looks at the clock again (the
// kernel rounds it up to its tick); it also bounds any read or write Qt itself makes on the socket.
constexpr int kReceiveSliceUs = 1000;

}  // namespace

std::string FormatTxRxTime(double seconds) {
  if (!(seconds >= 0)) seconds = 0;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.4f", seconds);
  std::string text = buffer;
  if (text.size() < 10) return std::string(10 - text.size(), ' ') + text;
  return text.substr(0, 10);
}

// Marks the engine busy for one scope and restores the previous state afterwards.
class Link::BusyScope {
 public:
  explicit BusyScope(Link& link) : link_(link), previous_(link.busy_) { link_.SetBusy(true); }
  ~BusyScope() { link_.SetBusy(previous_); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  Link& link_;
  bool previous_;
};

Link::Link(PacketBuilder& builder, Prompter& prompter, MessageLog& log, Settings& settings, QObject* parent)
    : QObject(parent),
      builder_(builder),
      prompter_(prompter),
      log_(log),
      settings_(settings) {
  tcpIOUnit.setReadBufferSize(kSocketBufferBytes);
  connect(&tcpIOUnit, &QTcpSocket::readyRead, this, &Link::OnDataArrival);
  connect(&tcpIOUnit, &QAbstractSocket::errorOccurred, this, &Link::OnSocketError);
  connect(&tcpIOUnit, &QAbstractSocket::stateChanged, this, &Link::OnSocketStateChanged);
  // A transaction started from a window's handler finds the event loop just run, so its reply can be
  // awaited on the socket alone at once.
  if (auto* dispatcher = QAbstractEventDispatcher::instance(thread())) {
    connect(dispatcher, &QAbstractEventDispatcher::awake, this, [this] { sinceEventLoop_.start(); });
  }
  connect(&tcpIOUnit, &QAbstractSocket::connected, this, [this] {
    tcpIOUnit.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    PrepareDirectReads();
  });
}

Link::~Link() {
  // No handler may run on a half-destroyed engine while the socket shuts down.
  tcpIOUnit.disconnect(this);
  tcpIOUnit.abort();
}

void Link::AddMsg(const std::string& text) { log_.AddMsg(text); }

void Link::SetTimeoutSeconds(int seconds) {
  if (seconds >= Settings::kMinTimeout && seconds <= Settings::kMaxTimeout) timeoutSeconds_ = seconds;
}

void Link::SetScanHooks(std::function<bool()> isScanning, std::function<void()> toggleScanning) {
  isScanning_ = std::move(isScanning);
  toggleScanning_ = std::move(toggleScanning);
}

int Link::State() const {
  switch (tcpIOUnit.state()) {
    case QAbstractSocket::UnconnectedState:
      return errorState_ ? kStateError : kStateClosed;
    case QAbstractSocket::HostLookupState:
      return 4;
    case QAbstractSocket::ConnectingState:
      return 6;
    case QAbstractSocket::ConnectedState:
      return kStateConnected;
    case QAbstractSocket::BoundState:
      return 1;
    case QAbstractSocket::ListeningState:
      return 2;
    case QAbstractSocket::ClosingState:
      return 8;
  }
  return kStateClosed;
}

void Link::SetBusy(bool busy) {
  if (busy_ == busy) return;
  busy_ = busy;
  emit busyChanged(busy_);
}

void Link::SetTxRxTime(double seconds) {
  txRxSeconds_ = seconds;
  // The text costs more than a quick transaction's own work: it is made when someone shows it.
  static const QMetaMethod signal = QMetaMethod::fromSignal(&Link::txRxTimeChanged);
  if (isSignalConnected(signal)) emit txRxTimeChanged(QString::fromStdString(FormatTxRxTime(seconds)));
}

void Link::StopScan(bool requestStop) {
  if (!IsScanning()) return;
  if (requestStop) stopRequested_ = true;
  if (toggleScanning_) toggleScanning_();
}

void Link::Wake() {
  if (waitLoop_) waitLoop_->exit(kWakeCode);
}

void Link::WaitUntil(const std::function<bool()>& done, const QElapsedTimer& clock, qint64 limitMs) {
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  connect(&timer, &QTimer::timeout, &loop, [&loop] { loop.exit(kWakeCode); });
  QEventLoop* const outer = std::exchange(waitLoop_, &loop);
  while (!done()) {
    const qint64 left = limitMs - clock.elapsed();
    if (left <= 0) break;
    timer.start(std::chrono::milliseconds(left));
    if (loop.exec() != kWakeCode) break;
  }
  waitLoop_ = outer;
  sinceEventLoop_.start();
}

bool Link::Connect(bool showMessage) {
  if (busy_) {
    AddMsg(kRefusedText);
    return IsConnected();
  }
  bool connected = false;
  {
    BusyScope busy(*this);
    settings_.SetDefaultIP(hostField_);
    if (State() != kStateClosed) CloseSocket();

    const auto address = ParseHostField(hostField_);
    if (!address) {
      prompter_.Message("Could not connect to: " + hostField_);
      return false;
    }
    connectedHost_ = address->host;
    errorState_ = false;

    QElapsedTimer clock;
    clock.start();
    tcpIOUnit.connectToHost(QString::fromStdString(address->host), address->port);
    WaitUntil(
        [this] {
          const auto s = tcpIOUnit.state();
          return s == QAbstractSocket::ConnectedState || s == QAbstractSocket::UnconnectedState;
        },
        clock, static_cast<qint64>(timeoutSeconds_) * 1000);
    // An attempt still pending at the timeout must not complete later behind the operator's back.
    if (tcpIOUnit.state() != QAbstractSocket::ConnectedState &&
        tcpIOUnit.state() != QAbstractSocket::UnconnectedState) {
      tcpIOUnit.abort();
    }
    connected = IsConnected();

    if (showMessage) {
      if (connected) {
        prompter_.Message("\nConnected to: " + connectedHost_);
      } else {
        AddMsg("\nCould not connect to: ");
        prompter_.Message("\nCould not connect to: " + hostField_);
      }
    }
    std::string remote = connectedHost_;
    if (connected) {
      const std::string ip = tcpIOUnit.peerAddress().toString().toStdString();
      if (!ip.empty() && ip != remote) remote += " (" + ip + ")";
    }
    AddMsg(remote);
  }

  if (!connected) {
    AddMsg("\nCould not send command - not connected.");
    return false;
  }
  AddMsg("\nSending Power-up Clear.");
  const std::string puc = builder_.BuildWriteQuadRequest(kPucData, kCommandOffset);
  const bool wasConnecting = std::exchange(connecting_, true);
  SendAndAwaitReply(puc, kWriteQuadRequest);
  connecting_ = wasConnecting;
  // A power-up clear that got no reply failed as surely as a refused one; say so.
  if (TransactionFailed()) {
    if (flags_.ReplyError) prompter_.ShowStatus();
    prompter_.Message("PUC not successful.");
  }
  return IsConnected();
}

void Link::CloseSocket() {
  tcpIOUnit.abort();
  errorState_ = false;
  DropPending();
  emit stateChanged(State());
}

void Link::Disconnect() {
  if (State() != kStateClosed) CloseSocket();
  AddMsg("\nConnection closed.");
}

void Link::SendAndAwaitReply(const std::string& packet, int tcode) {
  // A read goes out without first looking for a close that arrived while idle (a system call per
  // request, a twentieth of a local round trip). If the connection turns out to have been closed
  // before any byte of its reply came back, the read is sent once more after a silent reconnect,
  // as if the close had been seen first: reading changes nothing on the brain, so asking twice is
  // harmless. Writes and commands are never sent twice; they keep the look before sending.
  const bool read = (tcode == kReadQuadRequest || tcode == kReadBlockRequest) && PacketTcode(packet) == tcode;
  if (Transmit(packet, tcode, read && !connecting_)) Transmit(packet, tcode, false);
}

bool Link::Transmit(const std::string& packet, int tcode, bool mayResend) {
  if (busy_) {
    AddMsg(kRefusedText);
    lastOutcome_ = Outcome::Refused;
    return false;
  }
  const bool awaitReply = !IsResponseTcode(tcode);
  // The "Sending" line comes first in the log, before anything else this call logs; when nothing
  // else is logged before the packet is on the wire, it is logged right after the send, so building
  // it (and the window showing it) overlaps the brain's work instead of delaying the request.
  bool sendingLogged = false;
  const auto logSending = [&] {
    if (sendingLogged) return;
    sendingLogged = true;
    const std::string& type = PacketTypeName(tcode);
    std::string line;
    line.reserve(11 + type.size() + packet.size());
    line.append("\n\nSending ").append(type).append(": ").append(packet);
    AddMsg(line);
  };
  flags_.Clear();
  if (packet.empty()) {
    logSending();
    lastOutcome_ = Outcome::Empty;
    SetTxRxTime(0);
    return false;
  }
  const Bytes bytes = HexToBytes(packet);

  // The reconnect runs before this request takes the engine: Connect waits and sends its power-up
  // clear as transactions of their own. Inside Connect (this is its power-up clear) no second try.
  if (!mayResend && !NothingPending()) {
    logSending();
    ProbeConnection();
  }
  if (!IsConnected() && !connecting_) {
    logSending();
    Connect(false);
  }
  if (!IsConnected()) {
    logSending();
    prompter_.Message(kNotConnectedText);
    StopScan(true);
    lastOutcome_ = Outcome::NotConnected;
    SetTxRxTime(0);
    return false;
  }

  BusyScope busy(*this);
  flags_.Clear();  // a failed power-up clear of the reconnect is not this request's failure
  awaiting_ = awaitReply;
  outstandingLabel_ = awaitReply ? PacketLabel(packet) : -1;
  replied_ = false;
  replyElapsed_ = 0;
  transactionClock_.start();

  receivedSinceSend_ = 0;
  peerClosed_ = false;
  const qint64 sent = SendDirect(bytes);
  logSending();
  if (sent != static_cast<qint64>(bytes.size()) && !WriteRest(bytes, sent)) {
    awaiting_ = false;
    if (mayResend && sent == 0 && peerClosed_ && !IsConnected()) return true;
    prompter_.Message(kNotConnectedText);
    StopScan(true);
    lastOutcome_ = Outcome::NotConnected;
    SetTxRxTime(0);
    return false;
  }
  if (!awaitReply) {
    lastOutcome_ = Outcome::Sent;
    SetTxRxTime(0);
    return false;
  }

  AwaitReply();
  awaiting_ = false;
  const int label = std::exchange(outstandingLabel_, -1);

  if (replied_) {
    lastOutcome_ = Outcome::Replied;
    SetTxRxTime(replyElapsed_);
    return false;
  }
  SetTxRxTime(0);
  if (!IsConnected()) {
    // Only the brain's own close: DISCONNECT (or a failing network) is not undone by a resend.
    if (mayResend && receivedSinceSend_ == 0 && peerClosed_) return true;
    // The connection closed under the request (a reset mid-reply, DISCONNECT): no reply can come.
    lastOutcome_ = Outcome::NotConnected;
    prompter_.Message(kNotConnectedText);
    StopScan(true);
    return false;
  }
  if (!IsLateReplyInProgress(label)) DropPending();
  lastOutcome_ = Outcome::TimedOut;
  prompter_.Message("The timeout of: " + NumberText(timeoutSeconds_) + " expired without receiving a reply.");
  StopScan(false);
  return false;
}

bool Link::IsLateReplyInProgress(int label) const {
  if (pending_.empty() || label < 0) return false;
  // Fewer than four bytes do not show the tcode yet: nothing says they are not the reply's start.
  if (pending_.size() < 8) return true;
  return IsResponseTcode(PacketTcode(pending_)) && PacketLabel(pending_) == label;
}

qint64 Link::SendDirect(const Bytes& bytes) {
#if defined(Q_OS_UNIX)
  // With nothing queued in Qt's write buffer, the packet goes straight to the socket: Qt's buffered
  // write would arm and disarm its write notifier around the same send, waking the event loop
  // twice. Nothing here emits a signal or logs: errors are left for Qt to meet (WriteRest).
  const qintptr fd = tcpIOUnit.socketDescriptor();
  if (fd < 0 || tcpIOUnit.bytesToWrite() != 0) return 0;
  ssize_t sent = -1;
  do {
    sent = ::send(static_cast<int>(fd), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (sent < 0 && errno == EINTR);
  return sent > 0 ? static_cast<qint64>(sent) : 0;
#else
  Q_UNUSED(bytes);
  return 0;
#endif
}

bool Link::WriteRest(const Bytes& bytes, qint64 from) {
  // Whatever the socket did not take (a full send buffer, an error) goes through Qt, pushed to the
  // network at once; Qt meets any error itself and reports it as it always has.
  const auto size = static_cast<qint64>(bytes.size()) - from;
  const qint64 written = tcpIOUnit.write(reinterpret_cast<const char*>(bytes.data()) + from, size);
  tcpIOUnit.flush();
  return written == size;
}

void Link::AwaitReply() {
  const qint64 limitMs = static_cast<qint64>(timeoutSeconds_) * 1000;
  const auto done = [this] { return replied_ || !IsConnected(); };
  // First a short blocking wait on the socket alone (no CPU, no event-loop round trip), while the
  // event loop ran less than kDirectWaitMs ago.
  if (sinceEventLoop_.isValid()) {
    quietWait_ = true;
    bool handOver = false;
    while (!done() && !handOver) {
      const qint64 left =
          std::min(kDirectWaitMs - sinceEventLoop_.elapsed(), limitMs - transactionClock_.elapsed());
      if (left <= 0) break;
      // Bytes Qt already holds come first, so the stream stays in order.
      OnDataArrival();
      if (done()) break;
      if (directReads_) {
        handOver = !ReceiveDirect();
      } else {
        tcpIOUnit.waitForReadyRead(static_cast<int>(left));
        OnDataArrival();  // Qt does not announce bytes it took inside its own readyRead
      }
    }
    // A close or an error the direct read met is Qt's to handle: one look lets it see it.
    if (handOver) tcpIOUnit.waitForReadyRead(0);
    quietWait_ = false;
  }
  // The rest of the wait runs the event loop, so windows stay responsive.
  if (!done()) WaitUntil(done, transactionClock_, limitMs);
}

void Link::PrepareDirectReads() {
  directReads_ = false;
#if defined(Q_OS_UNIX)
  // A blocking receive with a short timeout waits for a reply in one system call where Qt's wait
  // takes three (poll, size, read): on a local network that is most of the engine's own cost. The
  // timeouts keep every blocking call, Qt's own included, within one slice; the engine's sends
  // stay non-blocking.
  const int fd = static_cast<int>(tcpIOUnit.socketDescriptor());
  if (fd < 0) return;
  const timeval slice{0, kReceiveSliceUs};
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &slice, sizeof slice) != 0 ||
      ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &slice, sizeof slice) != 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return;
  }
  receiveBuffer_.resize(static_cast<std::size_t>(kReadChunkBytes));
  directReads_ = true;
#endif
}

bool Link::ReceiveDirect() {
#if defined(Q_OS_UNIX)
  const ssize_t got =
      ::recv(static_cast<int>(tcpIOUnit.socketDescriptor()), receiveBuffer_.data(), receiveBuffer_.size(), 0);
  if (got > 0) {
    receivedSinceSend_ += static_cast<std::size_t>(got);
    AppendHex(pending_, receiveBuffer_.data(), static_cast<std::size_t>(got));
    ProcessPending();
    return true;
  }
  // Nothing within the slice (or a signal): the caller looks at the clock and tries again.
  if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
#endif
  return false;  // the peer closed or the connection failed
}

bool Link::NothingPending() const {
  if (tcpIOUnit.state() != QAbstractSocket::ConnectedState) return false;
#if defined(Q_OS_UNIX)
  // A plain zero-time poll: no bytes and no close waiting, nothing queued by Qt to go out.
  pollfd p{static_cast<int>(tcpIOUnit.socketDescriptor()), POLLIN, 0};
  return p.fd >= 0 && tcpIOUnit.bytesToWrite() == 0 && ::poll(&p, 1, 0) == 0;
#else
  return false;
#endif
}

void Link::ProbeConnection() {
  if (tcpIOUnit.state() != QAbstractSocket::ConnectedState) return;
  // A close the peer sent while the program was idle may not have been noticed yet: look at the
  // socket once, without waiting, so a dropped connection is reopened instead of written into.
  // Bytes found on the way are handled as any arrival (nothing is outstanding yet).
  quietWait_ = true;
  tcpIOUnit.waitForReadyRead(0);
  quietWait_ = false;
}

void Link::OnDataArrival() {
  for (qint64 available = tcpIOUnit.bytesAvailable(); available > 0; available = tcpIOUnit.bytesAvailable()) {
    // Asking for exactly what is buffered (up to the chunk) spares Qt a chunk-sized allocation.
    const QByteArray chunk = tcpIOUnit.read(std::min(available, kReadChunkBytes));
    if (chunk.isEmpty()) break;
    receivedSinceSend_ += static_cast<std::size_t>(chunk.size());
    AppendHex(pending_, reinterpret_cast<const std::uint8_t*>(chunk.constData()),
              static_cast<std::size_t>(chunk.size()));
    ProcessPending();
  }
}

void Link::ProcessPending() {
  while (!pending_.empty()) {
    const std::size_t needed = WholePacketLength(pending_);
    if (needed == 0 || pending_.size() < needed) return;  // the rest is still on its way
    // Copied into the ring slot's own buffer and cut off the pending digits, both of which keep
    // their capacity: a steady stream of replies allocates nothing here.
    AdvanceRxIndex();
    std::string& packet = rxBuffer_[static_cast<std::size_t>(rxIndex_)];
    packet.assign(pending_, 0, needed);
    pending_.erase(0, needed);
    StorePacket(packet);
  }
}

void Link::StorePacket(const std::string& packet) {
  const bool isReply = awaiting_ && !replied_ &&
                       (outstandingLabel_ < 0 || !IsKnownTcode(PacketTcode(packet)) ||
                        PacketLabel(packet) == outstandingLabel_);
  // Described like any packet; one that is not the reply is judged on its own: it says nothing
  // about the request outstanding.
  ReplyFlags scratch;
  const std::string description = DescribePacket(packet, isReply ? flags_ : scratch);
  std::string line;
  line.reserve(12 + packet.size() + description.size());
  line.append("\nReceived:  ").append(packet).append(description);
  AddMsg(line);
  if (!isReply) return;
  lastReply_ = packet;
  replied_ = true;
  replyElapsed_ = static_cast<double>(transactionClock_.nsecsElapsed()) / 1e9;
  Wake();
}

void Link::DropPending() {
  if (pending_.empty()) return;
  AddMsg("\nReceived:  " + pending_ + kDiscardedText);
  pending_.clear();
}

void Link::OnSocketStateChanged() {
  if (tcpIOUnit.state() == QAbstractSocket::UnconnectedState) DropPending();
  emit stateChanged(State());
  Wake();
}

void Link::OnSocketError(QAbstractSocket::SocketError error) {
  // The peer closing the connection is an ordinary close, not a fault: the next request reconnects.
  if (error == QAbstractSocket::RemoteHostClosedError) {
    peerClosed_ = true;
    return;
  }
  // The engine's own bounded looks at the socket (ProbeConnection, the first part of a wait)
  // report their expiry as an error; it is none.
  if (quietWait_ && error == QAbstractSocket::SocketTimeoutError) return;
  errorState_ = true;
  emit beep();
  AddMsg("\n" + kAsterisks);
  AddMsg("\nTCP Error <" + std::to_string(static_cast<int>(error)) +
         ">: " + tcpIOUnit.errorString().toStdString());
  AddMsg("\nState of connection = " + std::to_string(State()));
  const int state = State();
  if (state == kStateClosed || state == kStateError) {
    AddMsg("\nClosing connection:");
    CloseSocket();
    AddMsg("\nState of connection = " + std::to_string(State()));
  }
  AddMsg("\n" + kAsterisks);
  emit stateChanged(State());
  Wake();
}

}  // namespace kestrio
