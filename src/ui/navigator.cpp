#include "ui/navigator.h"

#include <QWidget>

#include "config/state_tables.h"
#include "ui/config_window.h"
#include "ui/manual_window.h"
#include "ui/memory_map_window.h"
#include "ui/option_page_window.h"
#include "transfer/loaded_items.h"
#include "ui/brain_progress_window.h"
#include "ui/item_editors.h"
#include "ui/name_window.h"
#include "ui/packet_decoder_window.h"
#include "ui/points_window.h"
#include "ui/status_window.h"
#include "ui/unit_window.h"
#include "ui/window_context.h"

namespace kestrio::ui {

namespace {

void BringToFront(QWidget* w) {
  w->show();
  w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
  w->raise();
  w->activateWindow();
}

}  // namespace

void MainNavigator::OpenStatusWindow() {
  if (!status_) {
    status_ = new FrmStatus(context_, owner_);
    status_->Load();
  }
  BringToFront(status_);
}

void MainNavigator::OpenMemoryMapWindow() {
  if (!memoryMap_) {
    memoryMap_ = new FrmMemoryMap(context_, owner_);
    memoryMap_->Load();
  }
  BringToFront(memoryMap_);
}

void MainNavigator::OpenManualPackets() {
  if (!manual_) manual_ = new FrmManual(context_, owner_);
  BringToFront(manual_);
}

void MainNavigator::OpenOptionPage(const QString& pageFile) {
  if (!optionPage_) {
    optionPage_ = new FrmSNMP(context_, pageFile, owner_);
    optionPage_->Load();
  }
  BringToFront(optionPage_);
}

FrmSNMP* MainNavigator::OptionPageWindow() const { return optionPage_; }

// Connected, the configuration is read from the brain first; the configuration window follows a
// download that ran (not one closed with Cancel before OK).
void MainNavigator::OpenDownloadWindow() {
  if (!ImportFromBrain(context_, context_.DownloadTarget(), context_.RackReader(), owner_)) return;
  if (!configuration_ || !configuration_->isVisible()) OpenConfigurationWindow();
}

// One configuration window, kept between uses so the next save proposes the file last imported.
void MainNavigator::OpenConfigurationWindow() {
  if (!configuration_) configuration_ = new FrmStateMain(context_, owner_);
  configuration_->Load();
  configuration_->exec();
}

// What counts as loaded is reset with them: an event reset here is not one the operator deleted.
void MainNavigator::ResetEventStates() {
  transfer::ResetEventStates(context_.Configuration(), context_.LoadedConfiguration());
}

bool MainNavigator::OpenNameWindow(config::View view, int item, QWidget* parent) {
  FrmNameChange window(context_, view, item, parent);
  window.exec();
  return window.Saved();
}

// The digital event/timer, alarm, message and serial event editors plug in here.
void MainNavigator::OpenItemEditor(config::Editor editor, int item, QWidget* parent) {
  switch (editor) {
    case config::Editor::DigitalEvent:
    case config::Editor::Timer:
      EditDigitalEventOrTimer(context_, item, editor == config::Editor::Timer, parent);
      break;
    case config::Editor::Alarm:
      EditAlarm(context_, item, parent);
      break;
    case config::Editor::Message:
      EditMessage(context_, item, parent);
      break;
    case config::Editor::SerialEvent:
      EditSerialEvent(context_, item, parent);
      break;
    case config::Editor::Name:
    case config::Editor::None:
      break;  // names have their own window; nothing else opens
  }
}

FrmStateMain* MainNavigator::ConfigurationWindow() const { return configuration_; }
void MainNavigator::OpenPointsWindow(bool configureMode) {
  // A window whose job still waits could not close: it stays, brought forward, and no second one opens.
  if (points_ && points_->isVisible()) {
    BringToFront(points_);
    return;
  }
  points_ = new FrmConfigure(context_, configureMode, owner_);
  BringToFront(points_);
  points_->Load();
}

void MainNavigator::ClosePointsWindow() {
  if (points_) points_->close();
}


FrmStatus* MainNavigator::StatusWindow() const { return status_; }
FrmMemoryMap* MainNavigator::MemoryMapWindow() const { return memoryMap_; }
FrmManual* MainNavigator::ManualWindow() const { return manual_; }
FrmConfigure* MainNavigator::PointsWindow() const { return points_; }

FrmPacketDecoder* MainNavigator::PacketDecoder() {
  if (!decoder_) decoder_ = new FrmPacketDecoder(owner_);
  return decoder_;
}

void MainNavigator::ShowPacket(const QString& packet) { PacketDecoder()->ShowPacket(packet); }

void MainNavigator::ShowTxRxTime(const QString& text) {
  if (txRxSink_) txRxSink_(text);
}

void MainNavigator::CloseAll() {
  for (QWidget* w : {static_cast<QWidget*>(decoder_), static_cast<QWidget*>(status_),
                     static_cast<QWidget*>(memoryMap_), static_cast<QWidget*>(manual_),
                     static_cast<QWidget*>(optionPage_), static_cast<QWidget*>(points_)})
    if (w) w->close();
}

void MainNavigator::OpenUnitJob(UnitJob job) {
  auto* window = new FrmUnitJob(context_, job, owner_);
  window->setAttribute(Qt::WA_DeleteOnClose);
  if (!window->Start()) delete window;  // cancelled: nothing to show
}

}  // namespace kestrio::ui
