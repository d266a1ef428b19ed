#pragma once
// The one TCP connection to the brain and the request/reply engine that runs over it.
//
// How a transaction behaves (the guarantees every service and window relies on):
// - Waiting uses no CPU, and the engine's waiting holds the event loop off for at most about
//   5 ms (plus one receive slice, 1 ms rounded up to the kernel's tick). A reply is first awaited
//   in a blocking wait on the socket alone, but only while the thread's event loop last ran less
//   than 5 ms ago (its dispatcher's awake signal, or the end of the engine's own event-loop wait),
//   and never past the timeout. The rest of the wait, and Connect's, run a local QEventLoop woken
//   by a single-shot QTimer, by the socket's arrivals and by its state changes, so windows stay
//   responsive through a long wait and a run of quick transactions still lets the event loop run
//   about every 5 ms. (A design choice: a reply on a local network then costs no event-loop round
//   trip. A peer served by this thread's own event loop, as in test rigs, answers only once that
//   loop runs: about 5 ms later per transaction.) Elapsed time comes from QElapsedTimer
//   (monotonic, so a wait across midnight or a clock change still ends on time).
//   On Unix the blocking wait is one recv() per arrival: once connected, the socket is switched to
//   blocking mode with receive and send timeouts of one slice, and the engine reads arrivals itself
//   (after whatever Qt's own buffer holds, so the stream stays in order). A close or an error met
//   there is left on the socket for Qt, which is given one look at it and reports it as usual. The
//   timeouts bound every blocking call Qt makes on the socket too; the engine's sends never block.
//   Elsewhere the blocking wait is QTcpSocket::waitForReadyRead.
// - Never re-entrant. While a transaction (or a connection attempt) waits, Busy() is true and
//   busyChanged(true) has been emitted. A SendAndAwaitReply made meanwhile (a scan tick, a click)
//   is refused: it logs "\nRequest refused - another transaction is still waiting for its reply.",
//   puts nothing on the wire, shows no message box (a scan tick must not spam dialogs) and ends
//   with Outcome::Refused. Connect while busy is refused the same way. The silent reconnect of a
//   request runs before that request takes the engine (Connect takes it for its own wait and its
//   power-up clear), so the power-up clear is an ordinary transaction of its own.
// - A reply is the reply to this request. A received packet ends the wait only when it carries the
//   outstanding request's transaction label. Any other packet (a late reply to a request that timed
//   out, a stray packet, anything while nothing is outstanding) is stored in the ring, logged and
//   described as usual, but does not end the wait, does not become LastReply and does not touch
//   this transaction's flags. A packet with an unknown tcode has no trustworthy label, so while a
//   request is outstanding it counts as its reply (it sets UnknownReply and ReplyFailed reports
//   "Unrecognized Data Received from Ethernet device."). A request whose own label cannot be read
//   (a hand-made packet shorter than six digits) accepts any packet as its reply.
// - Packets split by the network are joined. Received bytes become hex text; complete packets are
//   cut off by the length their header gives; the digits of an incomplete one are kept until the
//   rest arrives. A block packet can claim at most 65535 + 16 bytes (its length field has 16
//   bits), so the kept digits are bounded; socket reads are taken in bounded chunks and the
//   socket's own read buffer is capped. A packet of unknown tcode takes all digits at hand.
//   Kept digits are logged as "\nReceived:  <digits> <<Incomplete packet discarded>>" and dropped
//   when the connection closes, and when a transaction times out unless they can be the start of
//   that request's own reply (too short to show a tcode, or a response carrying its label): that
//   reply is still on its way, and dropping its start would turn its rest into a bogus packet that
//   swallows the next request's reply. Completed, it is an ordinary late reply (ignored above).
// - An empty packet (a builder rejected its input) is logged and never put on the wire; the call
//   returns at once with Outcome::Empty.
// - Each packet goes out in one write and the socket has QAbstractSocket::LowDelayOption set. When
//   Qt holds no unsent bytes the packet is sent on the socket's descriptor directly; whatever the
//   socket does not take at once goes through QTcpSocket::write.
// - When the connection has dropped, SendAndAwaitReply reconnects silently (Connect(false), which
//   sends its own power-up clear) before sending; if still not connected it shows "**NOT
//   CONNECTED**", and when a scan runs sets StopRequested and toggles the scan off. The reply flags
//   are cleared again after the reconnect so a failed power-up clear is not taken for this
//   request's failure. A close that arrived while idle is noticed in one of two ways:
//   - before a write (or anything but a read), by a zero-time look at the socket just before
//     sending (a plain poll(), handed to Qt only when something is there);
//   - a read is sent without that look (it is a system call per request, a noticeable part of a
//     local round trip); if the connection turns out to be closed before any byte of the reply
//     came back, the read was not answered, and since reading changes nothing on the brain it is
//     sent once more, after the silent reconnect, exactly as if the close had been seen first.
//     Only once, and only when the brain closed it: a second close, DISCONNECT or a socket error
//     is reported as below. Writes and commands are never sent twice.
// - If the connection closes while a reply is awaited, the wait ends at once with "**NOT
//   CONNECTED**" (Outcome::NotConnected) instead of running out the timeout.
// - No reply within TimeoutSeconds: "The timeout of:  30 expired without receiving a reply.", the
//   scan (if any) toggled off, LastReply and the flags unchanged (Outcome::TimedOut).
// - A connection attempt ends as soon as the socket reports failure (no need to wait out the
//   timeout for a refused connection); an attempt still pending at the timeout is aborted.
//
// The socket error handler logs the error block (and emits beep(): the window sounds it). A client
// socket receives no connection requests, so there is no connection-request handler. The peer
// closing the connection is not an error: nothing is logged and the next request reconnects.
#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "protocol/hex.h"
#include "protocol/packet.h"
#include "protocol/prompter.h"
#include "transport/engine.h"
#include "transport/host_address.h"

