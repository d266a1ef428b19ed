#include "core/session.h"

#include "core/data_files.h"
#include "memmap/device_commands.h"
#include "transport/host_address.h"

namespace kestrio {

Session::Session(Prompter& prompter, const std::string& settingsPath)
    : prompter_(prompter),
      builder_(labels_, prompter_),
      settings_(settingsPath),
      connection_(log_),
      engine_(connection_, builder_, prompter_, log_) {
  engine_.SetTimeoutSeconds(settings_.DefaultTimeout());
  engine_.SetReconnect([this] { return Connect(false); });
  engine_.SetScanControl(&scans_);
  host_ = settings_.DefaultIP();
}

void Session::SetTimeoutSeconds(int seconds) {
  if (seconds < Settings::kMinTimeout || seconds > Settings::kMaxTimeout) return;
  engine_.SetTimeoutSeconds(seconds);
  settings_.SetDefaultTimeout(seconds);
}

bool Session::Connect(bool showMessage) {
  if (engine_.Busy()) {
    log_.AddMsg(kRequestRefusedText);
    return IsConnected();
  }
  settings_.SetDefaultIP(host_);
  const RequestEngine::Opened opened = engine_.OpenConnection(host_);
  if (opened == RequestEngine::Opened::Refused) return IsConnected();
  if (opened == RequestEngine::Opened::HostNotFound) {
    prompter_.Message("Could not connect to: " + host_);
    return false;
  }
  const bool connected = opened == RequestEngine::Opened::Connected;
  const std::string hostPart = ParseHostField(host_)->host;
  if (showMessage) {
    if (connected) {
      prompter_.Message("\nConnected to: " + hostPart);
    } else {
      log_.AddMsg("\nCould not connect to: ");
      prompter_.Message("\nCould not connect to: " + host_);
    }
  }
  std::string remote = hostPart;
  if (connected) {
    const std::string ip = connection_.PeerAddress();
    if (!ip.empty() && ip != remote) remote += " (" + ip + ")";
  }
  log_.AddMsg(remote);
  if (!connected) {
    log_.AddMsg(kNotConnectedLog);
    return false;
  }
  // The power-up clear belongs to this connection: it must not reconnect on its own.
  RequestEngine::NoReconnect once(engine_);
  RunDeviceCommand(engine_, DeviceCommand::PowerUpClear);
  return IsConnected();
}

bool Session::LoadProductData(std::string& fatal) {
  menu_ = options::LoadAdvancedMenu(FindDataFile("Advanced.mnu"));
  rack_ = {};
  points::ModulePointFile file = points::LoadModulePointInfo(FindDataFile(points::kModulePointFileName), prompter_);
  if (!file.Opened()) {
    fatal = file.fatalError;
    return false;
  }
  moduleTables_ = std::move(file.tables);
  return true;
}

bool Session::StartLogFile(const std::string& path, std::string& error) {
  StopLogFile();
  if (!logFile_.Open(path, error)) return false;
  log_.SetMirror([this](const std::string& text) { logFile_.AddMsg(text); });
  return true;
}

void Session::StopLogFile() {
  log_.SetMirror({});
  logFile_.Close();
}

void Session::Disconnect() {
  if (connection_.State() != ConnectionState::Closed) connection_.Close();
  log_.AddMsg("\nConnection closed.");
}

}  // namespace kestrio
