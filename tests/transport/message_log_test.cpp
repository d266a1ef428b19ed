#include "transport/message_log.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <tuple>
#include <utility>

#include "protocol/reply.h"
#include "transport/host_address.h"
#include "transport/settings.h"

namespace kestrio {
namespace {

TEST(MessageLog, AppendsUntilTheCaretWouldPassTheLimitThenReplaces) {
  MessageLog log;
  QStringList appended, replaced;
  QObject::connect(&log, &MessageLog::appended, [&](const QString& t) { appended << t; });
  QObject::connect(&log, &MessageLog::replaced, [&](const QString& t) { replaced << t; });
  const std::string twenty = "\n0123456789012345678";

  log.AddMsg(std::string(9990, 'a'));
  log.AddMsg(std::string(10, 'b'));  // exactly 10000: still appended
  EXPECT_EQ(log.Text().size(), 10000);
  EXPECT_EQ(log.Caret(), 10000);
  log.AddMsg(twenty);
  EXPECT_EQ(log.Text(), QString::fromStdString(twenty));
  EXPECT_EQ(log.Caret(), 20);
  EXPECT_EQ(replaced, QStringList{QString::fromStdString(twenty)});

  // The rule counts from the caret, not from the end: a click near the start leaves room.
  log.Clear();
  log.AddMsg(std::string(9990, 'a'));
  log.SetCaret(5);
  log.AddMsg(twenty);
  EXPECT_EQ(log.Text().size(), 10010);
  EXPECT_EQ(log.Caret(), 10010);
  EXPECT_EQ(appended.back(), QString::fromStdString(twenty));

  // Lengths count what the window counts: a character beyond 16 bits takes two places.
  log.Clear();
  log.AddMsg(std::string(9996, 'a'));
  log.AddMsg("\xC3\xA9\xF0\x9F\x98\x80");  // e-acute and an emoji: three places
  EXPECT_EQ(log.Caret(), 9999);
  log.AddMsg("\xC3\xA9");
  EXPECT_EQ(log.Caret(), 10000);
  log.AddMsg("\xC3\xA9");  // one more passes the limit
  EXPECT_EQ(log.Utf8(), "\xC3\xA9");
  log.AddMsg(std::string(20, 'a') + "\xC3\xA9" + std::string(20, 'b') + "\xF0\x9F\x98\x80" +
             std::string(9, 'c'));
  EXPECT_EQ(log.Caret(), 1 + 20 + 1 + 20 + 2 + 9);
  EXPECT_EQ(log.Caret(), log.Text().size());

  log.SetCaret(-4);
  EXPECT_EQ(log.Caret(), 0);
  log.SetCaret(1 << 30);
  EXPECT_EQ(log.Caret(), 53);
}

TEST(MessageLog, MirrorSeesEveryText) {
  MessageLog log;
  std::string mirrored;
  log.SetMirror([&](const std::string& t) { mirrored += t; });
  log.AddMsg("\nOne");
  log.AddMsg(std::string(10001, 'x'));
  EXPECT_EQ(mirrored, "\nOne" + std::string(10001, 'x'));
}

// Defaults and the round trip of host and timeout are the main window's start-up test.
TEST(Settings, StoredTimeoutIsReadAsATypedNumberWithinLimitsAndAnUnwritableStoreIsSilent) {
  QTemporaryDir dir;
  const QString path = dir.filePath("settings.ini");
  const std::pair<const char*, int> cases[] = {{"2.5", 2},   {"3.5", 4},     {"12abc", 12},
                                               {"", 30},     {"abc", 30},    {"0", 30},
                                               {"3001", 30}, {"3000", 3000}, {"99999999999999999999999", 30}};
  for (const auto& [stored, timeout] : cases) {
    QSettings(path, QSettings::IniFormat).setValue("Default_TIMEOUT", QString(stored));
    EXPECT_EQ(Settings(path.toStdString()).DefaultTimeout(), timeout) << stored;
  }

  Settings unwritable("/proc/kestrio-no-such-dir/settings.ini");
  unwritable.SetDefaultIP("host");
  unwritable.SetDefaultTimeout(5);
  const int timeout = unwritable.DefaultTimeout();  // whatever the store kept, a usable value
  EXPECT_TRUE(timeout == 5 || timeout == 30);
}

TEST(HostField, HostPortAndBracketedV6) {
  const std::tuple<const char*, const char*, int> good[] = {{"brain7", "brain7", 2001},
                                                            {" 10.0.0.5:2345 ", "10.0.0.5", 2345},
                                                            {"[::1]:2400", "::1", 2400},
                                                            {"[fe80::1]", "fe80::1", 2001},
                                                            {"fe80::1", "fe80::1", 2001}};
  for (const auto& [text, host, port] : good) {
    const auto parsed = ParseHostField(text);
    ASSERT_TRUE(parsed) << text;
    EXPECT_EQ(parsed->host, host);
    EXPECT_EQ(parsed->port, port);
  }
  for (const char* bad :
       {"", "   ", "host:", "host:0", "host:65536", "host:12x", ":2001", "[::1", "[::1]x", "[]:2001"}) {
    EXPECT_FALSE(ParseHostField(bad)) << bad;
  }
}

TEST(TxRxTime, TenCharactersFourDecimals) {
  EXPECT_EQ(FormatTxRxTime(0), "    0.0000");
  EXPECT_EQ(FormatTxRxTime(0.0123), "    0.0123");
  EXPECT_EQ(FormatTxRxTime(123.45678), "  123.4568");
  EXPECT_EQ(FormatTxRxTime(3000), " 3000.0000");
  EXPECT_EQ(FormatTxRxTime(-1), "    0.0000");
}

}  // namespace
}  // namespace kestrio
