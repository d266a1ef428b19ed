#include "ui/points_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "memmap/manual_packet.h"
#include "points/point_texts.h"
#include "points/points_service.h"
#include "points/rack_view.h"
#include "ui/analog_dialogs.h"
#include "ui/job_guard.h"
#include "ui/trend_window.h"
#include "ui/window_context.h"

namespace kestrio::ui {

namespace t = points::text;
using points::kPoints;
using points::kPointsPerSlot;
using points::kSlots;

namespace {

constexpr char kIndexProperty[] = "kestrioIndex";

QLineEdit* MakeBox(QWidget* parent, const QString& name, int index, int width) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  box->setReadOnly(true);
  box->setFocusPolicy(Qt::NoFocus);
  box->setMinimumWidth(width);
  box->setProperty(kIndexProperty, index);
  return box;
}

// One of the two frames of point boxes: rows of four, the first point's number on the left of each
// row and the last point's on the right.
QGridLayout* PointGrid(QGroupBox* frame, std::array<QLineEdit*, kPoints>& boxes, const char* name,
                       int width) {
  auto* grid = new QGridLayout();
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(2);
  for (int m = 0; m < kSlots; ++m) {
    grid->addWidget(new QLabel(QString::number(kPointsPerSlot * m), frame), m, 0, Qt::AlignRight);
    for (int k = 0; k < kPointsPerSlot; ++k) {
      const int p = kPointsPerSlot * m + k;
      boxes[static_cast<std::size_t>(p)] = MakeBox(frame, QString("%1%2").arg(name).arg(p), p, width);
      grid->addWidget(boxes[static_cast<std::size_t>(p)], m, 1 + k);
    }
    grid->addWidget(new QLabel(QString::number(kPointsPerSlot * m + kPointsPerSlot - 1), frame), m, 5);
  }
  return grid;
}

double NowSeconds() { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }

}  // namespace

FrmConfigure::FrmConfigure(WindowContext& context, bool configureMode, QWidget* parent)
    : QWidget(parent, Qt::Window),
      context_(context),
      configureMode_(configureMode),
      guard_(new JobGuard(this, context.Engine())) {
  setObjectName("frmConfigure");
  setWindowTitle(t::kWindowCaption);
  setAttribute(Qt::WA_DeleteOnClose);
  BuildWidgets();

  analogEntry_ = [this](int, const std::string& range) -> std::optional<std::string> {
    FrmAnalogOutputDataEntry dialog(context_.Ui(), QString::fromStdString(range), this);
    dialog.exec();
    return dialog.Value();
  };
  gainOffset_ = [this](int point) {
    FrmAnalogGainOffset dialog(context_.Engine(), point, txtPoint[static_cast<std::size_t>(point)]->text(),
                               this);
    dialog.exec();
  };

  scan_ = ScanRegistry::Registration(context_.Scans(), {[this] { return scanning_; },
                                                        [this] {
                                                          if (scanning_) ToggleScanning();
                                                        }});
  connect(&context_.Engine(), &RequestEngine::busyChanged, this, &FrmConfigure::UpdateButtons);
  UpdateButtons();
}

// The trend reads this window's samples: it goes first.
FrmConfigure::~FrmConfigure() { delete trendWindow_; }

FrmTrend* FrmConfigure::TrendWindow() const { return trendWindow_; }

