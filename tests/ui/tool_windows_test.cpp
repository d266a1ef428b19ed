// The status, memory-map and manual packet windows, opened from the main window, against the simulated
// brain. Each rule's words and edge cases are their service's tests; here, each window's wiring.
#include "ui/tool_window_fixture.h"
// clang-format off
#include "ui/manual_window.h"
#include "ui/memory_map_window.h"
#include "ui/status_window.h"
// clang-format on

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "memmap/device_commands.h"
#include "memmap/manual_packet.h"
#include "memmap/memmap_service.h"
#include "protocol/decoder.h"
#include "ui/packet_decoder_window.h"

namespace kestrio::ui {
namespace {

using Strings = std::vector<std::string>;

class ToolWindowsTest : public test::ToolWindowTest {
 protected:
  QString Field(const char* label) {
    QLineEdit* field = window_->Windows().StatusWindow()->Field(label);
    return field ? field->text() : QString("<no field>");
  }
  FrmMemoryMap* OpenMemoryMap() {
    window_->mnuMemoryMap->trigger();
    FrmMemoryMap* w = window_->Windows().MemoryMapWindow();
    if (w) {
      w->SetFileChooser([this](const QString& title, bool) {
        chooserTitles_ << title;
        return chosen_;
      });
    }
    return w;
  }
  // One manual access in the memory-map window; returns the data box afterwards.
  static QString Access(FrmMemoryMap* w, bool write, const QString& address, const QString& countOrData) {
    (write ? w->optWrite : w->optRead)->click();
    w->cmbAddress->setEditText(address);
    if (write) w->txtData->setPlainText(countOrData);
    if (!write) w->txtNumberofQuadlets->setText(countOrData);
    w->cmdDoAccess->click();
    return w->txtData->toPlainText();
  }
  static QString ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString("<missing>");
  }
  QString chosen_;
  QStringList chooserTitles_;
};

TEST_F(ToolWindowsTest, StatusShowsFieldsAndTheBrainsErrorAndItsCommandsAskAndReportFailure) {
  // A flash kept in a folder that does not exist cannot be written: the brain refuses the store.
  StartAndConnect({.stateFile = Path("missing-folder/flash.txt")});
  window_->mnuViewStatus->trigger();
  FrmStatus* status = window_->Windows().StatusWindow();
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(status->isVisible());
  EXPECT_EQ(status->windowTitle(), "Status");
  const std::pair<const char*, const char*> shown[] = {{"Power-Up Clear:", "already sent"},
                                                       {"Kernel Revision:", "02.01.00.07"},
                                                       {"MAC Address:", "02-4B-45-53-54-01"},
                                                       {"TCP/IP Address:", "127.0.0.1"},
                                                       {"Code:", "0: No error."}};
  for (const auto& [label, value] : shown) EXPECT_EQ(Field(label), value) << label;
  status->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(window_->Windows().StatusWindow(), nullptr);

  // A read the brain refuses opens the window, which shows the brain's own error.
  EXPECT_EQ(MemMapData(session_->Engine(), {1, "FFFFF0900010", {}, true, 1000}).deviceErrors, 1);
  status = window_->Windows().StatusWindow();
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(Field("Code:"), "E005: Invalid memory address.");
  EXPECT_EQ(Field("Destination Offset:"), "F0900010");
  EXPECT_FALSE(Field("Transaction Label:").isEmpty());

  // Opened again it is only brought forward: nothing is read, nothing changes.
  status->Field("Code:")->setText("untouched");
  const int sentBefore = SentCount();
  window_->mnuViewStatus->trigger();
  EXPECT_EQ(SentCount(), sentBefore);
  EXPECT_EQ(window_->Windows().StatusWindow(), status);
  EXPECT_EQ(Field("Code:"), "untouched");

  prompter_.Clear();
  prompter_.answers = {Answer::Yes};
  status->cmdStore->click();
  ASSERT_FALSE(prompter_.log.empty());
  EXPECT_EQ(prompter_.log[0].kind, "ask");
  EXPECT_NE(LogText().find("\nStoring to EEProm."), std::string::npos);
  // The refusal brings the status window forward and says "not successful".
  EXPECT_EQ(prompter_.statusShown, 1);
  EXPECT_EQ(window_->Windows().StatusWindow(), status);
  EXPECT_EQ(prompter_.Messages(), Strings{"EEProm Store not successful."});
  prompter_.Clear();
  status->cmdRestart->click();
  EXPECT_EQ(prompter_.Messages(), Strings{"Restart from powerup complete."});

  // Without a connection a confirmed command is only logged as not sent.
  window_->cmdDisconnect->click();
  prompter_.answers = {Answer::Yes};
  const int sent = SentCount();
  status->cmdEraseFlash->click();
  EXPECT_EQ(SentCount(), sent);
  EXPECT_TRUE(LogText().ends_with("\nCould not send command - not connected.")) << LogText();
}

TEST_F(ToolWindowsTest, MemoryMapReadsWritesAndRoundTripsTheEepromImageThroughADataFile) {
  StartAndConnect();
  FrmMemoryMap* w = OpenMemoryMap();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "Memory Map Access for IP:    127.0.0.1   Running kernel version: 02.01.00.07");
  EXPECT_EQ(w->txtEEAddress->text(), "FFFFF0360000");
  EXPECT_EQ(w->cmbAddress->currentText(), "FFFFF0300034");
  EXPECT_EQ(w->txtMaxByte->text(), "1000");
  EXPECT_FALSE(w->Expanded());
  EXPECT_EQ(w->cmdMoreLess->text(), "&More");
  w->cmdMoreLess->click();
  EXPECT_TRUE(w->Expanded());
  EXPECT_EQ(w->cmdMoreLess->text(), "&Less");

