#include "transport/request_engine.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QMetaMethod>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <utility>

#include "protocol/convert.h"
#include "protocol/hex.h"
#include "transport/settings.h"

namespace kestrio {

namespace {

const char* const kNotConnectedText = "**NOT CONNECTED**";

// The exit code our own wake-ups give the local event loop; any other code means someone outside
// (the application quitting) asked every loop to end, and the wait must not start over.
constexpr int kWakeCode = 0x4B57;

// How long the engine may hold the thread in a blocking wait on the socket alone before it lets the
// event loop run: short enough to go unnoticed in a window, long enough for a reply on a local network.
constexpr qint64 kDirectWaitMs = 5;

}  // namespace

// Marks the engine busy for one scope and restores the previous state afterwards.
class RequestEngine::BusyScope {
 public:
  explicit BusyScope(RequestEngine& e) : e_(e), previous_(e.busy_) { e_.SetBusy(true); }
  ~BusyScope() { e_.SetBusy(previous_); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  RequestEngine& e_;
  bool previous_;
};

RequestEngine::RequestEngine(Connection& connection, PacketBuilder& builder, Prompter& prompter, LogSink& log,
                             QObject* parent)
    : QObject(parent), connection_(connection), builder_(builder), prompter_(prompter), log_(log), rx_(log) {
  connect(&connection_, &Connection::bytesArrived, this, &RequestEngine::OnBytesArrived);
  connect(&connection_, &Connection::stateChanged, this, &RequestEngine::OnStateChanged);
  connect(&connection_, &Connection::beep, this, &RequestEngine::beep);
  // A transaction started from a window's handler finds the event loop just run, so its reply can be
  // awaited on the socket alone at once.
  if (auto* dispatcher = QAbstractEventDispatcher::instance(thread())) {
    connect(dispatcher, &QAbstractEventDispatcher::awake, this, [this] { sinceEventLoop_.start(); });
  }
}

RequestEngine::~RequestEngine() { connection_.disconnect(this); }

void RequestEngine::SetTimeoutSeconds(int seconds) {
  if (seconds >= Settings::kMinTimeout && seconds <= Settings::kMaxTimeout) timeoutSeconds_ = seconds;
}

void RequestEngine::ResetStatistics() {
  stats_ = {};
  emit statisticsChanged();
}

void RequestEngine::SetBusy(bool busy) {
  if (busy_ == busy) return;
  busy_ = busy;
  emit busyChanged(busy_);
}

void RequestEngine::SetTxRxTime(double seconds) {
  txRxSeconds_ = seconds;
  // The text costs more than a quick transaction's own work: it is made when someone shows it.
  static const QMetaMethod signal = QMetaMethod::fromSignal(&RequestEngine::txRxTimeChanged);
  if (isSignalConnected(signal)) emit txRxTimeChanged(QString::fromStdString(FormatTxRxTime(seconds)));
  // Every transaction ends here, however it ended: the statistics are told once.
  static const QMetaMethod stats = QMetaMethod::fromSignal(&RequestEngine::statisticsChanged);
  if (isSignalConnected(stats)) emit statisticsChanged();
}

void RequestEngine::Wake() {
  if (waitLoop_) waitLoop_->exit(kWakeCode);
}

void RequestEngine::WaitUntil(const std::function<bool()>& done, const QElapsedTimer& clock, qint64 limitMs) {
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

RequestEngine::Opened RequestEngine::OpenConnection(const std::string& hostField) {
  if (busy_) {
    AddMsg(kRequestRefusedText);
    return Opened::Refused;
  }
  BusyScope busy(*this);
  if (connection_.State() != ConnectionState::Closed) connection_.Close();
  const auto address = ParseHostField(hostField);
  if (!address) return Opened::HostNotFound;
  QElapsedTimer clock;
  clock.start();
  connection_.StartConnect(*address);
  WaitUntil([this] { return connection_.Settled(); }, clock, static_cast<qint64>(timeoutSeconds_) * 1000);
  connection_.AbandonAttempt();
  if (connection_.HostNotFound()) return Opened::HostNotFound;
  return connection_.IsConnected() ? Opened::Connected : Opened::NotConnected;
}

Reply RequestEngine::SendAndAwaitReply(const std::string& packet, int tcode) {
  const bool read = (tcode == kReadQuadRequest || tcode == kReadBlockRequest) && PacketTcode(packet) == tcode;
  Reply reply;
  if (Transmit(packet, tcode, read && !noReconnect_, reply)) Transmit(packet, tcode, false, reply);
  return reply;
}

void RequestEngine::GiveUp(Reply& reply, Outcome outcome, bool requestStop) {
  reply.outcome = outcome;
  if (outcome == Outcome::TimedOut) ++stats_.timeouts;
  SetTxRxTime(0);
  if (outcome == Outcome::NotConnected) {
    prompter_.Message(kNotConnectedText);
  } else {
    prompter_.Message("The timeout of: " + NumberText(timeoutSeconds_) + " expired without receiving a reply.");
  }
  if (scans_ && scans_->Scanning()) {
    if (requestStop) stopRequested_ = true;
    scans_->StopAll();
  }
}

bool RequestEngine::Transmit(const std::string& packet, int tcode, bool mayResend, Reply& reply) {
  reply = Reply{};
  if (busy_) {
    AddMsg(kRequestRefusedText);
    reply.outcome = Outcome::Refused;
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
  if (packet.empty()) {
    logSending();
    reply.outcome = Outcome::Empty;
    SetTxRxTime(0);
    return false;
  }

  // The reconnect runs before this request takes the engine: it waits and sends its power-up clear
  // as transactions of their own.
  if (!mayResend && !connection_.NothingPending()) {
    logSending();
    connection_.LookOnce();
  }
  if (!IsConnected() && !noReconnect_ && reconnect_) {
    logSending();
    NoReconnect once(*this);
    reconnect_();
  }
  if (!IsConnected()) {
    logSending();
    GiveUp(reply, Outcome::NotConnected, true);
    return false;
  }

  BusyScope busy(*this);
  const int label = awaitReply ? PacketLabel(packet) : -1;
  if (awaitReply) rx_.Expect(label);
  replyElapsed_ = 0;
  transactionClock_.start();
  connection_.ClearPeerClosed();
  // Converted only now: the reconnect above sends its own power-up clear through this same buffer.
  HexToBytesInto(packet, sendBuffer_);
  const bool sent = connection_.Send(sendBuffer_);
  logSending();
  if (sent) ++stats_.requests;
  if (!sent) {
    rx_.EndWait();
    if (mayResend && connection_.PeerClosed() && !IsConnected()) return true;
    GiveUp(reply, Outcome::NotConnected, true);
    return false;
  }
  if (!awaitReply) {
    reply.outcome = Outcome::Sent;
    SetTxRxTime(0);
    return false;
  }

  AwaitReply();
  rx_.EndWait();
  if (rx_.Replied()) {
    reply.outcome = Outcome::Replied;
    reply.packet = rx_.LastReply();
    reply.flags = rx_.Flags();
    reply.seconds = replyElapsed_;
    ++stats_.replies;
    if (reply.DeviceError()) ++stats_.failed;
    stats_.lastSeconds = replyElapsed_;
    SetTxRxTime(replyElapsed_);
    return false;
  }
  if (!IsConnected()) {
    // Only the brain's own close: DISCONNECT (or a failing network) is not undone by a resend.
    if (mayResend && rx_.ReceivedSinceExpect() == 0 && connection_.PeerClosed()) return true;
    // The connection closed under the request (a reset mid-reply, DISCONNECT): no reply can come.
    GiveUp(reply, Outcome::NotConnected, true);
    return false;
  }
  if (!rx_.LateReplyInProgress(label)) rx_.DropPending();
  GiveUp(reply, Outcome::TimedOut, false);
  return false;
}

void RequestEngine::AwaitReply() {
  const qint64 limitMs = static_cast<qint64>(timeoutSeconds_) * 1000;
  const auto done = [this] { return rx_.Replied() || !IsConnected(); };
  // First a short blocking wait on the socket alone (no CPU, no event-loop round trip), while the
  // event loop ran less than kDirectWaitMs ago.
  if (sinceEventLoop_.isValid()) {
    bool handOver = false;
    while (!done() && !handOver) {
      const qint64 left =
          std::min(kDirectWaitMs - sinceEventLoop_.elapsed(), limitMs - transactionClock_.elapsed());
      if (left <= 0) break;
      // Bytes Qt already holds come first, so the stream stays in order.
      OnBytesArrived();
      if (done()) break;
      if (connection_.DirectReady()) {
        bool replied = false;
        handOver = !connection_.ReceiveDirect(rx_, replied);
        if (replied) replyElapsed_ = static_cast<double>(transactionClock_.nsecsElapsed()) / 1e9;
      } else {
        connection_.WaitForBytes(static_cast<int>(left));
        OnBytesArrived();  // Qt does not announce bytes it took inside its own wait
      }
    }
    // A close or an error the direct read met is Qt's to handle: one look lets it see it.
    if (handOver) connection_.LookOnce();
  }
  // The rest of the wait runs the event loop, so windows stay responsive.
  if (!done()) WaitUntil(done, transactionClock_, limitMs);
}

void RequestEngine::OnBytesArrived() {
  if (!connection_.ReadBuffered(rx_)) return;
  replyElapsed_ = static_cast<double>(transactionClock_.nsecsElapsed()) / 1e9;
  Wake();
}

void RequestEngine::OnStateChanged() {
  if (connection_.Socket().state() == QAbstractSocket::UnconnectedState) rx_.DropPending();
  Wake();
}

}  // namespace kestrio
