#include "ui/navigator.h"

#include <QWidget>

#include "ui/manual_window.h"
#include "ui/memory_map_window.h"
#include "ui/packet_decoder_window.h"
#include "ui/points_window.h"
#include "ui/status_window.h"
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

// The configuration and download windows plug in here when they exist.
void MainNavigator::OpenDownloadWindow() {}
void MainNavigator::OpenConfigurationWindow() {}
void MainNavigator::ResetEventStates() {}

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
                     static_cast<QWidget*>(points_)})
    if (w) w->close();
}

}  // namespace kestrio::ui
