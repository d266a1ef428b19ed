// The memory-map window against the simulated brain: manual reads and writes, the count limit, and
// the EEPROM image read, saved to a data file, opened again and stored back.
#include "ui/tool_window_fixture.h"
// clang-format off
#include "ui/memory_map_window.h"
// clang-format on

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QRadioButton>

#include "memmap/device_commands.h"

namespace kestrio::ui {
namespace {

using test::ToolWindowTest;

class MemoryMapWindowTest : public ToolWindowTest {
 protected:
  FrmMemoryMap* OpenWindow() {
    window_->mnuMemoryMap->trigger();
    FrmMemoryMap* w = window_->MemoryMapWindow();
    if (w) {
      w->SetFileChooser([this](const QString& title, bool) {
        chooserTitles_ << title;
        return chosen_;
      });
    }
    return w;
  }

  QString Access(FrmMemoryMap* w, bool write, const QString& address, const QString& countOrData) {
    (write ? w->optWrite : w->optRead)->click();
    w->cmbAddress->setEditText(address);
    if (write) {
      w->txtData->setPlainText(countOrData);
    } else {
      w->txtNumberofQuadlets->setText(countOrData);
    }
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

TEST_F(MemoryMapWindowTest, LoadsShortWithCaptionAndProbedAddressThenReadsAndWrites) {
  StartAndConnect();
  FrmMemoryMap* w = OpenWindow();
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

  // Reading the revisions from the status area: one line per quadlet with its address.
  EXPECT_EQ(Access(w, false, "FFFF F030 0018", "2"), "FFFFF0300018:01000003\nFFFFF030001C:02010007\n");
  EXPECT_EQ(w->cmdDoAccess->text(), "Read");

  // A write counts its quadlets from the data, leaves the box empty, and reads back.
  EXPECT_EQ(Access(w, true, "FFFFF0100040", "0a 0b 0c 0d\n01 02 03"), "");
  EXPECT_EQ(w->cmdDoAccess->text(), "Write");
  EXPECT_EQ(w->txtNumberofQuadlets->text(), "2");
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(Access(w, false, "FFFFF0100040", "2").toStdString(),
            "FFFFF0100040:0A0B0C0D\nFFFFF0100044:010203A2\n");

  // More than the window's limit is refused with the limit and the limit is read.
  const QString lines = Access(w, false, "FFFFF0360000", "5000");
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"Too many, max:  4096"});
  EXPECT_EQ(w->txtNumberofQuadlets->text(), "4096");
  EXPECT_EQ(lines.count('\n'), 4096);
  EXPECT_TRUE(lines.endsWith("FFFFF0363FFC:00000000\n"));

  // Opening it again only brings it forward.
  window_->mnuMemoryMap->trigger();
  EXPECT_EQ(window_->MemoryMapWindow(), w);
}

TEST_F(MemoryMapWindowTest, EepromImageRoundTripsThroughADataFile) {
  StartAndConnect();
  FrmMemoryMap* w = OpenWindow();
  ASSERT_NE(w, nullptr);
  w->cmdMoreLess->click();

  // An empty flash reads as just its length field.
  w->optE2Read->click();
  EXPECT_EQ(w->cmdDoAuto->text(), "&Read");
  w->cmdDoAuto->click();
  EXPECT_EQ(w->txtData->toPlainText(), "FFFFF0360000: FFFFFFFF");

  // Put a value in the settings and store it, so the image has records.
  EXPECT_EQ(Access(w, true, "FFFFF0100040", "C0A80105"), "");
  prompter_.answers = {Answer::Yes};
  ASSERT_TRUE(RunDeviceCommand(session_->Engine(), DeviceCommand::StoreToEeprom));
  prompter_.Clear();

  w->optE2Read->click();
  w->cmdDoAuto->click();
  const std::string whole = w->WholeText();
  ASSERT_EQ(whole.rfind("FFFFF0360000: ", 0), 0u);
  ASSERT_GT(whole.size(), 114u);
  EXPECT_EQ(w->txtData->toPlainText().toStdString(), whole.substr(0, 114) + "<remaining data not shown>");
  EXPECT_EQ(w->lblStatus->text(), "");

  // Save As into a new file: no question, one line.
  const QString path = dir_.filePath("brain.tag");
  chosen_ = path;
  w->mnuSaveAs->trigger();
  EXPECT_EQ(chooserTitles_, QStringList{"Select Tag File to save as"});
  EXPECT_EQ(w->txtDataFile->text(), path);
  EXPECT_TRUE(prompter_.log.empty());
  EXPECT_EQ(ReadFile(path).toStdString(), whole + "\n");

  // Saving onto it again asks; No leaves it as it was.
  QFile::remove(path);
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("older copy\n");
  }
  prompter_.answers = {Answer::No};
  w->mnuSave->trigger();
  ASSERT_EQ(prompter_.log.size(), 2u);
  EXPECT_EQ(prompter_.log[0].text, "Are you sure you want to overwrite " + path.toStdString() + "?");
  EXPECT_EQ(ReadFile(path), "older copy\n");
  prompter_.Clear();
  prompter_.answers = {Answer::Yes};
  w->mnuSave->trigger();
  EXPECT_EQ(ReadFile(path).toStdString(), whole + "\n");

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
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{"EEPROM Store complete."});
  EXPECT_EQ(Access(w, false, "FFFFF0100040", "1"), "FFFFF0100040:C0A80105\n");

  // With nothing in the data box there is nothing to store.
  prompter_.Clear();
  w->optE2Write->click();
  w->txtData->clear();
  w->cmdDoAuto->click();
  EXPECT_EQ(prompter_.Messages(),
            std::vector<std::string>{"There's no data to store.  Open a file containing data."});
}

}  // namespace
}  // namespace kestrio::ui
