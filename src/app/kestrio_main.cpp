// kestrio: the desktop program. Builds the session and the main window; --demo starts a simulated
// brain inside the process so the program can be explored without hardware.
// clang-format off
// The simulator header comes before any Qt header: its rack has a member named like Qt's `slots` keyword.
#include "sim/server.h"
// clang-format on

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string_view>

#include "core/session.h"
#include "ui/gui_prompter.h"
#include "ui/main_rules.h"
#include "ui/main_window.h"
#include "ui/navigator.h"
#include "ui/window_context.h"

namespace {

constexpr char kManual[] =
    "NAME\n"
    "  kestrio - commissioning utility for the Tessel Ethernet I/O brain\n"
    "\n"
    "SYNOPSIS\n"
    "  kestrio [--demo] [--settings FILE] [Qt options]\n"
    "  kestrio --help | --version\n"
    "\n"
    "DESCRIPTION\n"
    "  The desktop program: type the brain's host name or IP address, press CONNECT, and work with the\n"
    "  brain through its memory map: the packet log and decoder, the status page and device commands,\n"
    "  the rack's points with scanning and trend, raw memory-map reads and writes with EEPROM data\n"
    "  files, hand-made packets, option pages and the event/reaction configuration, which is saved to\n"
    "  text files and uploaded to or downloaded from the brain.\n"
    "\n"
    "OPTIONS\n"
    "  --demo               start a simulated brain inside the program on a free loopback port and put\n"
    "                       its address in the host field\n"
    "  --settings FILE      keep the remembered host and timeout in this INI file instead of the\n"
    "                       desktop's settings store\n"
    "  -v, --version        the version\n"
    "  -h, --help           this text\n"
    "\n"
    "FILES\n"
    "  ModulePointInfo.txt  the modules and point types the program knows; without it the program\n"
    "                       does not start\n"
    "  Advanced.mnu, *.opt  the Advanced menu's option pages\n"
    "  Each is read from the working directory when there, otherwise from <prefix>/share/kestrio.\n"
    "  The user guide is <prefix>/share/doc/kestrio/guide.md (Help, How To Use Kestrio).\n"
    "\n"
    "EXIT STATUS\n"
    "  0 after the main window is closed, 1 when the module/point file cannot be read or the demo's\n"
    "  simulated brain cannot start\n"
    "\n"
    "SEE ALSO\n"
    "  kestrio-cli(1), kestrio-sim(1)\n";

}  // namespace

int main(int argc, char** argv) {
  // Help is given before the application object exists, so it works where no display is.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help" || arg == "--help-all") {
      std::fputs(kManual, stdout);
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("Kestrio");
  QApplication::setOrganizationName("Brantel");
  QApplication::setOrganizationDomain("brantel.example");
  QApplication::setApplicationVersion(QString::fromStdString(kestrio::ui::VersionText()));

  QCommandLineParser parser;
  parser.setApplicationDescription("Commissioning utility for the Tessel Ethernet I/O brain.");
  parser.addVersionOption();
  const QCommandLineOption demoOption(
      "demo", "Start a simulated brain in this process and point the host field at it.");
  const QCommandLineOption settingsOption("settings",
                                          "Keep the remembered host and timeout in this INI file.", "FILE");
  parser.addOption(demoOption);
  parser.addOption(settingsOption);
  parser.process(app);

  const bool demo = parser.isSet(demoOption);
  std::string settingsPath = parser.value(settingsOption).toStdString();
  // A demo remembers its throw-away loopback address in a settings file of its own, so the operator's
  // real last host survives.
  QTemporaryDir demoSettingsDir;
  if (demo && settingsPath.empty() && demoSettingsDir.isValid())
    settingsPath = demoSettingsDir.filePath("kestrio-demo.ini").toStdString();

  kestrio::ui::GuiPrompter prompter;
  kestrio::Session session(prompter, settingsPath);
  // The module/point file is the program's knowledge of the rack: without it there is nothing to show.
  if (std::string fatal; !session.LoadProductData(fatal)) {
    prompter.Message(fatal);
    return 1;
  }
  kestrio::ui::FrmMain window(session);
  prompter.SetParent(&window);
  prompter.SetStatusHook([&window] { window.Context().Navigate().OpenStatusWindow(); });
  QObject::connect(&window, &kestrio::ui::FrmMain::exitRequested, &app, &QApplication::quit,
                   Qt::QueuedConnection);

  std::unique_ptr<kestrio::sim::SimServer> sim;
  if (demo) {
    sim = std::make_unique<kestrio::sim::SimServer>();
    if (!sim->Start("127.0.0.1", 0)) {
      QMessageBox::critical(nullptr, "Kestrio",
                            "The simulated brain could not start: " + QString::fromStdString(sim->Error()));
      return 1;
    }
    window.SetDemoTarget("127.0.0.1", sim->Port());
  }

  window.show();
  // Start-up timing (bench/): once the events of showing the window are handled, say so and quit.
  if (qEnvironmentVariableIsSet("KESTRIO_EXIT_AFTER_SHOW")) {
    QTimer::singleShot(0, &app, [] {
      std::fputs("shown\n", stdout);
      std::fflush(stdout);
      QCoreApplication::quit();
    });
  }
  const int rc = app.exec();
  if (sim) sim->Stop();
  return rc;
}
