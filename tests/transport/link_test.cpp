// The engine against a scripted peer over real loopback TCP: exact bytes, exact log lines.
#include "transport/link.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "transport/scripted_peer.h"
#include "transport/session.h"

namespace kestrio {
namespace {

using testing::Response;
using testing::ScriptedPeer;

const char* const kPucRequest = "000004000000FFFFF038000000000001";  // label 1: the first request
const char* const kRefused = "\nRequest refused - another transaction is still waiting for its reply.";

std::size_t Occurrences(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    session_ = std::make_unique<Session>(prompter_, dir_.filePath("settings.ini").toStdString());
    ASSERT_TRUE(peer_.Start());
    link().SetHost(peer_.HostField());
    link().SetTimeoutSeconds(10);  // replies come at once; only the timeout tests wait it out
    link().SetScanHooks([this] { return scanning_; },
                        [this] {
                          ++toggles_;
                          scanning_ = !scanning_;
                        });
  }

  Link& link() { return session_->GetLink(); }
  std::string log() const { return session_->Log().Utf8(); }

  void ConnectQuietly() {
    ASSERT_TRUE(link().Connect(false));
    session_->Log().Clear();
    prompter_.Clear();
    peer_.requests.clear();
  }

  std::string ReadQuad() { return session_->Builder().BuildReadQuadRequest("FFFFF0400000"); }

  QTemporaryDir dir_;
  ScriptedPrompter prompter_;
  std::unique_ptr<Session> session_;
  ScriptedPeer peer_;
  bool scanning_ = false;
  int toggles_ = 0;
};

TEST_F(LinkTest, ConnectSendsThePowerUpClearAndLogsIt) {
  QSignalSpy busy(&link(), &Link::busyChanged);
  ASSERT_TRUE(link().Connect(true));

  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"\nConnected to: 127.0.0.1"});
  EXPECT_EQ(log(),
            "127.0.0.1"
            "\nSending Power-up Clear."
            "\n\nSending [Write Quad Request]: " +
                std::string(kPucRequest) + "\nReceived:  000004200000000000000000 [Write Response]");
  EXPECT_EQ(peer_.requests, std::vector<std::string>{kPucRequest});
  EXPECT_EQ(link().State(), Link::kStateConnected);
  EXPECT_EQ(link().Socket().socketOption(QAbstractSocket::LowDelayOption).toInt(), 1);
  EXPECT_EQ(session_->SettingsStore().DefaultIP(), peer_.HostField());
  EXPECT_EQ(link().LastOutcome(), Outcome::Replied);
  EXPECT_FALSE(link().Busy());
  EXPECT_GE(busy.count(), 2);
  EXPECT_EQ(busy.back().at(0).toBool(), false);

  link().Disconnect();
  EXPECT_EQ(link().State(), Link::kStateClosed);
  EXPECT_TRUE(log().ends_with("\nConnection closed."));
}

TEST_F(LinkTest, FailedPowerUpClearOpensStatusAndSaysSo) {
  peer_.handler = [](ScriptedPeer& p, QTcpSocket& s, const std::string& request) {
    p.Send(s, Response(kWriteResponse, PacketLabel(request), 5));  // the brain expected something else
  };
  ASSERT_TRUE(link().Connect(false));
  EXPECT_EQ(prompter_.statusShown, 1);
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"PUC not successful."});
}

TEST_F(LinkTest, ConnectFailuresAreReported) {
  const quint16 deadPort = peer_.Port();
  peer_.Stop();  // nothing listens there now
  QSignalSpy beeps(&link(), &Link::beep);
  link().SetHost("127.0.0.1:" + std::to_string(deadPort));
  EXPECT_FALSE(link().Connect(true));
  EXPECT_EQ(prompter_.Messages(),
            std::vector<std::string>{"\nCould not connect to: 127.0.0.1:" + std::to_string(deadPort)});
  const std::string text = log();
  EXPECT_NE(text.find("\n" + std::string(60, '*') + "\nTCP Error <"), std::string::npos) << text;
  EXPECT_NE(text.find("\nState of connection = 9\nClosing connection:\nState of connection = 0"),
            std::string::npos)
      << text;
  EXPECT_TRUE(text.ends_with("\nCould not connect to: 127.0.0.1\nCould not send command - not connected."))
      << text;
  EXPECT_EQ(beeps.count(), 1);
  EXPECT_EQ(link().State(), Link::kStateClosed);

  prompter_.Clear();
  link().SetHost("brain:99999");
  EXPECT_FALSE(link().Connect(false));
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"Could not connect to: brain:99999"});
}

