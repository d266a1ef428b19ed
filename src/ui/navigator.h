#pragma once
// How windows open other windows. The main window's navigator creates each window on first use and
// only brings an open one to the front; the points, option page, configuration and download windows
// plug in here as they arrive.
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

namespace kestrio::config {
enum class Editor;
enum class View;
}  // namespace kestrio::config

namespace kestrio::ui {

class FrmConfigure;
class FrmMemoryMap;
class FrmManual;
class FrmPacketDecoder;
class FrmSNMP;
class FrmStatus;
class FrmStateMain;
class WindowContext;
enum class UnitJob;

class Navigator {
 public:
  virtual ~Navigator() = default;

  // The device status window; an open one is not read again.
  virtual void OpenStatusWindow() = 0;
  virtual void OpenMemoryMapWindow() = 0;
  virtual void OpenManualPackets() = 0;
  // An option page (frmSNMP) showing the page file at `pageFile`. While one is open, choosing
  // another page only brings the open one to the front, as it always has.
  virtual void OpenOptionPage(const QString& pageFile) = 0;
  // CONFIGURE (configure mode) and READ/WRITE open the points window; a new one each time.
  virtual void OpenPointsWindow(bool configureMode) = 0;
  virtual void ClosePointsWindow() = 0;
  // Configure Events/Timers: the download window when connected, the configuration window off-line
  // (both modal); afterwards every digital event and timer is back to "no state".
  virtual void OpenDownloadWindow() = 0;
  virtual void OpenConfigurationWindow() = 0;
  virtual void ResetEventStates() = 0;
  // The configuration window's editors, modal over `parent`: the name window for point or flag `item`
  // (`view` says which; true when a name was saved), and the editor Add or Modify opens on `item`
  // (-1: the editor takes a free item).
  virtual bool OpenNameWindow(config::View view, int item, QWidget* parent) = 0;
  virtual void OpenItemEditor(config::Editor editor, int item, QWidget* parent) = 0;
  // The packet decoder window, showing `packet` decoded.
  virtual void ShowPacket(const QString& packet) = 0;
  // The main window's round-trip label.
  virtual void ShowTxRxTime(const QString& text) = 0;
  // Back Up Unit, Restore Unit, Commissioning Report: a window that asks for the folder or file and
  // runs the job (ui/unit_window.h).
  virtual void OpenUnitJob(UnitJob job) = 0;
};

// The navigator of the desktop program: windows are children of `owner` (the main window).
class MainNavigator : public Navigator {
 public:
  MainNavigator(QWidget* owner, WindowContext& context) : owner_(owner), context_(context) {}

  void OpenStatusWindow() override;
  void OpenMemoryMapWindow() override;
  void OpenManualPackets() override;
  void OpenOptionPage(const QString& pageFile) override;
  void OpenPointsWindow(bool configureMode) override;
  void ClosePointsWindow() override;
  void OpenDownloadWindow() override;
  void OpenConfigurationWindow() override;
  void ResetEventStates() override;
  bool OpenNameWindow(config::View view, int item, QWidget* parent) override;
  void OpenItemEditor(config::Editor editor, int item, QWidget* parent) override;
  void ShowPacket(const QString& packet) override;
  void ShowTxRxTime(const QString& text) override;
  void OpenUnitJob(UnitJob job) override;

  // Where the round-trip time goes (the main window's label).
  void SetTxRxTimeSink(std::function<void(const QString&)> sink) { txRxSink_ = std::move(sink); }
  // Closes every window this navigator opened (the program is ending).
  void CloseAll();

  // The open windows, or nullptr.
  FrmStatus* StatusWindow() const;
  FrmMemoryMap* MemoryMapWindow() const;
  FrmManual* ManualWindow() const;
  FrmSNMP* OptionPageWindow() const;
  FrmConfigure* PointsWindow() const;
  FrmPacketDecoder* PacketDecoder();  // created on first use
  FrmStateMain* ConfigurationWindow() const;

 private:
  QWidget* owner_;
  WindowContext& context_;
  std::function<void(const QString&)> txRxSink_;
  QPointer<FrmStatus> status_;
  QPointer<FrmMemoryMap> memoryMap_;
  QPointer<FrmManual> manual_;
  QPointer<FrmConfigure> points_;
  QPointer<FrmPacketDecoder> decoder_;
  QPointer<FrmSNMP> optionPage_;
  QPointer<FrmStateMain> configuration_;
};

}  // namespace kestrio::ui
