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

#include "core/session.h"
#include "ui/gui_prompter.h"
#include "ui/main_rules.h"
#include "ui/main_window.h"
#include "ui/navigator.h"
#include "ui/window_context.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Kestrio");
  QApplication::setOrganizationName("Brantel");
  QApplication::setOrganizationDomain("brantel.example");
  QApplication::setApplicationVersion(QString::fromStdString(kestrio::ui::VersionText()));

  QCommandLineParser parser;
  parser.setApplicationDescription("Commissioning utility for the Tessel Ethernet I/O brain.");
  parser.addHelpOption();
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