  EXPECT_EQ(Access(w, false, "FFFF F030 0018", "2"), "FFFFF0300018:01000003\nFFFFF030001C:02010007\n");
  EXPECT_EQ(w->cmdDoAccess->text(), "Read");
  // A write counts its quadlets from the data, leaves the box empty, and reads back.
  EXPECT_EQ(Access(w, true, "FFFFF0100040", "0a 0b 0c 0d\n01 02 03"), "");
  EXPECT_EQ(w->cmdDoAccess->text(), "Write");
  EXPECT_EQ(w->txtNumberofQuadlets->text(), "2");
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(Access(w, false, "FFFFF0100040", "2"), "FFFFF0100040:0A0B0C0D\nFFFFF0100044:010203A2\n");
  // A refused write keeps what the operator typed.
  EXPECT_EQ(Access(w, true, "FFFFF0100040", "xyz?"), "xyz?");
  EXPECT_EQ(prompter_.Messages(), Strings{"There is no hex data to write."});
  prompter_.Clear();

  window_->mnuMemoryMap->trigger();  // only brings it forward
  EXPECT_EQ(window_->Windows().MemoryMapWindow(), w);

  // The EEPROM image: read, saved to a data file, opened again and stored back.
  w->optE2Read->click();
  EXPECT_EQ(w->cmdDoAuto->text(), "&Read");
  w->cmdDoAuto->click();
  EXPECT_EQ(w->txtData->toPlainText(), "FFFFF0360000: FFFFFFFF");  // an empty flash: its length field

  // A stored value gives the image records.
  EXPECT_EQ(Access(w, true, "FFFFF0100040", "C0A80105"), "");
  prompter_.answers = {Answer::Yes};
  ASSERT_TRUE(RunDeviceCommand(session_->Engine(), DeviceCommand::StoreToEeprom));
  prompter_.Clear();
  w->optE2Read->click();
  w->cmdDoAuto->click();
  const std::string whole = w->WholeText();
  ASSERT_TRUE(whole.starts_with("FFFFF0360000: ") && whole.size() > 114u) << whole;
  EXPECT_EQ(w->txtData->toPlainText().toStdString(), whole.substr(0, 114) + "<remaining data not shown>");
  EXPECT_EQ(w->lblStatus->text(), "");