void FrmConfigure::BuildWidgets() {
  menuBar = new QMenuBar(this);
  mnuHelp = menuBar->addAction(t::kHelpMenu);
  mnuHelp->setObjectName("mnuHelp");

  auto* modules = new QVBoxLayout();
  modules->setSpacing(2);
  modules->addWidget(new QLabel(t::kModuleHeading, this));
  auto* moduleGrid = new QGridLayout();
  moduleGrid->setVerticalSpacing(2);
  for (int m = 0; m < kSlots; ++m) {
    moduleGrid->addWidget(new QLabel(QString::number(m), this), m, 0, Qt::AlignRight);
    QLineEdit* box = MakeBox(this, QString("txtBaseType%1").arg(m), m, 190);
    box->setText(t::kNoModule);
    txtBaseType[static_cast<std::size_t>(m)] = box;
    moduleGrid->addWidget(box, m, 1);
  }
  modules->addLayout(moduleGrid);
  modules->addStretch(1);

  framePointVals = new QGroupBox(t::kValuesFrame, this);
  framePointVals->setObjectName("framePointVals");
  framePointVals->setLayout(PointGrid(framePointVals, txtPoint, "txtPoint", 84));

  framePointConfigs = new QGroupBox(t::kConfigsFrame, this);
  framePointConfigs->setObjectName("framePointConfigs");
  auto* configs = new QVBoxLayout(framePointConfigs);
  configGrid_ = PointGrid(framePointConfigs, txtPointConfigType, "txtPointConfigType", 140);
  configs->addLayout(configGrid_);
  btnReadPointConfigs = new QPushButton(t::kRefreshButton, framePointConfigs);
  btnReadPointConfigs->setObjectName("btnReadPointConfigs");
  auto* refreshRow = new QHBoxLayout();
  refreshRow->addStretch(1);
  refreshRow->addWidget(btnReadPointConfigs);
  configs->addLayout(refreshRow);
  // Floats over the boxes, outside the layout, until a box is clicked.
  lstPointConfigTypes = new QListWidget(framePointConfigs);
  lstPointConfigTypes->setObjectName("lstPointConfigTypes");
  lstPointConfigTypes->hide();

  frmAuto = new QGroupBox(t::kAutoFrame, this);
  frmAuto->setObjectName("frmAuto");
  btnRead = new QPushButton(t::kScanButton, frmAuto);
  btnRead->setObjectName("btnRead");
  btnAuto = new QPushButton(t::kAutoButton, frmAuto);
  btnAuto->setObjectName("btnAuto");
  btnScanTime = new QPushButton(t::kScanTimeButton, frmAuto);
  btnScanTime->setObjectName("btnScanTime");
  btnTrend = new QPushButton("Tre&nd...", frmAuto);
  btnTrend->setObjectName("btnTrend");
  btnTrend->setToolTip("Plot the analog points over time as they are scanned");
  auto* autoRow = new QHBoxLayout(frmAuto);
  for (QPushButton* b : {btnRead, btnAuto, btnScanTime, btnTrend}) autoRow->addWidget(b);
  tmrAutoScanner = new QTimer(this);
  tmrAutoScanner->setObjectName("tmrAutoScanner");
  tmrAutoScanner->setTimerType(Qt::PreciseTimer);
  tmrAutoScanner->setInterval(kDefaultScanTime);

  auto* right = new QVBoxLayout();
  right->addWidget(framePointVals);
  right->addWidget(framePointConfigs);
  right->addWidget(frmAuto);
  auto* body = new QHBoxLayout();
  body->addLayout(modules);
  body->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menuBar);
  layout->addLayout(body);

  // Only one frame of point boxes shows; scanning belongs to the values.
  framePointVals->setVisible(!configureMode_);
  frmAuto->setVisible(!configureMode_);
  framePointConfigs->setVisible(configureMode_);

  for (QLineEdit* box : txtPoint) box->installEventFilter(this);
  for (QLineEdit* box : txtPointConfigType) box->installEventFilter(this);
  connect(mnuHelp, &QAction::triggered, this, &FrmConfigure::mnuHelp_Click);
  connect(btnRead, &QPushButton::clicked, this, &FrmConfigure::btnRead_Click);
  connect(btnAuto, &QPushButton::clicked, this, &FrmConfigure::btnAuto_Click);
  connect(btnScanTime, &QPushButton::clicked, this, &FrmConfigure::btnScanTime_Click);
  connect(btnTrend, &QPushButton::clicked, this, &FrmConfigure::btnTrend_Click);
  connect(btnReadPointConfigs, &QPushButton::clicked, this, &FrmConfigure::btnReadPointConfigs_Click);
  connect(tmrAutoScanner, &QTimer::timeout, this, &FrmConfigure::tmrAutoScanner_Timer);
  connect(lstPointConfigTypes, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { lstPointConfigTypes_Click(lstPointConfigTypes->row(item)); });
}

void FrmConfigure::SetDialogs(AnalogEntry analogEntry, GainOffset gainOffset) {
  analogEntry_ = std::move(analogEntry);
  gainOffset_ = std::move(gainOffset);
}

void FrmConfigure::Load() {
  scanning_ = false;
  guard_->Run([this] {
    if (configureMode_) {
      for (QLineEdit* box : txtPointConfigType) box->setText(t::kNoPointConfig);
    }
    points::ReadRackPointTypes(context_.Engine(), context_.Rack());
    ShowPointModTypes();
    if (!configureMode_) DoScan();
  });
}

