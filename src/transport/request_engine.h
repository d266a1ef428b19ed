#pragma once
// The engine over the one connection: busy, the timed wait, the outcome.
//
// - Waiting uses no CPU and keeps the windows alive: a reply is first awaited in a blocking receive
//   on the socket alone (the fast path), but only while the event loop last ran less than 5 ms ago
//   and never past the timeout; the rest of the wait, and a connection attempt's, run a local
//   QEventLoop woken by a timer, the socket's arrivals and its state changes. Elapsed time is
//   monotonic, so a wait across midnight still ends on time.
// - Never re-entrant: while a transaction or a connection attempt waits, Busy() is true; a request
//   made meanwhile is refused with "\nRequest refused - another transaction is still waiting for its
//   reply." in the log, nothing on the wire and no message box (a scan tick must not spam dialogs).
// - The reply is the packet carrying the request's label (see Receiver). No reply within the
//   timeout: "The timeout of: N expired without receiving a reply.", the scans stopped.
// - A dropped connection is reopened silently before sending (the session's reconnect, with its own
//   power-up clear); still not connected: "**NOT CONNECTED**", the scans stopped and StopRequested
//   set. The connection closing under a waiting request ends the wait at once the same way.
// - A read is sent without first looking for a close that arrived while idle; if the brain closed
//   the connection before any byte of its reply came, the read is sent once more after the silent
//   reconnect (reading changes nothing). Writes and commands keep the look and are never sent twice.
// - An empty packet (a builder rejected its input) is logged, never sent: Outcome::Empty at once.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "protocol/packet.h"
#include "protocol/prompter.h"
#include "transport/connection.h"
#include "transport/engine.h"
#include "transport/log_sink.h"
#include "transport/receiver.h"
#include "transport/traffic_stats.h"

class QEventLoop;

namespace kestrio {

inline constexpr char kRequestRefusedText[] =
    "\nRequest refused - another transaction is still waiting for its reply.";

class RequestEngine : public QObject, public Engine {
  Q_OBJECT

 public:
  RequestEngine(Connection& connection, PacketBuilder& builder, Prompter& prompter, LogSink& log,
                QObject* parent = nullptr);
  ~RequestEngine() override;

  Reply SendAndAwaitReply(const std::string& packet, int tcode) override;
  bool IsConnected() const override { return connection_.IsConnected(); }
  bool Busy() const override { return busy_; }
  bool StopRequested() const override { return stopRequested_; }
  void SetStopRequested(bool on) override { stopRequested_ = on; }
  PacketBuilder& Builder() override { return builder_; }
  Prompter& Ui() override { return prompter_; }
  void AddMsg(const std::string& text) override { log_.AddMsg(text); }

  // The newest reply to one of our requests, and the last round-trip time, as the log and the
  // manual packet window show them.
  const std::string& LastReply() const { return rx_.LastReply(); }
  std::string TxRxTime() const { return FormatTxRxTime(txRxSeconds_); }
  const Receiver& Rx() const { return rx_; }

  // Requests, replies, timeouts and refused replies since the last ResetStatistics.
  const TrafficStats& Statistics() const { return stats_; }
  void ResetStatistics();

  int TimeoutSeconds() const { return timeoutSeconds_; }
  // Values outside 1..3000 are ignored (the timeout dialog refuses them before they get here).
  void SetTimeoutSeconds(int seconds);

  enum class Opened { Connected, NotConnected, HostNotFound, Refused };
  // Closes the connection if open, then connects to `hostField` and waits up to the timeout.
  // Refused (and logged) while another transaction waits; HostNotFound for a field that is not
  // HOST[:PORT] or a name that does not resolve.
  Opened OpenConnection(const std::string& hostField);

  // The session's silent reconnect (with its power-up clear); true when connected afterwards.
  void SetReconnect(std::function<bool()> reconnect) { reconnect_ = std::move(reconnect); }
  void SetScanControl(ScanControl* scans) { scans_ = scans; }

  // While one lives, a request does not reconnect silently (the power-up clear of a connect).
  class NoReconnect {
   public:
    explicit NoReconnect(RequestEngine& e) : e_(e), previous_(e.noReconnect_) { e_.noReconnect_ = true; }
    ~NoReconnect() { e_.noReconnect_ = previous_; }
    NoReconnect(const NoReconnect&) = delete;
    NoReconnect& operator=(const NoReconnect&) = delete;

   private:
    RequestEngine& e_;
    bool previous_;
  };

 signals:
  void busyChanged(bool busy);
  void txRxTimeChanged(const QString& text);
  // A socket error was logged (the window sounds it).
  void beep();
  void statisticsChanged();

 private:
  class BusyScope;

  // One sending of `packet` and the wait for its reply. True when it should be sent once more: a
  // read (`mayResend`) met a connection the brain closed before any byte came back.
  bool Transmit(const std::string& packet, int tcode, bool mayResend, Reply& reply);
  void AwaitReply();
  void OnBytesArrived();
  void OnStateChanged();
  void GiveUp(Reply& reply, Outcome outcome, bool requestStop);
  void SetTxRxTime(double seconds);
  void SetBusy(bool busy);
  // Runs the event loop until `done()` or `limitMs` have passed since `clock` started.
  void WaitUntil(const std::function<bool()>& done, const QElapsedTimer& clock, qint64 limitMs);
  void Wake();

  Connection& connection_;
  PacketBuilder& builder_;
  Prompter& prompter_;
  LogSink& log_;
  Receiver rx_;
  std::function<bool()> reconnect_;
  ScanControl* scans_ = nullptr;

  TrafficStats stats_;
  int timeoutSeconds_ = 30;
  double txRxSeconds_ = 0.0;
  double replyElapsed_ = 0.0;
  bool stopRequested_ = false;
  bool busy_ = false;
  bool noReconnect_ = false;
  QElapsedTimer transactionClock_;
  QEventLoop* waitLoop_ = nullptr;
  QElapsedTimer sinceEventLoop_;  // since the thread's event loop last ran
  Bytes sendBuffer_;              // reused: a run of transactions allocates nothing for its bytes
};

}  // namespace kestrio
