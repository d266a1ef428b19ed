// The session's connection and engine against a scripted peer over real loopback TCP: exact bytes,
// exact log lines.
#include <gtest/gtest.h>
#include <poll.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

#include "core/session.h"
#include "support/scripted_peer.h"

namespace kestrio {
namespace {

using test::Response;
using testing::ScriptedPeer;
using Texts = std::vector<std::string>;

const char* const kPucRequest = "000004000000FFFFF038000000000001";  // label 1: the first request
const char* const kRefused = "\nRequest refused - another transaction is still waiting for its reply.";
const char* const kNotConnected = "**NOT CONNECTED**";

std::size_t Occurrences(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// A peer handler that answers each request with `answer(request)`.
ScriptedPeer::Handler Replying(std::function<std::string(const std::string&)> answer) {
  return [answer](ScriptedPeer& p, QTcpSocket& s, const std::string& request) { p.Send(s, answer(request)); };
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    session_ = std::make_unique<Session>(prompter_, dir_.filePath("settings.ini").toStdString());
    ASSERT_TRUE(peer_.Start());
    session_->SetHost(peer_.HostField());
    engine().SetTimeoutSeconds(10);  // replies come at once; only the timeout tests wait it out
    scan_ = ScanRegistry::Registration(session_->Scans(), {[this] { return scanning_; },
                                                           [this] { scanning_ = false; }});
  }

  RequestEngine& engine() { return session_->Engine(); }
  Connection& connection() { return session_->GetConnection(); }
  std::string log() const { return session_->Log().Utf8(); }
  Reply Send(const std::string& packet) { return engine().SendAndAwaitReply(packet, PacketTcode(packet)); }

  // Forgets what was logged, said and sent so far.
  void Forget() {
    session_->Log().Clear();
    prompter_.Clear();
    peer_.requests.clear();
  }
  void ConnectQuietly() {
    ASSERT_TRUE(session_->Connect(false));
    Forget();
  }
  // A running scan that the engine has not been asked to stop.
  void StartScan() {
    scanning_ = true;
    engine().SetStopRequested(false);
  }

  std::string ReadQuad() { return session_->Builder().BuildReadQuadRequest("FFFFF0400000"); }

  QTemporaryDir dir_;
  ScriptedPrompter prompter_;
  std::unique_ptr<Session> session_;
  ScriptedPeer peer_;
  bool scanning_ = false;
  ScanRegistry::Registration scan_;
};

TEST_F(EngineTest, ConnectLogsAndSendsThePowerUpClear) {
  ASSERT_TRUE(session_->Connect(true));
  EXPECT_EQ(prompter_.Messages(), Texts{"\nConnected to: 127.0.0.1"});
  EXPECT_EQ(log(), "127.0.0.1\nSending Power-up Clear.\n\nSending [Write Quad Request]: " +
                       std::string(kPucRequest) + "\nReceived:  000004200000000000000000 [Write Response]");
  EXPECT_EQ(peer_.requests, Texts{kPucRequest});
  EXPECT_EQ(connection().Socket().socketOption(QAbstractSocket::LowDelayOption).toInt(), 1);
  EXPECT_EQ(session_->SettingsStore().DefaultIP(), peer_.HostField());

  session_->Disconnect();
  EXPECT_EQ(connection().State(), ConnectionState::Closed);
  EXPECT_TRUE(log().ends_with("\nConnection closed."));
}

TEST_F(EngineTest, FailedPowerUpClearOpensStatusAndSaysSo) {
  // The brain expected something else.
  peer_.handler = Replying([](const std::string& r) { return Response(kWriteResponse, PacketLabel(r), 5); });
  ASSERT_TRUE(session_->Connect(false));
  EXPECT_EQ(prompter_.statusShown, 1);
  EXPECT_EQ(prompter_.Messages(), Texts{"PUC not successful."});
}

TEST_F(EngineTest, ConnectFailuresAreReported) {
  const std::string dead = peer_.HostField();
  peer_.Stop();  // nothing listens there now
  QSignalSpy beeps(&engine(), &RequestEngine::beep);
  EXPECT_FALSE(session_->Connect(true));
  EXPECT_EQ(prompter_.Messages(), Texts{"\nCould not connect to: " + dead});
  const std::string text = log();
  EXPECT_NE(text.find("\n" + std::string(60, '*') + "\nTCP Error <"), std::string::npos) << text;
  EXPECT_NE(text.find("\nState of connection = 9\nClosing connection:\nState of connection = 0"),
            std::string::npos)
      << text;
  EXPECT_TRUE(text.ends_with("\nCould not connect to: 127.0.0.1\nCould not send command - not connected."))
      << text;
  EXPECT_EQ(beeps.count(), 1);

  // A field that is no host, or a name that does not resolve: one sentence, no error block.
  for (const std::string host : {"brain:99999", "no-such-brain.invalid"}) {
    Forget();
    session_->SetHost(host);
    EXPECT_FALSE(session_->Connect(false));
    EXPECT_EQ(prompter_.Messages(), Texts{"Could not connect to: " + host});
    EXPECT_EQ(log().find("TCP Error"), std::string::npos) << log();
    EXPECT_EQ(log().find("not connected."), std::string::npos) << log();
  }
}

TEST_F(EngineTest, TimeoutKeepsTheLastReplyStopsTheScanAndALateReplyIsNotTakenLater) {
  ConnectQuietly();
  const std::string before = engine().LastReply();
  peer_.handler = nullptr;  // silent
  engine().SetTimeoutSeconds(1);
  StartScan();

  const std::string first = ReadQuad();
  EXPECT_EQ(Send(first).outcome, Outcome::TimedOut);
  EXPECT_EQ(prompter_.Messages(), Texts{"The timeout of:  1 expired without receiving a reply."});
  EXPECT_FALSE(scanning_);
  EXPECT_FALSE(engine().StopRequested());
  EXPECT_EQ(engine().LastReply(), before);

  // The late answer to the first request arrives ahead of the second one's: only the second counts.
  const std::string late = Response(kReadQuadResponse, PacketLabel(first), 7, "DEADBEEF");
  peer_.handler = [&](ScriptedPeer& p, QTcpSocket& s, const std::string& request) {
    p.Send(s, late);
    p.Send(s, Response(kReadQuadResponse, PacketLabel(request), 0, "00C0FFEE"));
  };
  const std::string second = ReadQuad();
  const Reply reply = Send(second);
  EXPECT_EQ(reply.outcome, Outcome::Replied);
  EXPECT_EQ(reply.packet, Response(kReadQuadResponse, PacketLabel(second), 0, "00C0FFEE"));
  EXPECT_EQ(reply.Quadlet(), 0x00C0FFEEu);
  EXPECT_FALSE(reply.flags.ReplyError);  // the late packet's rcode 7 is not this request's failure
  EXPECT_NE(log().find("\nReceived:  " + late + " [Read Quad Response]"), std::string::npos);
}

// The connection ends while a reply is awaited, eight bytes into a block reply that claims 65535:
// the peer resets it, or the operator presses DISCONNECT. The wait ends at once, the kept digits are
// dropped, and the next request reconnects silently with its own power-up clear.
TEST_F(EngineTest, ConnectionEndingDuringAWaitIsReportedAndTheNextRequestReconnects) {
  const std::string head = Response(kReadQuadResponse, 0).substr(0, 6) + "70" + "0000" + "000000000000" +
                           "FFFF0000" + "0011223344556677";
  for (const bool disconnect : {false, true}) {
    SCOPED_TRACE(disconnect ? "DISCONNECT" : "reset");
    ConnectQuietly();
    StartScan();
    peer_.handler = [&](ScriptedPeer& p, QTcpSocket& s, const std::string&) {
      p.Send(s, head);
      QTimer::singleShot(20, &s, [this, &s, disconnect] { disconnect ? session_->Disconnect() : s.abort(); });
    };
    EXPECT_EQ(Send(ReadQuad()).outcome, Outcome::NotConnected);
    EXPECT_EQ(prompter_.Messages(), Texts{kNotConnected});
    EXPECT_TRUE(engine().StopRequested());
    EXPECT_FALSE(scanning_);
    EXPECT_TRUE(engine().Rx().PendingDigits().empty());
    EXPECT_NE(log().find("\nReceived:  " + head + " <<Incomplete packet discarded>>"), std::string::npos);

    Forget();
    peer_.handler = Replying(ScriptedPeer::DefaultAnswer);
    const std::string request = ReadQuad();
    EXPECT_EQ(Send(request).outcome, Outcome::Replied);
    EXPECT_TRUE(prompter_.log.empty());
    ASSERT_EQ(peer_.requests.size(), 2u);
    EXPECT_EQ(peer_.requests[0].substr(12), "FFFFF038000000000001");
    EXPECT_EQ(peer_.requests[1], request);
    EXPECT_TRUE(log().starts_with("\n\nSending [Read Quad Request]: " + request +
                                  "127.0.0.1\nSending Power-up Clear."))
        << log();
  }

  // With no brain listening the reconnect fails: nothing is sent and the scan is stopped.
  peer_.Stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !engine().IsConnected(); }, 5000));
  Forget();
  StartScan();
  EXPECT_EQ(Send(ReadQuad()).outcome, Outcome::NotConnected);
  EXPECT_EQ(prompter_.Messages(), Texts{kNotConnected});
  EXPECT_TRUE(engine().StopRequested());
  EXPECT_FALSE(scanning_);
  EXPECT_TRUE(peer_.requests.empty());
}