void FrmConfigure::ShowPointModTypes() {
  const points::RackView view =
      points::DescribeRack(context_.ModuleTables(), context_.Rack(), configureMode_);
  analogPointsPresent_ = view.AnalogPointsPresent;
  for (int m = 0; m < kSlots; ++m) {
    for (int k = 0; k < kPointsPerSlot; ++k) {
      const auto p = static_cast<std::size_t>(kPointsPerSlot * m + k);
      txtPointConfigType[p]->setText(QString::fromStdString(view.configTexts[p]));
    }
    const points::SlotView& slot = view.slotViews[static_cast<std::size_t>(m)];
    if (slot.unknownModule) {
      const points::Notice notice = points::UnknownModuleMessage(m);
      context_.Ui().Message(notice.text, notice.title);
    }
    txtBaseType[static_cast<std::size_t>(m)]->setText(QString::fromStdString(slot.text));
    SetWidened(m, slot.widenFirstConfig);
  }
  if (trendWindow_) trendWindow_->SetPoints(TrendPoints());
}

void FrmConfigure::SetWidened(int slot, bool wide) {
  const auto s = static_cast<std::size_t>(slot);
  if (widened_[s] == wide) return;
  widened_[s] = wide;
  QLineEdit* first = txtPointConfigType[s * kPointsPerSlot];
  configGrid_->removeWidget(first);
  configGrid_->addWidget(first, slot, 1, 1, wide ? kPointsPerSlot : 1);
  for (int k = 1; k < kPointsPerSlot; ++k) txtPointConfigType[s * kPointsPerSlot + k]->setVisible(!wide);
}

void FrmConfigure::UpdateButtons() {
  // Called on every change of the engine's busy state: setting a state a control already has costs
  // nothing, so scanning at 1 ms does not repaint the buttons.
  const bool busy = context_.Engine().Busy();
  btnRead->setEnabled(!scanning_ && !busy);
  btnScanTime->setEnabled(!scanning_);
  btnAuto->setText(scanning_ ? t::kManualButton : t::kAutoButton);
  if (configureMode_) btnReadPointConfigs->setEnabled(!busy);
}

void FrmConfigure::ToggleScanning() {
  scanning_ = !scanning_;
  if (scanning_) {
    tmrAutoScanner->start();
  } else {
    tmrAutoScanner->stop();
  }
  UpdateButtons();
}

void FrmConfigure::btnRead_Click() { ScanJob(); }

void FrmConfigure::tmrAutoScanner_Timer() {
  // A tick that finds a job of this window (or a transaction of another) still running is skipped.
  ScanJob();
}

void FrmConfigure::ScanJob() {
  guard_->Run([this] { DoScan(); });
  // A click that came while the scan waited for the brain is carried out now, in its own turn.
  if (pendingClick_ && !guard_->Running()) {
    const int point = *std::exchange(pendingClick_, std::nullopt);
    QTimer::singleShot(0, this, [this, point] { txtPoint_Click(point); });
  }
}

void FrmConfigure::DoScan() {
  const points::ScanResult r = points::Scan(context_.Engine(), context_.Rack(), context_.PointValueTexts());
  ++scansDone_;
  ShowValues(r.Shown());
  if (r.analog.decoded && r.analog.shown != 0) {
    const double now = NowSeconds();
    for (int p = 0; p < kPoints; ++p) {
      if (r.analog.shown & (std::uint64_t{1} << p))
        trend_.Add(p, now, r.analog.values[static_cast<std::size_t>(p)]);
    }
    if (trendWindow_) trendWindow_->SamplesAdded();
  }
}

void FrmConfigure::ShowValue(int point) {
  const auto p = static_cast<std::size_t>(point);
  const std::string& text = context_.PointValueTexts()[p];
  if (shown_[p] == text) return;
  shown_[p] = text;
  txtPoint[p]->setText(QString::fromStdString(text));
  ++boxesRedrawn_;
}

void FrmConfigure::ShowValues(std::uint64_t points) {
  for (int p = 0; p < kPoints; ++p) {
    if (points & (std::uint64_t{1} << p)) ShowValue(p);
  }
}

void FrmConfigure::btnScanTime_Click() {
  tmrAutoScanner->setInterval(AskScanTime(context_.Ui(), tmrAutoScanner->interval()));
}

void FrmConfigure::btnReadPointConfigs_Click() {
  guard_->Run([this] {
    points::ReadRackPointTypes(context_.Engine(), context_.Rack());
    ShowPointModTypes();
  });
}

void FrmConfigure::mnuHelp_Click() { context_.Ui().Message(t::kHelpText, t::kHelpTitle); }

void FrmConfigure::txtPoint_Click(int point) {
  if (configureMode_ || !points::IsPoint(point)) return;
  if (!guard_->Run([this, point] { RunClick(point); }) && guard_->Running()) pendingClick_ = point;
}