TEST_F(LinkTest, TimeoutKeepsTheLastReplyStopsTheScanAndALateReplyIsNotTakenLater) {
  ConnectQuietly();
  const std::string before = link().LastReply();
  QTcpSocket* peerSocket = nullptr;
  peer_.handler = [&](ScriptedPeer&, QTcpSocket& s, const std::string&) { peerSocket = &s; };
  link().SetTimeoutSeconds(1);
  scanning_ = true;

  const std::string first = ReadQuad();
  link().SendAndAwaitReply(first, kReadQuadRequest);
  EXPECT_EQ(link().LastOutcome(), Outcome::TimedOut);
  EXPECT_EQ(prompter_.Messages(),
            std::vector<std::string>{"The timeout of:  1 expired without receiving a reply."});
  EXPECT_EQ(toggles_, 1);
  EXPECT_FALSE(link().StopRequested());
  EXPECT_EQ(link().LastReply(), before);
  EXPECT_EQ(link().TxRxTime(), "    0.0000");
  EXPECT_FALSE(link().ReplyFailed());

  // The late answer to the first request arrives with the second one's: only the second counts.
  ASSERT_NE(peerSocket, nullptr);
  peer_.handler = [&](ScriptedPeer& p, QTcpSocket& s, const std::string& request) {
    p.Send(s, Response(kReadQuadResponse, PacketLabel(first), 7, "DEADBEEF"));
    p.SendLater(s, 20, Response(kReadQuadResponse, PacketLabel(request), 0, "00C0FFEE"));
  };
  const std::string second = ReadQuad();
  link().SendAndAwaitReply(second, kReadQuadRequest);
  EXPECT_EQ(link().LastOutcome(), Outcome::Replied);
  EXPECT_EQ(link().LastReply(), Response(kReadQuadResponse, PacketLabel(second), 0, "00C0FFEE"));
  EXPECT_FALSE(link().ReplyError());  // the stale packet's rcode 7 is not this request's failure
  EXPECT_NE(log().find("\nReceived:  " + Response(kReadQuadResponse, PacketLabel(first), 7, "DEADBEEF") +
                       " [Read Quad Response]"),
            std::string::npos);
  EXPECT_NE(link().TxRxTime(), "    0.0000");
  EXPECT_EQ(link().TxRxTime().size(), 10u);
}

TEST_F(LinkTest, ResponseKindsAreSentWithoutWaiting) {
  ConnectQuietly();
  const std::string response = Response(kReadQuadResponse, 3, 0, "11223344");
  link().SendAndAwaitReply(response, kReadQuadResponse);
  EXPECT_EQ(link().LastOutcome(), Outcome::Sent);
  EXPECT_EQ(link().TxRxTime(), "    0.0000");
  EXPECT_EQ(log(), "\n\nSending [Read Quad Response]: " + response);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !peer_.requests.empty(); }, 5000));
  EXPECT_EQ(peer_.requests, std::vector<std::string>{response});
}

