#pragma once
// The live trend of the points window in values mode ("Trend"): the analog points plotted over time
// from the scans' own samples. It never sends a request. The operator chooses the points, the time
// window (the last minutes), pauses the plot (samples keep being collected) and exports the samples
// as CSV (point, name, time, value). The plot is redrawn at most a few times a second, however fast
// the scans come.
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "points/trend_samples.h"

class QChart;
class QChartView;
class QComboBox;
class QListWidget;
class QPushButton;
class QTimer;
class QValueAxis;

namespace kestrio {
class Prompter;
}

namespace kestrio::ui {

class FrmTrend : public QWidget {
  Q_OBJECT

 public:
  // `name` gives a point's name ("" when unnamed).
  FrmTrend(const points::TrendSamples& samples, Prompter& ui, std::function<std::string(int)> name,
           QWidget* parent = nullptr);

  // The analog points offered; newly offered points start chosen.
  void SetPoints(const std::vector<int>& points);
  // The chosen points, ascending.
  std::vector<int> ChosenPoints() const;
  void SetChosen(int point, bool chosen);
  // A scan added samples: the plot is redrawn on the next refresh unless paused.
  void SamplesAdded() { dirty_ = true; }
  bool Paused() const;
  // The time window in seconds (the last N minutes).
  int WindowSeconds() const;
  // Redraws now (the refresh timer does this while visible); the number of plotted series.
  int Redraw();
  // Writes the chosen points' samples to `path` (AtomicSave: the old file survives a failure); false
  // after saying why.
  bool ExportCsv(const QString& path);

  using FileChooser = std::function<QString()>;
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

 public slots:
  void btnExport_Click();

 private:
  QString Label(int point) const;

  const points::TrendSamples& samples_;
  Prompter& ui_;
  std::function<std::string(int)> name_;
  FileChooser chooseFile_;
  bool dirty_ = true;
  QChart* chart_ = nullptr;
  QValueAxis* axisX_ = nullptr;
  QValueAxis* axisY_ = nullptr;

 public:
  QChartView* chartView = nullptr;
  QListWidget* lstPoints = nullptr;
  QComboBox* cmbWindow = nullptr;
  QPushButton* btnPause = nullptr;
  QPushButton* btnExport = nullptr;
  QTimer* tmrRefresh = nullptr;
};

}  // namespace kestrio::ui