class QEventLoop;

namespace kestrio {

class MessageLog;
class Settings;

// `seconds` as the footer shows it: "###0.0000" right-aligned in exactly ten characters ("    0.0123").
std::string FormatTxRxTime(double seconds);

class Link : public QObject, public Engine {
  Q_OBJECT

 public:
  static constexpr int kRingSlots = 101;  // slots 0..100
  // Connection states as the program reports them (other values are the transient states of
  // connecting and closing: 4 resolving host, 6 connecting, 8 closing).
  static constexpr int kStateClosed = 0;
  static constexpr int kStateConnected = 7;
  static constexpr int kStateError = 9;

  Link(PacketBuilder& builder, Prompter& prompter, MessageLog& log, Settings& settings,
       QObject* parent = nullptr);
  ~Link() override;

  // --- Engine ---
  void SendAndAwaitReply(const std::string& packet, int tcode) override;
  const std::string& LastReply() const override { return lastReply_; }
  const ReplyFlags& Flags() const override { return flags_; }
  Outcome LastOutcome() const override { return lastOutcome_; }
  std::string TxRxTime() const override { return FormatTxRxTime(txRxSeconds_); }
  bool Busy() const override { return busy_; }
  bool StopRequested() const override { return stopRequested_; }
  void SetStopRequested(bool on) override { stopRequested_ = on; }
  PacketBuilder& Builder() override { return builder_; }
  Prompter& Ui() override { return prompter_; }
  void AddMsg(const std::string& text) override;

  // --- Connection ---
  // The host field's text ("host", "host:port", "[v6]:port"); used by the next Connect.
  void SetHost(const std::string& hostField) { hostField_ = hostField; }
  const std::string& Host() const { return hostField_; }
  int State() const;  // 0 closed, 7 connected, 9 error (see the constants)
  bool IsConnected() const { return State() == kStateConnected; }
  // Stores the host under "Default_IP", (re)opens the connection, waits up to TimeoutSeconds,
  // reports (message boxes only when showMessage), logs, and sends the power-up clear.
  // True when connected afterwards.
  bool Connect(bool showMessage);
  // Closes the connection if open and logs "\nConnection closed.".
  void Disconnect();

  int TimeoutSeconds() const { return timeoutSeconds_; }
  // Values outside 1..3000 are ignored (the timeout dialog refuses them before they get here).
  void SetTimeoutSeconds(int seconds);

