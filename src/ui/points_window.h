#pragma once
// frmConfigure ("Modules and Points"): the rack as the brain reports it. Configuration mode shows
// each point's configuration type and changes it from a list; values mode shows each point's value,
// scans once, on "&Scan" or on a timer ("&Auto"), writes outputs on a click and feeds the live trend.
//
// Device jobs (the load, a refresh, a scan, a click, a type change) run one at a time through the
// window's JobGuard: a scan tick that finds a job running is skipped, so scanning pauses while a
// point write (and its dialog) runs. Scanning registers with the scan registry, so the engine's
// timeout or "**NOT CONNECTED**" switches Auto off. A scan redraws only the boxes whose text changed.
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/scan_registry.h"
#include "points/rack.h"
#include "points/trend_samples.h"

class QCloseEvent;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenuBar;
class QPushButton;
class QTimer;

namespace kestrio::ui {

class FrmTrend;
class JobGuard;
class WindowContext;

class FrmConfigure : public QWidget {
  Q_OBJECT

 public:
  FrmConfigure(WindowContext& context, bool configureMode, QWidget* parent = nullptr);
  ~FrmConfigure() override;

  // The window's load: reads the rack, shows it and (values mode) scans once. Call once shown.
  void Load();

  bool ConfigureMode() const { return configureMode_; }
  bool Scanning() const { return scanning_; }
  bool AnalogPointsPresent() const { return analogPointsPresent_; }
  int SelectedPoint() const { return selectedPoint_; }
  // Scans carried out (for the benchmark), and box texts set by scans since the window opened.
  std::int64_t ScansDone() const { return scansDone_; }
  std::int64_t BoxesRedrawn() const { return boxesRedrawn_; }

  // The dialogs of a click, replaceable by tests: the analog output entry (the accepted value's
  // text, or nullopt for Cancel) and the gain/offset dialog.
  using AnalogEntry = std::function<std::optional<std::string>(int point, const std::string& range)>;
  using GainOffset = std::function<void(int point)>;
  void SetDialogs(AnalogEntry analogEntry, GainOffset gainOffset);

  const points::TrendSamples& TrendData() const { return trend_; }
  FrmTrend* TrendWindow() const;

 public slots:
  // Fills the module column and the configuration boxes from the rack; warns of unknown modules.
  void ShowPointModTypes();
  void ToggleScanning();
  void btnRead_Click();
  void btnAuto_Click() { ToggleScanning(); }
  void btnScanTime_Click();
  void btnReadPointConfigs_Click();
  void btnTrend_Click();
  void tmrAutoScanner_Timer();
  void mnuHelp_Click();
  // A click (or double click) on a value box, a configuration box, and the choice of a list item.
  void txtPoint_Click(int point);
  void txtPointConfigType_Click(int point);
  void lstPointConfigTypes_Click(int row);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildWidgets();
  void ScanJob();
  void DoScan();
  void RunClick(int point);
  void ShowValue(int point);
  void ShowValues(std::uint64_t points);
  void SetWidened(int slot, bool wide);
  void UpdateButtons();
  std::vector<int> TrendPoints() const;

  WindowContext& context_;
  const bool configureMode_;
  JobGuard* guard_;
  bool scanning_ = false;
  bool analogPointsPresent_ = false;
  int selectedPoint_ = 0;
  std::optional<int> pendingClick_;  // a click that came while a scan ran; carried out after it
  std::int64_t scansDone_ = 0;
  std::int64_t boxesRedrawn_ = 0;
  std::array<std::string, points::kPoints> shown_;  // what each value box shows
  std::array<bool, points::kSlots> widened_{};
  AnalogEntry analogEntry_;
  GainOffset gainOffset_;
  points::TrendSamples trend_;
  QPointer<FrmTrend> trendWindow_;
  QGridLayout* configGrid_ = nullptr;
  ScanRegistry::Registration scan_;

 public:
  QMenuBar* menuBar = nullptr;
  QAction* mnuHelp = nullptr;
  std::array<QLineEdit*, points::kSlots> txtBaseType{};
  QGroupBox* framePointVals = nullptr;
  std::array<QLineEdit*, points::kPoints> txtPoint{};
  QGroupBox* frmAuto = nullptr;
  QPushButton* btnRead = nullptr;
  QPushButton* btnAuto = nullptr;
  QPushButton* btnScanTime = nullptr;
  QPushButton* btnTrend = nullptr;
  QTimer* tmrAutoScanner = nullptr;
  QGroupBox* framePointConfigs = nullptr;
  std::array<QLineEdit*, points::kPoints> txtPointConfigType{};
  QPushButton* btnReadPointConfigs = nullptr;
  QListWidget* lstPointConfigTypes = nullptr;
};

}  // namespace kestrio::ui
