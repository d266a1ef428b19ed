#pragma once
// The one owner of the process's state: built once in main() (and in each test) and handed out by
// reference. It owns the label counter, the request builder, the message log, the settings, the
// connection and its engine, the brain's status record and the scan registry; the later layers' tables
// (rack, module/point tables, option menu, configuration, download cancel flag) live here too.
// Connecting belongs here: it remembers the host and sends the power-up clear that follows every
// connection.
#include <string>

#include "config/state_tables.h"
#include "core/scan_registry.h"
#include "memmap/status_service.h"
#include "options/advanced_menu.h"
#include "points/module_point_file.h"
#include "points/rack.h"
#include "protocol/packet.h"
#include "protocol/prompter.h"
#include "transfer/loaded_items.h"
#include "transport/connection.h"
#include "transport/log_file.h"
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

  // Also appends every log line, time-stamped, to `path` (until StopLogFile). False, with `error`
  // saying why, when the file cannot be written.
  bool StartLogFile(const std::string& path, std::string& error);
  void StopLogFile();
  const LogFile& LogFileWriter() const { return logFile_; }

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

  // Start-up's product data: the Advanced menu (from Advanced.mnu; none when it is missing) and the
  // module/point tables (from ModulePointInfo.txt). False when the module file cannot be opened:
  // `fatal` then holds the message to show before the program ends.
  bool LoadProductData(std::string& fatal);
  const std::vector<options::MenuEntry>& AdvancedMenu() const { return menu_; }
  const points::ModulePointTables& ModuleTables() const { return moduleTables_; }

  // The rack as last read (module and point type codes), each point's last shown value and the scale
  // texts of analog points ("from", "to").
  points::RackTypes& Rack() { return rack_; }
  points::PointTexts& PointValueTexts() { return pointValues_; }
  points::PointScalingTable& PointScaling() { return scaling_; }

  // The event/reaction configuration, and the flag a running download tests before each record.
  config::StateGlobals& Configuration() { return configuration_; }
  bool& DownloadCancelled() { return downloadCancelled_; }
  // The configuration's items the brain may hold (loaded from it or a file, or uploaded since): an
  // upload clears on the brain those deleted since. An import notes its items with NoteLoaded.
  transfer::LoadedItems& LoadedConfiguration() { return loadedConfiguration_; }

 private:
  Prompter& prompter_;
  TransactionLabels labels_;
  PacketBuilder builder_;
  MessageLog log_;
  LogFile logFile_;
  Settings settings_;
  Connection connection_;
  RequestEngine engine_;
  ScanRegistry scans_;
  StatusRecord status_;
  std::string host_;
  std::vector<options::MenuEntry> menu_;
  points::ModulePointTables moduleTables_;
  points::RackTypes rack_;
  points::PointTexts pointValues_;
  points::PointScalingTable scaling_;
  config::StateGlobals configuration_;
  bool downloadCancelled_ = false;
  transfer::LoadedItems loadedConfiguration_;
};

}  // namespace kestrio
