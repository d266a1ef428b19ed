#pragma once
// The one owner of the process's state: built once in main() (and in each test) and handed out by
// reference. It owns the label counter, the request builder, the message log, the settings, the
// connection and its engine, the brain's status record and the scan registry; the later layers' tables
// (rack, module/point tables, option menu, configuration, download cancel flag) live here too.
// Connecting belongs here: it remembers the host and sends the power-up clear that follows every
// connection.
#include <string>

#include "core/scan_registry.h"
#include "memmap/status_service.h"
#include "protocol/packet.h"
#include "protocol/prompter.h"
#include "transport/connection.h"
#include "transport/message_log.h"
#include "transport/request_engine.h"
#include "transport/settings.h"

namespace kestrio {

class Session {
 public:
  // `settingsPath` empty: the machine's settings store; otherwise an INI file at that path.
  // Start-up reads the timeout and the last host from the settings.
  explicit Session(Prompter& prompter, const std::string& settingsPath = {});
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The host field's text ("host", "host:port", "[v6]:port"); used by the next Connect.
  void SetHost(const std::string& hostField) { host_ = hostField; }
  const std::string& Host() const { return host_; }

  // Stores the host under "Default_IP", (re)opens the connection, waits up to the timeout, reports
  // (message boxes only when showMessage), logs, and sends the power-up clear. True when connected.
  bool Connect(bool showMessage);
  // Closes the connection if open and logs "\nConnection closed.".
  void Disconnect();
  bool IsConnected() const { return connection_.IsConnected(); }

  int TimeoutSeconds() const { return engine_.TimeoutSeconds(); }
  // Sets the timeout and remembers it under "Default_TIMEOUT" (1..3000; others are ignored).
  void SetTimeoutSeconds(int seconds);

  Prompter& Ui() { return prompter_; }
  TransactionLabels& Labels() { return labels_; }
  PacketBuilder& Builder() { return builder_; }
  MessageLog& Log() { return log_; }
  Settings& SettingsStore() { return settings_; }
  Connection& GetConnection() { return connection_; }
  RequestEngine& Engine() { return engine_; }
  ScanRegistry& Scans() { return scans_; }
  // The brain's status as last read; every status read overwrites it.
  StatusRecord& Status() { return status_; }

 private:
  Prompter& prompter_;
  TransactionLabels labels_;
  PacketBuilder builder_;
  MessageLog log_;
  Settings settings_;
  Connection connection_;
  RequestEngine engine_;
  ScanRegistry scans_;
  StatusRecord status_;
  std::string host_;
};

}  // namespace kestrio
