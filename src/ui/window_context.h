#pragma once
// What a window may use of the session: the engine (services' door to the brain, and its busy
// signal), the prompter, the log, the status record, the scan registry, the rack and its tables,
// and the navigator that opens other windows. No window reaches the connection or the socket.
#include <string>

#include "core/session.h"
#include "points/points_service.h"
#include "transfer/brain_reader.h"

namespace kestrio::ui {

class Navigator;

class WindowContext {
 public:
  explicit WindowContext(Session& session) : session_(session) {}
  void SetNavigator(Navigator& navigator) { navigator_ = &navigator; }

  RequestEngine& Engine() { return session_.Engine(); }
  Prompter& Ui() { return session_.Ui(); }
  MessageLog& Log() { return session_.Log(); }
  StatusRecord& Status() { return session_.Status(); }
  ScanRegistry& Scans() { return session_.Scans(); }
  Navigator& Navigate() { return *navigator_; }

  // The rack as the points window shows it: the module/point tables, the codes the brain reported,
  // each point's last shown value and the scale texts of analog points.
  const points::ModulePointTables& ModuleTables() const { return session_.ModuleTables(); }
  points::RackTypes& Rack() { return session_.Rack(); }
  points::PointTexts& PointValueTexts() { return session_.PointValueTexts(); }
  points::PointScalingTable& PointScaling() { return session_.PointScaling(); }
  // The name the configuration gives point 0..63 ("" when unnamed or outside the rack).
  std::string PointName(int point) const {
    if (point < 0 || point >= points::kPoints) return {};
    return session_.Configuration().pointNames[static_cast<std::size_t>(point)].name;
  }

  bool IsConnected() const { return session_.IsConnected(); }
  // The brain's IP address as the connection reports it, "" when not connected.
  std::string PeerAddress() const { return session_.GetConnection().PeerAddress(); }

  // The main window's own operations.
  const std::string& Host() const { return session_.Host(); }
  void SetHost(const std::string& host) { session_.SetHost(host); }
  bool Connect(bool showMessage) { return session_.Connect(showMessage); }
  void Disconnect() { session_.Disconnect(); }
  bool StartLogFile(const std::string& path, std::string& error) { return session_.StartLogFile(path, error); }
  void StopLogFile() { session_.StopLogFile(); }
  int TimeoutSeconds() const { return session_.TimeoutSeconds(); }
  void SetTimeoutSeconds(int seconds) { session_.SetTimeoutSeconds(seconds); }

  // The configuration window's: the event/reaction configuration, and the type name of point p as
  // the last rack read found it ("" when it gave none) for its points view.
  config::StateGlobals& Configuration() { return session_.Configuration(); }
  // The download's target (the session's configuration, cancel flag, loaded items and rack) and its
  // rack read, which honours the cancel flag.
  transfer::DownloadTarget DownloadTarget() {
    return {session_.Configuration(), session_.DownloadCancelled(), session_.LoadedConfiguration(),
            &session_.Rack()};
  }
  transfer::RackReader RackReader() {
    return [this](points::RackTypes& rack) {
      return points::ReadRackPointTypes(session_.Engine(), rack, &session_.DownloadCancelled()).Complete();
    };
  }
  transfer::LoadedItems& LoadedConfiguration() { return session_.LoadedConfiguration(); }
  // The whole-unit jobs (backup, restore, report) read and write every part of the unit through the
  // unit layer's services, which take the session itself.
  Session& UnitSession() { return session_; }
  std::string RackPointTypeName(int point) {
    const auto name = session_.ModuleTables().PointTypeName(session_.Rack().PointType(point));
    return name ? std::string(*name) : std::string();
  }

 private:
  Session& session_;
  Navigator* navigator_ = nullptr;
};

}  // namespace kestrio::ui