// DISCONNECT pressed while a read waits and nothing of its reply has come: the operator's close
// stands; the read is not sent again on a new connection.
TEST_F(EngineTest, DisconnectDuringAReadIsNotUndoneByASilentResend) {
  ConnectQuietly();
  peer_.handler = [this](ScriptedPeer&, QTcpSocket& s, const std::string&) {
    QTimer::singleShot(0, &s, [this] { session_->Disconnect(); });
  };
  EXPECT_EQ(Send(ReadQuad()).outcome, Outcome::NotConnected);
  EXPECT_EQ(prompter_.Messages(), Texts{kNotConnected});
  EXPECT_EQ(peer_.requests.size(), 1u);
  EXPECT_EQ(connection().State(), ConnectionState::Closed);
}

// The brain ends the connection while the program is idle and no event runs to notice it. A write
// is preceded by a look at the socket; a read goes out at once into the dead connection and is sent
// again after the reconnect. Either way the brain answers the request exactly once.
TEST_F(EngineTest, CloseUnnoticedWhileIdleStillReconnects) {
  for (const bool orderly : {false, true}) {
    for (const bool write : {false, true}) {
      SCOPED_TRACE(std::string(orderly ? "orderly close, " : "reset, ") + (write ? "write" : "read"));
      ConnectQuietly();
      const int connections = peer_.connections;
      orderly ? peer_.CloseAll() : peer_.DropAll();
      // Wait, without running the event loop, until the close has reached our end of the connection.
      pollfd p{static_cast<int>(connection().Socket().socketDescriptor()), POLLIN, 0};
      ASSERT_EQ(::poll(&p, 1, 10000), 1);
      ASSERT_EQ(connection().Socket().state(), QAbstractSocket::ConnectedState);
      const std::string request =
          write ? session_->Builder().BuildWriteQuadRequest("00000001", "FFFFF0400000") : ReadQuad();
      const Reply reply = Send(request);
      EXPECT_EQ(reply.outcome, Outcome::Replied);
      EXPECT_EQ(reply.packet, ScriptedPeer::DefaultAnswer(request));
      EXPECT_TRUE(prompter_.log.empty());
      EXPECT_EQ(peer_.connections, connections + 1);
      ASSERT_EQ(peer_.requests.size(), 2u);  // the new connection's power-up clear, then the request
      EXPECT_EQ(peer_.requests[0].substr(6), std::string(kPucRequest).substr(6));
      EXPECT_EQ(peer_.requests[1], request);
      EXPECT_EQ(log().find("TCP Error"), std::string::npos) << log();
      EXPECT_EQ(Occurrences(log(), "Sending " + PacketTypeName(PacketTcode(request)) + ": " + request), write ? 1u : 2u)
          << log();
    }
  }
}

