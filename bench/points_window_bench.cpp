// clang-format off
// The simulator header comes before any Qt header: its rack has a member named like Qt's `slots` keyword.
#include "sim/server.h"
// clang-format on

#include "points_window_bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

#include "core/session.h"
#include "stats.h"
#include "ui/points_window.h"
#include "ui/window_context.h"

namespace kestrio::bench {

namespace {

constexpr int kProbeMs = 10;
constexpr int kShortestScanMs = 1;
constexpr char kResultWord[] = "points-window";

}  // namespace

int RunPointsWindowChild(int argc, char** argv) {
  double seconds = 10;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::max(0.5, std::atof(argv[i + 1]));
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  sim::SimServer sim;
  QTemporaryDir dir;
  ScriptedPrompter prompter;
  if (!dir.isValid() || !sim.Start("127.0.0.1", 0)) {
    std::printf("%s error=simulator\n", kResultWord);
    return 1;
  }
  Session session(prompter, dir.filePath("settings.ini").toStdString());
  std::string fatal;
  session.SetHost("127.0.0.1:" + std::to_string(sim.Port()));
  session.SetTimeoutSeconds(10);
  if (!session.LoadProductData(fatal) || !session.Connect(false)) {
    std::printf("%s error=connect\n", kResultWord);
    return 1;
  }
  ui::WindowContext context(session);
  ui::FrmConfigure window(context, false);
  window.setAttribute(Qt::WA_DeleteOnClose, false);  // it lives on this stack
  window.show();
  window.Load();
  window.tmrAutoScanner->setInterval(kShortestScanMs);
  prompter.Clear();  // the default rack's unknown module was announced while loading

  std::vector<double> lateMs;
  QElapsedTimer clock;
  qint64 lastNs = -1;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(kProbeMs);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    if (lastNs >= 0) lateMs.push_back(std::max(0.0, static_cast<double>(now - lastNs) / 1e6 - kProbeMs));
    lastNs = now;
  });
  std::int64_t scansBefore = 0, scans = 0, boxesBefore = 0, boxes = 0;
  double elapsed = 0;
  bool finished = false;
  QTimer::singleShot(0, [&] {
    scansBefore = window.ScansDone();
    boxesBefore = window.BoxesRedrawn();
    clock.start();
    window.ToggleScanning();
    probe.start();
  });
  QTimer::singleShot(static_cast<int>(seconds * 1000), [&] {
    elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    scans = window.ScansDone() - scansBefore;
    boxes = window.BoxesRedrawn() - boxesBefore;
    probe.stop();
    if (window.Scanning()) window.ToggleScanning();
    finished = true;
  });
  // Quit from the main loop only, once no scan waits inside the engine.
  QTimer done;
  QObject::connect(&done, &QTimer::timeout, [&] {
    if (finished && !session.Engine().Busy()) app.quit();
  });
  done.start(kProbeMs);
  app.exec();
  session.Disconnect();
  sim.Stop();

  std::printf("%s p99_ms=%.4f max_ms=%.4f ticks=%zu scans=%lld seconds=%.4f boxes=%lld messages=%zu\n",
              kResultWord, Percentile(lateMs, 0.99), Percentile(lateMs, 1.0), lateMs.size(),
              static_cast<long long>(scans), elapsed, static_cast<long long>(boxes), prompter.log.size());
  std::fflush(stdout);
  return prompter.log.empty() ? 0 : 1;
}

PointsWindowResult MeasurePointsWindow(const std::string& binary, double seconds) {
  PointsWindowResult r;
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::SeparateChannels);
  child.start(QString::fromStdString(binary),
              {"--points-window-child", "--seconds", QString::number(seconds)});
  if (!child.waitForStarted(10000)) {
    r.note = "the window's child process did not start";
    return r;
  }
  if (!child.waitForFinished(static_cast<int>(seconds * 1000) + 60000)) {
    child.kill();
    child.waitForFinished(5000);
    r.note = "the window's child process did not finish";
    return r;
  }
  const std::string out = child.readAllStandardOutput().toStdString();
  const auto at = out.find(std::string(kResultWord) + " p99_ms=");
  if (at == std::string::npos || child.exitCode() != 0) {
    r.note = "the window's run failed: " + out + child.readAllStandardError().toStdString();
    return r;
  }
  std::istringstream in(out.substr(at + std::strlen(kResultWord)));
  for (std::string field; in >> field;) {
    const auto eq = field.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = field.substr(0, eq);
    const double value = std::atof(field.c_str() + eq + 1);
    if (key == "p99_ms") r.delayP99Ms = value;
    if (key == "max_ms") r.delayMaxMs = value;
    if (key == "ticks") r.ticks = static_cast<std::int64_t>(value);
    if (key == "scans") r.scans = static_cast<std::int64_t>(value);
    if (key == "seconds") r.seconds = value;
    if (key == "boxes") r.boxesRedrawn = static_cast<std::int64_t>(value);
  }
  r.measured = r.seconds > 0 && r.ticks > 0;
  r.scanRateVsAsked =
      r.seconds > 0 ? static_cast<double>(r.scans) / r.seconds / (1000.0 / kShortestScanMs) : 0;
  r.note = r.measured ? "values mode, default rack, scan time 1 ms, offscreen" : "no figures in: " + out;
  return r;
}

}  // namespace kestrio::bench