  // --- Receive ring ---
  const std::array<std::string, kRingSlots>& RxBuffer() const { return rxBuffer_; }
  int RxIndex() const { return rxIndex_; }
  void AdvanceRxIndex() { rxIndex_ = (rxIndex_ + 1) % kRingSlots; }
  // Digits of an incomplete packet waiting for the rest.
  const std::string& PendingDigits() const { return pending_; }

  // The points window's scanning flag and its ToggleScanning, used when the engine gives up.
  void SetScanHooks(std::function<bool()> isScanning, std::function<void()> toggleScanning);

  QTcpSocket& Socket() { return tcpIOUnit; }

 signals:
  void busyChanged(bool busy);
  void stateChanged(int state);
  void txRxTimeChanged(const QString& text);
  void beep();

 private:
  class BusyScope;

  // True when the socket is connected and a zero-time look finds nothing arrived (no bytes, no
  // close) and nothing waiting to go out: the look of ProbeConnection would find nothing to do.
  bool NothingPending() const;
  void ProbeConnection();
  // Sends what the socket takes at once, directly; the bytes sent (0 when Qt holds unsent bytes).
  qint64 SendDirect(const Bytes& bytes);
  // Writes bytes[from..] through QTcpSocket; false when the socket would not take them.
  bool WriteRest(const Bytes& bytes, qint64 from);
  // One sending of `packet` and the wait for its reply. True when it should be sent once more: a
  // read (`mayResend`) met a closed connection before any byte came back.
  bool Transmit(const std::string& packet, int tcode, bool mayResend);
  // Waits for the outstanding request's reply, the connection's end or the timeout.
  void AwaitReply();
  void OnDataArrival();
  void OnSocketError(QAbstractSocket::SocketError error);
  void OnSocketStateChanged();
  void ProcessPending();
  // Logs, describes and judges the packet just stored in the ring.
  void StorePacket(const std::string& packet);
  // Once connected: makes the socket's receives block for at most one slice (see AwaitReply).
  void PrepareDirectReads();
  // One blocking receive of what has arrived, handled as any arrival; false when the peer closed
  // or the connection failed (left for Qt to notice).
  bool ReceiveDirect();
  void DropPending();
  // True when the pending digits may be the beginning of the reply to the request with `label`.
  bool IsLateReplyInProgress(int label) const;
  void CloseSocket();
  bool IsScanning() const { return isScanning_ && isScanning_(); }
  void StopScan(bool requestStop);
  void SetTxRxTime(double seconds);
  void SetBusy(bool busy);
  // Runs the event loop until `done()` or `limitMs` have passed since `clock` started.
  void WaitUntil(const std::function<bool()>& done, const QElapsedTimer& clock, qint64 limitMs);
  void Wake();

  PacketBuilder& builder_;
  Prompter& prompter_;
  MessageLog& log_;
  Settings& settings_;

  QTcpSocket tcpIOUnit;
  std::string hostField_;
  std::string connectedHost_;  // host part of the last connection attempt
  bool errorState_ = false;    // a socket error was reported since the last close/connect

  int timeoutSeconds_ = 30;
  std::array<std::string, kRingSlots> rxBuffer_;
  int rxIndex_ = 0;
  std::string pending_;
  std::string lastReply_;
  ReplyFlags flags_;
  Outcome lastOutcome_ = Outcome::Sent;
  double txRxSeconds_ = 0.0;
  bool stopRequested_ = false;

  bool busy_ = false;
  bool quietWait_ = false;     // inside a bounded blocking look at the socket
  bool connecting_ = false;    // inside Connect: its power-up clear must not reconnect again
  bool awaiting_ = false;      // a request waits for its reply
  int outstandingLabel_ = -1;  // its label; -1 accepts any packet
  bool replied_ = false;
  std::size_t receivedSinceSend_ = 0;  // bytes that arrived since this request went out
  bool peerClosed_ = false;            // the brain closed or reset the connection since then
  double replyElapsed_ = 0.0;
  QElapsedTimer transactionClock_;
  QEventLoop* waitLoop_ = nullptr;
  QElapsedTimer sinceEventLoop_;  // since the engine's last wait on the event loop ended
  bool directReads_ = false;      // the engine receives replies itself in the blocking wait
  std::vector<std::uint8_t> receiveBuffer_;

  std::function<bool()> isScanning_;
  std::function<void()> toggleScanning_;
};

}  // namespace kestrio