// A brain that drops the connection on receiving a request, without answering: a read is asked
// once more on a new connection, a write never twice; then the loss is reported.
TEST_F(EngineTest, ARequestTheBrainDropsUnansweredIsReportedAfterAtMostOneMoreRead) {
  peer_.handler = [](ScriptedPeer& p, QTcpSocket& socket, const std::string& request) {
    if (request.substr(12, 12) == "FFFFF0380000") return p.Send(socket, ScriptedPeer::DefaultAnswer(request));
    socket.abort();
  };
  for (const bool write : {false, true}) {
    SCOPED_TRACE(write ? "write" : "read");
    ConnectQuietly();
    const std::string request =
        write ? session_->Builder().BuildWriteQuadRequest("00000001", "FFFFF0400000") : ReadQuad();
    EXPECT_EQ(Send(request).outcome, Outcome::NotConnected);
    EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"**NOT CONNECTED**"});
    EXPECT_EQ(std::count(peer_.requests.begin(), peer_.requests.end(), request), write ? 1 : 2);
  }
}

// A scan tick or a click while a reply is awaited: refused without a word on the wire or a dialog.
// The peer makes the second attempts itself the moment the first request reaches it, then answers.
TEST_F(EngineTest, SecondTransactionWhileWaitingIsRefused) {
  ConnectQuietly();
  QSignalSpy busy(&engine(), &RequestEngine::busyChanged);
  Outcome inner = Outcome::Replied;
  bool busyInside = false;
  bool connectInside = false;
  peer_.handler = [&](ScriptedPeer& p, QTcpSocket& s, const std::string& request) {
    busyInside = engine().Busy();
    inner = Send(ReadQuad()).outcome;
    connectInside = session_->Connect(true);
    p.Send(s, ScriptedPeer::DefaultAnswer(request));
  };
  const std::string outer = ReadQuad();
  const Reply reply = Send(outer);

  EXPECT_TRUE(busyInside);
  EXPECT_EQ(inner, Outcome::Refused);
  EXPECT_TRUE(connectInside);  // refused, the connection stays as it was
  EXPECT_EQ(reply.packet, ScriptedPeer::DefaultAnswer(outer));
  EXPECT_EQ(peer_.requests, Texts{outer});
  EXPECT_EQ(peer_.connections, 1);
  EXPECT_TRUE(prompter_.log.empty());
  EXPECT_EQ(log(), "\n\nSending [Read Quad Request]: " + outer + kRefused + kRefused + "\nReceived:  " +
                       reply.packet + " [Read Quad Response]");
  ASSERT_EQ(busy.count(), 2);
  EXPECT_TRUE(busy[0][0].toBool());
  EXPECT_FALSE(busy[1][0].toBool());
}

// An empty packet (a builder refused its input) is logged and never sent, not even a connection is
// attempted for it; a response is sent without waiting for anything.
TEST_F(EngineTest, EmptyPacketIsLoggedNotSentAndAResponseIsNotAwaited) {
  EXPECT_EQ(engine().SendAndAwaitReply("", kReadQuadRequest).outcome, Outcome::Empty);
  EXPECT_EQ(log(), "\n\nSending [Read Quad Request]: ");
  EXPECT_EQ(peer_.connections, 0);
  EXPECT_TRUE(prompter_.log.empty());

  ConnectQuietly();
  engine().SendAndAwaitReply("", kWriteQuadRequest);
  const std::string response = Response(kReadQuadResponse, 3, 0, "11223344");
  const Reply sent = Send(response);
  EXPECT_EQ(sent.outcome, Outcome::Sent);
  EXPECT_EQ(sent.seconds, 0);
  EXPECT_EQ(log(), "\n\nSending [Write Quad Request]: \n\nSending [Read Quad Response]: " + response);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !peer_.requests.empty(); }, 5000));
  EXPECT_EQ(peer_.requests, Texts{response});
}

}  // namespace
}  // namespace kestrio