void FrmConfigure::RunClick(int point) {
  selectedPoint_ = point;
  const points::PointDialogs dialogs{
      [this, point](const std::string& range) { return analogEntry_(point, range); },
      [this](int p) { gainOffset_(p); }};
  const points::ClickResult r = points::ClickPoint(
      context_.Engine(),
      {context_.ModuleTables(), context_.Rack(), context_.PointValueTexts(), context_.PointScaling()}, point,
      dialogs);
  if (r.textChanged) ShowValue(point);
}

void FrmConfigure::txtPointConfigType_Click(int point) {
  if (!configureMode_ || !points::IsPoint(point)) return;
  QLineEdit* box = txtPointConfigType[static_cast<std::size_t>(point)];
  if (box->text().isEmpty()) return;
  lstPointConfigTypes->clear();
  selectedPoint_ = point;
  for (const points::PointTypeChoice& choice :
       context_.ModuleTables().OfferedPointTypes(context_.Rack().ModuleOf(point))) {
    auto* item = new QListWidgetItem(QString::fromStdString(choice.name), lstPointConfigTypes);
    item->setData(Qt::UserRole, static_cast<int>(choice.code));
  }
  if (lstPointConfigTypes->count() == 0) {
    lstPointConfigTypes->hide();
    return;
  }
  // Over the clicked box: its top and left, one row per item.
  const QPoint at = box->mapTo(framePointConfigs, QPoint(0, 0));
  const int rowHeight = lstPointConfigTypes->sizeHintForRow(0);
  const int width = std::max(box->width(), lstPointConfigTypes->sizeHintForColumn(0) + 12);
  lstPointConfigTypes->setGeometry(
      at.x(), at.y(), width,
      rowHeight * lstPointConfigTypes->count() + 2 * lstPointConfigTypes->frameWidth());
  lstPointConfigTypes->show();
  lstPointConfigTypes->raise();
}

void FrmConfigure::lstPointConfigTypes_Click(int row) {
  QListWidgetItem* item = lstPointConfigTypes->item(row);
  if (!item || !lstPointConfigTypes->isVisible()) return;
  const std::int32_t code = item->data(Qt::UserRole).toInt();
  const int point = selectedPoint_;
  lstPointConfigTypes->hide();
  txtPointConfigType[static_cast<std::size_t>(point)]->setText(item->text());
  const bool ran = guard_->Run([this, point, code] {
    const points::TypeChange change =
        points::ChangePointType(context_.Engine(), context_.Rack(), point, code);
    // After a failure the rack holds what the brain has (read back): the boxes show that.
    for (int p : change.points) {
      txtPointConfigType[static_cast<std::size_t>(p)]->setText(QString::fromStdString(
          points::PointConfigText(context_.ModuleTables(), context_.Rack().PointType(p))));
    }
  });
  if (!ran) {
    txtPointConfigType[static_cast<std::size_t>(point)]->setText(QString::fromStdString(
        points::PointConfigText(context_.ModuleTables(), context_.Rack().PointType(point))));
  }
}

std::vector<int> FrmConfigure::TrendPoints() const {
  std::vector<int> out;
  const points::RackTypes& rack = context_.Rack();
  for (int p = 0; p < kPoints; ++p) {
    if (rack.ModuleOf(p) != 0 && rack.PointType(p) != points::kNoPointType) out.push_back(p);
  }
  return out;
}

void FrmConfigure::btnTrend_Click() {
  if (!trendWindow_) {
    trendWindow_ = new FrmTrend(
        trend_, context_.Ui(), [this](int p) { return context_.PointName(p); }, this);
    trendWindow_->SetPoints(TrendPoints());
  }
  trendWindow_->show();
  trendWindow_->raise();
  trendWindow_->activateWindow();
}

bool FrmConfigure::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QVariant index = watched->property(kIndexProperty);
    if (mouse->button() == Qt::LeftButton && index.isValid()) {
      const int point = index.toInt();
      const bool value = watched->objectName().startsWith("txtPoint") &&
                         !watched->objectName().startsWith("txtPointConfigType");
      // Carried out after the event: a click may open a modal dialog or wait for the brain.
      QTimer::singleShot(0, this, [this, point, value] {
        if (value) {
          txtPoint_Click(point);
        } else {
          txtPointConfigType_Click(point);
        }
      });
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FrmConfigure::closeEvent(QCloseEvent* event) {
  // A closed window scans no more. (While a job waits, the job guard keeps it open.)
  if (scanning_) ToggleScanning();
  if (trendWindow_) trendWindow_->close();
  event->accept();
}

}  // namespace kestrio::ui