TEST_F(LinkTest, TwoPacketsInOneDeliveryTakeConsecutiveSlots) {
  ConnectQuietly();
  const std::string other = Response(kWriteResponse, 40);
  std::string reply;
  peer_.handler = [&](ScriptedPeer& p, QTcpSocket& s, const std::string& request) {
    reply = Response(kReadQuadResponse, PacketLabel(request), 0, "CAFEF00D");
    p.Send(s, other + reply);
  };
  const int index = link().RxIndex();
  link().SendAndAwaitReply(ReadQuad(), kReadQuadRequest);
  EXPECT_EQ(link().LastReply(), reply);
  EXPECT_EQ(link().RxIndex(), index + 2);
  EXPECT_EQ(link().RxBuffer()[index + 1], other);
  EXPECT_EQ(link().RxBuffer()[index + 2], reply);
  EXPECT_TRUE(log().ends_with("\nReceived:  " + other + " [Write Response]\nReceived:  " + reply +
                              " [Read Quad Response]"));
}

TEST_F(LinkTest, ReplySplitAnywhereIsJoined) {
  ConnectQuietly();
  // A quadlet response split at every byte, and a block response split inside its length field.
  struct Case {
    int tcode;
    std::string data;
    int splitByte;
  };
  std::vector<Case> cases;
  for (int b = 1; b < 16; ++b) cases.push_back({kReadQuadResponse, "89ABCDEF", b});
  for (int b : {3, 13, 17, 20}) cases.push_back({kReadBlockResponse, "0102030405", b});
  for (const Case& c : cases) {
    std::string reply;
    peer_.handler = [&](ScriptedPeer& p, QTcpSocket& s, const std::string& request) {
      reply = Response(c.tcode, PacketLabel(request), 0, c.data);
      p.Send(s, reply.substr(0, c.splitByte * 2));
      p.SendLater(s, 5, reply.substr(c.splitByte * 2));
    };
    const int index = link().RxIndex();
    const std::string request = c.tcode == kReadQuadResponse
                                    ? ReadQuad()
                                    : session_->Builder().BuildReadBlockRequest("5", "FFFFF0300000");
    link().SendAndAwaitReply(request, PacketTcode(request));
    EXPECT_EQ(link().LastReply(), reply) << "split at byte " << c.splitByte;
    EXPECT_EQ(link().RxIndex(), (index + 1) % Link::kRingSlots);
    EXPECT_TRUE(link().PendingDigits().empty());
  }
  EXPECT_TRUE(prompter_.Messages().empty());
}

TEST_F(LinkTest, RingWrapsAfterSlot100) {
  ConnectQuietly();
  const int start = link().RxIndex();
  const int strays = Link::kRingSlots - start - 1;  // the reply lands in slot 0
  std::string reply;
  peer_.handler = [&](ScriptedPeer& p, QTcpSocket& s, const std::string& request) {
    std::string burst;
    for (int i = 0; i < strays; ++i) burst += Response(kWriteResponse, (PacketLabel(request) + 1) % 64);
    reply = Response(kReadQuadResponse, PacketLabel(request), 0, "0000002A");
    p.Send(s, burst + reply);
  };
  link().SendAndAwaitReply(ReadQuad(), kReadQuadRequest);
  EXPECT_EQ(link().RxIndex(), 0);
  EXPECT_EQ(link().RxBuffer()[0], reply);
  EXPECT_EQ(link().RxBuffer()[100].size(), 24u);
  EXPECT_EQ(link().LastReply(), reply);
}

TEST_F(LinkTest, AnErrorRcodeFailsSilentlyAndUnknownDataIsTheReplyButReported) {
  ConnectQuietly();
  peer_.handler = [](ScriptedPeer& p, QTcpSocket& s, const std::string& request) {
    p.Send(s, Response(kReadQuadResponse, PacketLabel(request), 7));
  };
  link().SendAndAwaitReply(ReadQuad(), kReadQuadRequest);
  EXPECT_TRUE(link().ReplyError());
  EXPECT_EQ(link().LastReplyRcode(), 7);
  EXPECT_TRUE(link().ReplyFailed());
  EXPECT_TRUE(prompter_.Messages().empty());

  peer_.handler = [](ScriptedPeer& p, QTcpSocket& s, const std::string&) {
    p.Send(s, "00000490AABBCCDDEEFF");
  };
  link().SendAndAwaitReply(ReadQuad(), kReadQuadRequest);
  EXPECT_EQ(link().LastOutcome(), Outcome::Replied);
  EXPECT_EQ(link().LastReply(), "00000490AABBCCDDEEFF");
  EXPECT_TRUE(log().ends_with("\nReceived:  00000490AABBCCDDEEFF <<Data of unknown type>>"));
  EXPECT_TRUE(link().ReplyFailed());
  EXPECT_EQ(prompter_.Messages(),
            std::vector<std::string>{"Unrecognized Data Received from Ethernet device."});
}