  // Save As into a new file: no question. Saving onto it again asks; No leaves it as it was.
  const QString path = dir_.filePath("brain.tag");
  chosen_ = path;
  w->mnuSaveAs->trigger();
  EXPECT_EQ(chooserTitles_, QStringList{"Select Tag File to save as"});
  EXPECT_EQ(w->txtDataFile->text(), path);
  EXPECT_TRUE(prompter_.log.empty());
  EXPECT_EQ(ReadFile(path).toStdString(), whole + "\n");
  QFile::remove(path);
  QFile older(path);
  ASSERT_TRUE(older.open(QIODevice::WriteOnly) && older.write("older copy\n") == 11);
  older.close();
  for (const Answer answer : {Answer::No, Answer::Yes}) {
    prompter_.Clear();
    prompter_.answers = {answer};
    w->mnuSave->trigger();
    ASSERT_FALSE(prompter_.log.empty());
    EXPECT_EQ(prompter_.log[0].text, "Are you sure you want to overwrite " + path.toStdString() + "?");
    EXPECT_EQ(ReadFile(path).toStdString(), answer == Answer::No ? "older copy\n" : whole + "\n");
  }

  // Change the live value, then open the file and store it back.
  EXPECT_EQ(Access(w, true, "FFFFF0100040", "00000000"), "");
  prompter_.Clear();
  w->txtData->clear();
  w->mnuOpen->trigger();
  EXPECT_EQ(chooserTitles_.last(), "Select Tag File to open");
  EXPECT_EQ(w->WholeText(), whole + "\n");
  EXPECT_EQ(w->txtData->toPlainText().toStdString(), whole.substr(0, 100) + " <remaining data not shown>");
  w->optE2Write->click();
  EXPECT_EQ(w->cmdDoAuto->text(), "&Store");
  EXPECT_FALSE(w->chkShowAll->isEnabled());
  prompter_.answers = {Answer::Yes};
  w->cmdDoAuto->click();
  EXPECT_EQ(prompter_.Messages(), Strings{"EEPROM Store complete."});
  EXPECT_EQ(Access(w, false, "FFFFF0100040", "1"), "FFFFF0100040:C0A80105\n");

  // With nothing in the data box there is nothing to store.
  prompter_.Clear();
  w->optE2Write->click();
  w->txtData->clear();
  w->cmdDoAuto->click();
  EXPECT_EQ(prompter_.Messages(), Strings{"There's no data to store.  Open a file containing data."});
}

