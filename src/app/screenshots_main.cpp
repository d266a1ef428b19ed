// kestrio-screenshots: renders every window of the program against an embedded simulated brain and
// saves each as a PNG, so the user guide's pictures show the program as it is (`make screenshots`).
// Usage: kestrio-screenshots OUTPUT_DIR [EXAMPLE_CONFIGURATION]
// clang-format off
// The simulator header comes before any Qt header: its rack has a member named like Qt's `slots` keyword.
#include "sim/server.h"
// clang-format on

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "config/config_file.h"
#include "config/state_tables.h"
#include "config/summaries.h"
#include "core/session.h"
#include "points/points_service.h"
#include "protocol/memory_map.h"
#include "protocol/prompter.h"
#include "ui/alarm_window.h"
#include "ui/analog_dialogs.h"
#include "ui/brain_progress_window.h"
#include "ui/config_window.h"
#include "ui/digital_event_window.h"
#include "ui/main_window.h"
#include "ui/manual_window.h"
#include "ui/memory_map_window.h"
#include "ui/message_window.h"
#include "ui/name_window.h"
#include "ui/navigator.h"
#include "ui/option_page_window.h"
#include "ui/packet_decoder_window.h"
#include "ui/point_picker_window.h"
#include "ui/points_window.h"
#include "ui/serial_event_window.h"
#include "ui/status_window.h"
#include "ui/trend_window.h"
#include "ui/unit_window.h"
#include "ui/window_context.h"

namespace {

using namespace kestrio;

// Nothing may wait for an operator here: questions are answered Yes, and every message is echoed so
// a window that refused to fill shows up in the tool's output.
class EchoPrompter : public ScriptedPrompter {
 public:
  EchoPrompter() { defaultAnswer = Answer::Yes; }
  void Message(const std::string& text, const std::string& title) override {
    ScriptedPrompter::Message(text, title);
    std::cerr << "kestrio-screenshots: message: " << text << "\n";
  }
};

class Shooter {
 public:
  explicit Shooter(QDir out) : out_(std::move(out)) {}

  // Shows `w` (without a modal loop), lets it settle and saves it as NAME.png in 256 colours, which
  // keeps a window's picture to a few tens of kilobytes.
  void Shoot(QWidget* w, const char* name) {
    if (!w) {
      std::cerr << "kestrio-screenshots: no window for " << name << "\n";
      failed_ = true;
      return;
    }
    w->setWindowModality(Qt::NonModal);
    w->show();
    Settle();
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    const QString path = out_.filePath(QString(name) + ".png");
    if (!image.save(path)) {
      std::cerr << "kestrio-screenshots: could not write " << path.toStdString() << "\n";
      failed_ = true;
      return;
    }
    std::cout << path.toStdString() << "\n";
  }
  static void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  bool Failed() const { return failed_; }

 private:
  QDir out_;
  bool failed_ = false;
};

QAction* MenuEntry(QMenu* menu, const QString& caption) {
  for (QAction* a : menu->actions())
    if (a->text() == caption) return a;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName("kestrio-screenshots");
  if (argc < 2 || argc > 3) {
    std::fputs("usage: kestrio-screenshots OUTPUT_DIR [EXAMPLE_CONFIGURATION]\n", stderr);
    return 2;
  }
  QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.mkpath(".")) {
    std::fprintf(stderr, "kestrio-screenshots: cannot create %s\n", argv[1]);
    return 1;
  }

  EchoPrompter prompter;
  QDir settingsDir(QDir::temp().filePath("kestrio-screenshots"));
  settingsDir.mkpath(".");
  Session session(prompter, settingsDir.filePath("kestrio.ini").toStdString());
  if (std::string fatal; !session.LoadProductData(fatal)) {
    std::cerr << "kestrio-screenshots: " << fatal << "\n";
    return 1;
  }
  if (argc == 3 && !config::ImportConfigurationFile(session.Configuration(), argv[2], prompter)) return 1;

  sim::SimServer sim;
  if (!sim.Start("127.0.0.1", 0)) {
    std::cerr << "kestrio-screenshots: the simulated brain could not start: " << sim.Error() << "\n";
    return 1;
  }

  Shooter shoot(out);
  ui::FrmMain main(session);
  ui::WindowContext& context = main.Context();
  ui::MainNavigator& nav = main.Windows();
  main.SetDemoTarget("127.0.0.1", sim.Port());
  main.show();
  main.cmdConnect_Click();
  nav.OpenStatusWindow();
  shoot.Shoot(&main, "main-window");
  shoot.Shoot(nav.StatusWindow(), "status");

  // The memory map: the status area read as quadlets.
  nav.OpenMemoryMapWindow();
  if (ui::FrmMemoryMap* map = nav.MemoryMapWindow()) {
    map->optRead->click();
    map->cmbAddress->setEditText(QString::fromStdString(memory_map::AddressText(memory_map::kStatus.base)));
    map->txtNumberofQuadlets->setText("8");
    map->cmdDoAccess_Click();
  }
  shoot.Shoot(nav.MemoryMapWindow(), "memory-map");
  // "More" shows the EEPROM part: the brain's settings image read whole.
  if (ui::FrmMemoryMap* map = nav.MemoryMapWindow()) {
    map->cmdMoreLess_Click();
    map->optE2Read->click();
    map->cmdDoAuto_Click();
    map->resize(map->width(), map->sizeHint().height());
  }
  shoot.Shoot(nav.MemoryMapWindow(), "memory-map-eeprom");

