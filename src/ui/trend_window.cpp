#include "ui/trend_window.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <limits>

#include "memmap/atomic_file.h"
#include "protocol/prompter.h"

namespace kestrio::ui {

namespace {

constexpr int kRefreshMs = 250;
// Points per series: more than the plot has pixels across.
constexpr std::size_t kMaxPlotted = 1200;

double NowSeconds() { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }

}  // namespace

FrmTrend::FrmTrend(const points::TrendSamples& samples, Prompter& ui, std::function<std::string(int)> name,
                   QWidget* parent)
    : QWidget(parent, Qt::Window), samples_(samples), ui_(ui), name_(std::move(name)) {
  setObjectName("frmTrend");
  setWindowTitle("Trend");
  resize(820, 480);

  chart_ = new QChart();
  chart_->legend()->setAlignment(Qt::AlignBottom);
  axisX_ = new QValueAxis(chart_);
  axisX_->setTitleText("seconds (0 = now)");
  axisX_->setLabelFormat("%.0f");
  axisY_ = new QValueAxis(chart_);
  axisY_->setTitleText("value");
  chart_->addAxis(axisX_, Qt::AlignBottom);
  chart_->addAxis(axisY_, Qt::AlignLeft);
  chartView = new QChartView(chart_, this);
  chartView->setObjectName("chartView");
  chartView->setRenderHint(QPainter::Antialiasing);

  lstPoints = new QListWidget(this);
  lstPoints->setObjectName("lstPoints");
  lstPoints->setMaximumWidth(180);
  cmbWindow = new QComboBox(this);
  cmbWindow->setObjectName("cmbWindow");
  for (int minutes : {1, 2, 5, 10})
    cmbWindow->addItem(QString("last %1 minute%2").arg(minutes).arg(minutes == 1 ? "" : "s"), minutes * 60);
  cmbWindow->setCurrentIndex(1);
  btnPause = new QPushButton("&Pause", this);
  btnPause->setObjectName("btnPause");
  btnPause->setCheckable(true);
  btnExport = new QPushButton("&Export CSV...", this);
  btnExport->setObjectName("btnExport");

  auto* side = new QVBoxLayout();
  side->addWidget(new QLabel("Points:", this));
  side->addWidget(lstPoints, 1);
  side->addWidget(cmbWindow);
  side->addWidget(btnPause);
  side->addWidget(btnExport);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(chartView, 1);
  layout->addLayout(side);

  tmrRefresh = new QTimer(this);
  tmrRefresh->setInterval(kRefreshMs);
  connect(tmrRefresh, &QTimer::timeout, this, [this] {
    if (isVisible() && dirty_ && !Paused()) Redraw();
  });
  tmrRefresh->start();
  connect(lstPoints, &QListWidget::itemChanged, this, [this] { dirty_ = true; });
  connect(cmbWindow, &QComboBox::currentIndexChanged, this, [this] { dirty_ = true; });
  connect(btnPause, &QPushButton::toggled, this, [this](bool paused) {
    btnPause->setText(paused ? "&Resume" : "&Pause");
    if (!paused) dirty_ = true;
  });
  connect(btnExport, &QPushButton::clicked, this, &FrmTrend::btnExport_Click);

  chooseFile_ = [this] {
    return QFileDialog::getSaveFileName(this, "Export Trend", "trend.csv",
                                        "CSV files (*.csv);;All files (*)");
  };
}

QString FrmTrend::Label(int point) const {
  const std::string name = name_ ? name_(point) : std::string();
  return name.empty() ? QString::number(point)
                      : QString("%1  %2").arg(point).arg(QString::fromStdString(name));
}

void FrmTrend::SetPoints(const std::vector<int>& points) {
  const std::vector<int> chosen = ChosenPoints();
  std::vector<int> offered;
  for (int row = 0; row < lstPoints->count(); ++row)
    offered.push_back(lstPoints->item(row)->data(Qt::UserRole).toInt());
  const QSignalBlocker block(lstPoints);
  lstPoints->clear();
  for (int p : points) {
    auto* item = new QListWidgetItem(Label(p), lstPoints);
    item->setData(Qt::UserRole, p);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const bool wasOffered = std::find(offered.begin(), offered.end(), p) != offered.end();
    const bool wasChosen = std::find(chosen.begin(), chosen.end(), p) != chosen.end();
    item->setCheckState(!wasOffered || wasChosen ? Qt::Checked : Qt::Unchecked);
  }
  dirty_ = true;
}

std::vector<int> FrmTrend::ChosenPoints() const {
  std::vector<int> out;
  for (int row = 0; row < lstPoints->count(); ++row) {
    const QListWidgetItem* item = lstPoints->item(row);
    if (item->checkState() == Qt::Checked) out.push_back(item->data(Qt::UserRole).toInt());
  }
  std::sort(out.begin(), out.end());
  return out;
}

void FrmTrend::SetChosen(int point, bool chosen) {
  for (int row = 0; row < lstPoints->count(); ++row) {
    QListWidgetItem* item = lstPoints->item(row);
    if (item->data(Qt::UserRole).toInt() == point) item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
  }
}

bool FrmTrend::Paused() const { return btnPause->isChecked(); }

int FrmTrend::WindowSeconds() const { return cmbWindow->currentData().toInt(); }

int FrmTrend::Redraw() {
  dirty_ = false;
  chart_->removeAllSeries();
  const double now = NowSeconds();
  const double from = now - WindowSeconds();
  double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
  int plotted = 0;
  for (int p : ChosenPoints()) {
    const std::vector<points::TrendSample> window = samples_.Window(p, from, now, kMaxPlotted);
    auto* series = new QLineSeries(chart_);
    series->setName(Label(p));
    // A point keeps its colour from one redraw to the next, and neighbours differ.
    series->setColor(QColor::fromHsv((p * 47) % 360, 200, 200));
    QList<QPointF> xy;
    xy.reserve(static_cast<qsizetype>(window.size()));
    for (const points::TrendSample& s : window) {
      xy.append(QPointF(s.t - now, s.value));
      low = std::min(low, static_cast<double>(s.value));
      high = std::max(high, static_cast<double>(s.value));
    }
    series->replace(xy);
    chart_->addSeries(series);
    series->attachAxis(axisX_);
    series->attachAxis(axisY_);
    ++plotted;
  }
  axisX_->setRange(-WindowSeconds(), 0);
  if (low > high) {
    low = 0;
    high = 1;
  }
  const double margin = std::max((high - low) * 0.05, 0.5);
  axisY_->setRange(low - margin, high + margin);
  return plotted;
}

bool FrmTrend::ExportCsv(const QString& path) {
  const std::string csv = points::TrendCsv(samples_, ChosenPoints(), name_, [](double t) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(t * 1000.0 + 0.5))
        .toString(Qt::ISODateWithMs)
        .toStdString();
  });
  std::string error;
  if (AtomicSave(path.toStdString(), csv, error)) return true;
  ui_.Message(error);
  return false;
}

void FrmTrend::btnExport_Click() {
  const QString path = chooseFile_ ? chooseFile_() : QString();
  if (!path.isEmpty()) ExportCsv(path);
}

}  // namespace kestrio::ui
