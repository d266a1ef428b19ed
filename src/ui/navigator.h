#pragma once
// How windows open other windows. The main window's navigator creates each window on first use and
// only brings an open one to the front; the points, option page, configuration and download windows
// plug in here as they arrive.
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

namespace kestrio::ui {

class FrmConfigure;
class FrmMemoryMap;
class FrmManual;
class FrmPacketDecoder;
class FrmStatus;
class WindowContext;

class Navigator {
 public:
  virtual ~Navigator() = default;

  // The device status window; an open one is not read again.
  virtual void OpenStatusWindow() = 0;
  virtual void OpenMemoryMapWindow() = 0;
  virtual void OpenManualPackets() = 0;
  // CONFIGURE (configure mode) and READ/WRITE open the points window; a new one each time.
  virtual void OpenPointsWindow(bool configureMode) = 0;
  virtual void ClosePointsWindow() = 0;
  // Configure Events/Timers: the download window when connected, the configuration window off-line
  // (both modal); afterwards every digital event and timer is back to "no state".
  virtual void OpenDownloadWindow() = 0;
  virtual void OpenConfigurationWindow() = 0;
  virtual void ResetEventStates() = 0;
  // The packet decoder window, showing `packet` decoded.
  virtual void ShowPacket(const QString& packet) = 0;
  // The main window's round-trip label.
  virtual void ShowTxRxTime(const QString& text) = 0;
};

// The navigator of the desktop program: windows are children of `owner` (the main window).
class MainNavigator : public Navigator {
 public:
  MainNavigator(QWidget* owner, WindowContext& context) : owner_(owner), context_(context) {}

  void OpenStatusWindow() override;
  void OpenMemoryMapWindow() override;
  void OpenManualPackets() override;
  void OpenPointsWindow(bool configureMode) override;
  void ClosePointsWindow() override;
  void OpenDownloadWindow() override;
  void OpenConfigurationWindow() override;
  void ResetEventStates() override;
  void ShowPacket(const QString& packet) override;
  void ShowTxRxTime(const QString& text) override;

  // Where the round-trip time goes (the main window's label).
  void SetTxRxTimeSink(std::function<void(const QString&)> sink) { txRxSink_ = std::move(sink); }
  // Closes every window this navigator opened (the program is ending).
  void CloseAll();

  // The open windows, or nullptr.
  FrmStatus* StatusWindow() const;
  FrmMemoryMap* MemoryMapWindow() const;
  FrmManual* ManualWindow() const;
  FrmConfigure* PointsWindow() const;
  FrmPacketDecoder* PacketDecoder();  // created on first use

 private:
  QWidget* owner_;
  WindowContext& context_;
  std::function<void(const QString&)> txRxSink_;
  QPointer<FrmStatus> status_;
  QPointer<FrmMemoryMap> memoryMap_;
  QPointer<FrmManual> manual_;
  QPointer<FrmConfigure> points_;
  QPointer<FrmPacketDecoder> decoder_;
};

}  // namespace kestrio::ui