  // A hand-made read of the kernel revision, then its reply in the packet decoder.
  nav.OpenManualPackets();
  if (ui::FrmManual* manual = nav.ManualWindow()) {
    manual->txtSendString->setText("000004400000FFFFF030001C");
    manual->btnSendString_Click();
  }
  shoot.Shoot(nav.ManualWindow(), "manual-packets");
  nav.ShowPacket(QString::fromStdString(session.Engine().LastReply()));
  shoot.Shoot(nav.PacketDecoder(), "packet-decoder");

  if (QAction* snmp = MenuEntry(main.mnuAdvanced, "S&NMP")) snmp->trigger();
  shoot.Shoot(nav.OptionPageWindow(), "option-page");

  // The points window in configure mode, then in values mode with a few scans for the trend.
  nav.OpenPointsWindow(true);
  // A click on an analog point's configuration box lists the types its module accepts.
  if (nav.PointsWindow()) nav.PointsWindow()->txtPointConfigType_Click(8);
  shoot.Shoot(nav.PointsWindow(), "points-configure");
  nav.ClosePointsWindow();
  Shooter::Settle();
  nav.OpenPointsWindow(false);
  ui::FrmConfigure* points = nav.PointsWindow();
  if (points) {
    // The two analog outputs follow a slow ramp and a wave while the window scans, so the values
    // and the trend show something moving.
    for (int i = 0; i < 60; ++i) {
      points::WriteAnalogPoints(session.Engine(), 12, std::to_string(2.0 + 0.1 * i));
      points::WriteAnalogPoints(session.Engine(), 28, std::to_string(5.0 * std::sin(i / 5.0)));
      points->btnRead_Click();
      QThread::msleep(100);
      Shooter::Settle();
    }
    shoot.Shoot(points, "points-values");
    points->btnTrend_Click();
    if (ui::FrmTrend* trend = points->TrendWindow()) {
      for (int p : trend->ChosenPoints()) trend->SetChosen(p, p == 12 || p == 28);
      trend->cmbWindow->setCurrentIndex(0);
      trend->Redraw();
    }
    shoot.Shoot(points->TrendWindow(), "trend");
    // A click on an analog output (point 12) and on an analog input (point 8) opens their dialogs;
    // here they are shown, pictured and left without a value.
    points->SetDialogs(
        [&](int, const std::string& range) -> std::optional<std::string> {
          ui::FrmAnalogOutputDataEntry dialog(prompter, QString::fromStdString(range), &main);
          dialog.txtNewValue->setText("4.5");
          shoot.Shoot(&dialog, "analog-output-entry");
          return std::nullopt;
        },
        [&](int point) {
          ui::FrmAnalogGainOffset dialog(session.Engine(), point,
                                         points->txtPoint[static_cast<std::size_t>(point)]->text(), &main);
          shoot.Shoot(&dialog, "gain-offset");
        });
    points->txtPoint_Click(12);
    points->txtPoint_Click(8);
    nav.ClosePointsWindow();
  }

  // The configuration window and its editors over the example configuration; each modal window is
  // built as its opener builds it and shown without a modal loop.
  {
    ui::FrmStateMain configuration(context, &main);
    configuration.Load();
    configuration.SetView(config::View::DigitalEvents);
    configuration.resize(900, 520);
    shoot.Shoot(&configuration, "configuration");

    ui::FrmNameChange name(context, config::View::Points, 8, &configuration);
    shoot.Shoot(&name, "name-window");
    ui::FrmNameTransitions event(context, 0, false, false, &configuration);
    shoot.Shoot(&event, "digital-event");
    ui::FrmNameTransitions timer(context, 0, true, false, &configuration);
    shoot.Shoot(&timer, "timer");
    ui::FrmNameAlarms alarm(context, 0, &configuration);
    shoot.Shoot(&alarm, "alarm");
    ui::FrmNameMessages message(context, 0, &configuration);
    shoot.Shoot(&message, "message");
    ui::FrmNameSerialEvents serial(context, 0, &configuration);
    shoot.Shoot(&serial, "serial-event");

    config::SetPickerCaller(session.Configuration(), config::kPickerState);
    ui::FrmAddAPoint picker(session.Configuration(), {}, {}, &event);
    shoot.Shoot(&picker, "picker");

    ui::FrmBrainProgress download(context, context.DownloadTarget(), context.RackReader(), &main);
    shoot.Shoot(&download, "download");
    configuration.hide();
  }

  // A whole-unit backup into a temporary folder, with the window that lists its outcome.
  {
    QTemporaryDir backupRoot;
    ui::UnitFileChoosers().backupFolder = [&](QWidget*) { return backupRoot.filePath("pump-station"); };
    ui::FrmUnitJob backup(context, ui::UnitJob::Backup, &main);
    if (backup.Start()) shoot.Shoot(&backup, "unit-backup");
  }

  nav.CloseAll();
  main.hide();
  session.Disconnect();
  sim.Stop();
  return shoot.Failed() ? 1 : 0;
}