TEST_F(ToolWindowsTest, ManualShowsEachExampleAndSendsATypedPacketOnceOrOnTheScanTime) {
  // Replies slower than the period: timer ticks that find the engine busy are skipped, never refused.
  StartAndConnect({.faults = {.delayMs = 40}});
  window_->mnuSendPackets->trigger();
  FrmManual* w = window_->Windows().ManualWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "Manual Mode");
  w->cmdDoCommand->click();  // nothing selected: nothing shown
  EXPECT_TRUE(window_->Windows().PacketDecoder()->DecodedText().isEmpty());
  EXPECT_EQ(w->optCmd[4], nullptr);
  for (const ExamplePacket& e : ExamplePackets()) {
    QRadioButton* option = w->optCmd[static_cast<std::size_t>(e.index)];
    ASSERT_NE(option, nullptr) << e.index;
    EXPECT_EQ(option->text(), e.caption);
    option->click();
    w->cmdDoCommand->click();
    EXPECT_EQ(window_->Windows().PacketDecoder()->DecodedText().toStdString(), FormatDecoded(DecodePackets(e.packet)));
  }

  window_->lblTXRXTime->clear();
  w->txtSendString->setText("000004400000FFFFF0300004");
  w->btnSendString->click();
  EXPECT_EQ(w->PacketsSent(), 1);
  EXPECT_NE(LogText().find("Sending [Read Quad Request]: 000004400000FFFFF0300004"), std::string::npos);
  EXPECT_NE(LogText().find("[Read Quad Response]"), std::string::npos);
  EXPECT_EQ(window_->lblTXRXTime->text().size(), 10);
  EXPECT_TRUE(prompter_.Messages().empty());

  // Text that is not a packet is refused with the reason and not sent.
  const int sent = SentCount();
  w->txtSendString->setText("000004400000FFFFG0300004");
  w->btnSendString->click();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_TRUE(
      prompter_.Messages()[0].starts_with("The packet is not sent: character 17 is not a hex digit."));
  EXPECT_EQ(SentCount(), sent);
  EXPECT_EQ(w->PacketsSent(), 1);

  // A refused or cancelled scan time leaves the timer alone.
  prompter_.Clear();
  EXPECT_EQ(w->tmrAutoScanner->interval(), 500);
  prompter_.inputs = {std::string("5001"), std::nullopt, std::string("10")};
  w->btnScanTime->click();
  EXPECT_EQ(prompter_.Messages(),
            Strings{"'5001' is not a valid scan time.  Must be non-zero number no greater than  5000."});
  EXPECT_EQ(prompter_.log[0].title, "Scan Time");
  EXPECT_EQ(prompter_.log[0].text, "Enter scan rate (in milliseconds:)");
  w->btnScanTime->click();
  EXPECT_EQ(w->tmrAutoScanner->interval(), 500);
  w->btnScanTime->click();
  EXPECT_EQ(w->tmrAutoScanner->interval(), 10);
  prompter_.Clear();

  w->txtSendString->setText("000004400000FFFFF0300004");
  EXPECT_EQ(w->btnAuto->text(), "&Auto Send");
  w->btnAuto->click();
  EXPECT_TRUE(w->AutoSending());
  EXPECT_EQ(w->btnAuto->text(), "&Manual");
  EXPECT_FALSE(w->btnSendString->isEnabled());
  EXPECT_FALSE(w->btnScanTime->isEnabled());
  EXPECT_TRUE(QTest::qWaitFor([w] { return w->PacketsSent() >= 4; }, 10000));
  // Stop from inside the event loop, as the operator's click arrives.
  QTimer::singleShot(0, w, [w] { w->btnAuto->click(); });
  EXPECT_TRUE(QTest::qWaitFor([w] { return !w->AutoSending(); }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([this] { return !session_->Engine().Busy(); }, 5000));
  EXPECT_EQ(w->btnAuto->text(), "&Auto");
  EXPECT_TRUE(w->btnSendString->isEnabled());
  EXPECT_TRUE(w->btnScanTime->isEnabled());
  EXPECT_EQ(LogText().find("Request refused"), std::string::npos);
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_FALSE(w->tmrAutoScanner->isActive());
}

// Auto Send is a repeating sender like the points window's scan: a timeout stops it.
TEST_F(ToolWindowsTest, ATimeoutStopsAutoSendAsItStopsAScan) {
  StartAndConnect();
  session_->Engine().SetTimeoutSeconds(1);
  window_->mnuSendPackets->trigger();
  FrmManual* w = window_->Windows().ManualWindow();
  ASSERT_NE(w, nullptr);
  w->txtSendString->setText("000004400000FFFFF0300004");
  sim_->SetFaultPlan({.dropEvery = 1});
  w->btnAuto->click();
  ASSERT_TRUE(w->AutoSending());
  EXPECT_TRUE(QTest::qWaitFor([w] { return !w->AutoSending(); }, 20000));
  EXPECT_EQ(w->btnAuto->text(), "&Auto");
  EXPECT_FALSE(w->tmrAutoScanner->isActive());
  EXPECT_EQ(prompter_.Messages(), Strings{"The timeout of:  1 expired without receiving a reply."});
}

}  // namespace
}  // namespace kestrio::ui