TEST_F(LinkTest, ResetInTheMiddleOfAHugeReplyEndsTheWaitAndTheNextRequestReconnects) {
  ConnectQuietly();
  scanning_ = true;
  // A block response claiming 65535 bytes, then the connection is reset after eight of them.
  const std::string head = Response(kReadQuadResponse, 0).substr(0, 6) + "70" + "0000" + "000000000000" +
                           "FFFF0000" + "0011223344556677";
  peer_.handler = [&](ScriptedPeer& p, QTcpSocket& s, const std::string&) {
    p.Send(s, head);
    QTimer::singleShot(20, &s, [&s] { s.abort(); });
  };
  link().SendAndAwaitReply(ReadQuad(), kReadQuadRequest);
  EXPECT_EQ(link().LastOutcome(), Outcome::NotConnected);
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"**NOT CONNECTED**"});
  EXPECT_TRUE(link().StopRequested());
  EXPECT_EQ(toggles_, 1);
  EXPECT_TRUE(link().PendingDigits().empty());
  EXPECT_NE(log().find("\nReceived:  " + head + " <<Incomplete packet discarded>>"), std::string::npos);

  // The peer is healthy again: the next request reconnects silently, with its own power-up clear.
  prompter_.Clear();
  peer_.requests.clear();
  session_->Log().Clear();
  peer_.handler = [](ScriptedPeer& p, QTcpSocket& s, const std::string& request) {
    p.Send(s, ScriptedPeer::DefaultAnswer(request));
  };
  const std::string request = ReadQuad();
  link().SendAndAwaitReply(request, kReadQuadRequest);
  EXPECT_EQ(link().LastOutcome(), Outcome::Replied);
  EXPECT_TRUE(prompter_.Messages().empty());
  ASSERT_EQ(peer_.requests.size(), 2u);
  EXPECT_EQ(peer_.requests[0].substr(12), "FFFFF038000000000001");
  EXPECT_EQ(peer_.requests[1], request);
  EXPECT_EQ(peer_.connections, 2);
  EXPECT_TRUE(
      log().starts_with("\n\nSending [Read Quad Request]: " + request + "127.0.0.1\nSending Power-up Clear."))
      << log();
}

// The brain ends the connection while the program is idle and no event runs to notice it. A write
// is preceded by a look at the socket; a read goes out at once into the dead connection and is sent
// again after the reconnect. Either way the brain answers the request exactly once.
TEST_F(LinkTest, CloseUnnoticedWhileIdleStillReconnects) {
  for (const bool orderly : {false, true}) {
    for (const bool write : {false, true}) {
      SCOPED_TRACE(std::string(orderly ? "orderly close, " : "reset, ") + (write ? "write" : "read"));
      ConnectQuietly();
      const int connections = peer_.connections;
      orderly ? peer_.CloseAll() : peer_.DropAll();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      ASSERT_EQ(link().Socket().state(), QAbstractSocket::ConnectedState);
      const std::string request =
          write ? session_->Builder().BuildWriteQuadRequest("00000001", "FFFFF0400000") : ReadQuad();
      link().SendAndAwaitReply(request, PacketTcode(request));
      EXPECT_EQ(link().LastOutcome(), Outcome::Replied);
      EXPECT_EQ(link().LastReply(), ScriptedPeer::DefaultAnswer(request));
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
TEST_F(LinkTest, ARequestTheBrainDropsUnansweredIsReportedAfterAtMostOneMoreRead) {
  peer_.handler = [](ScriptedPeer& p, QTcpSocket& socket, const std::string& request) {
    if (request.substr(12, 12) == "FFFFF0380000") return p.Send(socket, ScriptedPeer::DefaultAnswer(request));
    socket.abort();
  };
  for (const bool write : {false, true}) {
    SCOPED_TRACE(write ? "write" : "read");
    ConnectQuietly();
    const std::string request =
        write ? session_->Builder().BuildWriteQuadRequest("00000001", "FFFFF0400000") : ReadQuad();
    link().SendAndAwaitReply(request, PacketTcode(request));
    EXPECT_EQ(link().LastOutcome(), Outcome::NotConnected);
    EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"**NOT CONNECTED**"});
    EXPECT_EQ(std::count(peer_.requests.begin(), peer_.requests.end(), request), write ? 1 : 2);
  }
}

TEST_F(LinkTest, DroppedConnectionWithNoBrainSaysNotConnected) {
  ConnectQuietly();
  scanning_ = true;
  peer_.Stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return link().State() != Link::kStateConnected; }, 5000));
  const std::string request = ReadQuad();
  link().SendAndAwaitReply(request, kReadQuadRequest);
  EXPECT_EQ(link().LastOutcome(), Outcome::NotConnected);
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"**NOT CONNECTED**"});
  EXPECT_TRUE(link().StopRequested());
  EXPECT_EQ(toggles_, 1);
  EXPECT_NE(log().find("\nCould not send command - not connected."), std::string::npos);
  EXPECT_TRUE(peer_.requests.empty());
}

TEST_F(LinkTest, SecondTransactionWhileWaitingIsRefused) {
  ConnectQuietly();
  peer_.handler = [](ScriptedPeer& p, QTcpSocket& s, const std::string& request) {
    p.SendLater(s, 60, ScriptedPeer::DefaultAnswer(request));
  };
  Outcome inner = Outcome::Replied;
  bool busyInside = false;
  bool connectInside = false;
  QTimer::singleShot(10, [&] {
    busyInside = link().Busy();
    link().SendAndAwaitReply(ReadQuad(), kReadQuadRequest);
    inner = link().LastOutcome();
    connectInside = link().Connect(true);
  });
  const std::string outer = ReadQuad();
  link().SendAndAwaitReply(outer, kReadQuadRequest);

  EXPECT_TRUE(busyInside);
  EXPECT_EQ(inner, Outcome::Refused);
  EXPECT_TRUE(connectInside);  // refused, the connection stays as it was
  EXPECT_EQ(link().LastOutcome(), Outcome::Replied);
  EXPECT_EQ(link().LastReply(), ScriptedPeer::DefaultAnswer(outer));
  EXPECT_EQ(peer_.requests, std::vector<std::string>{outer});
  EXPECT_TRUE(prompter_.log.empty());  // no dialogs from a refused tick
  const std::string text = log();
  EXPECT_NE(text.find(std::string(kRefused) + std::string(kRefused)), std::string::npos) << text;
  EXPECT_EQ(text.find("Sending [Read Quad Request]"), text.rfind("Sending [Read Quad Request]"));
  EXPECT_EQ(peer_.connections, 1);
}

TEST_F(LinkTest, EmptyPacketIsLoggedNotSent) {
  link().SendAndAwaitReply("", kReadQuadRequest);  // not even connected: no attempt is made
  EXPECT_EQ(link().LastOutcome(), Outcome::Empty);
  EXPECT_EQ(log(), "\n\nSending [Read Quad Request]: ");
  EXPECT_EQ(peer_.connections, 0);
  EXPECT_TRUE(prompter_.log.empty());

  ConnectQuietly();
  link().SendAndAwaitReply("", kWriteQuadRequest);
  const std::string request = ReadQuad();
  link().SendAndAwaitReply(request, kReadQuadRequest);
  EXPECT_EQ(peer_.requests, std::vector<std::string>{request});
}

}  // namespace
}  // namespace kestrio
