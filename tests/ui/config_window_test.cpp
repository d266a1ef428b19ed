// The configuration and name windows over the golden configuration: each view's grid, Delete, naming
// and the save question on close. The rules' own cases are in tests/config.
#include "ui/tool_window_fixture.h"
// clang-format off
#include "ui/config_window.h"
#include "ui/name_window.h"
// clang-format on

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "config/config_file.h"

namespace kestrio::ui {
namespace {

using config::View;
using Strings = std::vector<std::string>;

const std::string kGolden = KESTRIO_SOURCE_DIR "/tests/data/config/golden.txt";

// Runs `act` on the modal window W once its exec() runs; another modal window is closed instead, so a
// wrong turn fails rather than hangs.
template <class W>
void WhenModal(std::function<void(W*)> act) {
  QTimer::singleShot(0, [act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* w = qobject_cast<W*>(modal)) return act(w);
    ADD_FAILURE() << "not the modal window expected";
    if (modal) modal->close();
  });
}

class ConfigWindowTest : public test::ToolWindowTest {
 protected:
  void SetUp() override {
    ToolWindowTest::SetUp();
    Open();
    std::string fatal;
    ASSERT_TRUE(session_->LoadProductData(fatal)) << fatal;
    ASSERT_TRUE(config::ImportConfigurationFile(Tables(), kGolden, prompter_));
    session_->Rack().RackPointTypes[0] = 256;  // a rack read found a digital input at point 0
    w_ = std::make_unique<FrmStateMain>(window_->Context());
    w_->Load();
    w_->show();
  }
  void TearDown() override {
    w_.reset();
    ToolWindowTest::TearDown();
  }
  // Grid row `row` (the headers for -1), its cells joined by "|".
  std::string Row(int row) const {
    std::string joined;
    for (int c = 0; c < w_->flxSummaries->columnCount(); ++c) {
      const QTableWidgetItem* item =
          row < 0 ? w_->flxSummaries->horizontalHeaderItem(c) : w_->flxSummaries->item(row, c);
      joined += (c ? "|" : "") + (item ? item->text().toStdString() : "<none>");
    }
    return joined;
  }
  config::StateGlobals& Tables() { return session_->Configuration(); }

  std::unique_ptr<FrmStateMain> w_;
};

TEST_F(ConfigWindowTest, EachViewShowsItsHeadersButtonsAndCells) {
  struct Case {
    View view;
    int rows;
    std::string headers, modify;
    int row;
    std::string cells;
  };
  const Case cases[] = {
      {View::Points, 64,
       "Point Number|Point Name|Point Type|Used by: Digital Events|Used by: Timers|"
       "Used by: Sets of ON/OFF states",
       "&Edit Points...", 0, " 0|Pump 1|Digital Input|5, 63|2|<3 - Pump on> \n<4 - Timer 2: Reaction> "},
      {View::Points, 64, "", "&Edit Points...", 63, " 63|Tank:  high|||2|<4 - Timer 2: Reaction> "},
      {View::Flags, 64,
       "Scratch Pad Flag|Flag Name|Used by: Digital Event|Used by: Timer|Used in: \nSet of ON/OFF states",
       "&Edit Flags...", 63, " 63|Last flag|5, 63||<127 - Last set> "},
      {View::DigitalEvents, 64, "Digital Event Number|If...|Then...", "&Modify...", 63,
       " 63|Last set|Pump on"},
      {View::Timers, 64, "Timer Number|If...|Then...|Timer Preset", "&Modify...", 2,
       " 2|Pump on|Timer 2: Reaction|1500"},
      {View::Ports, 32, "Port Number|Used by: Serial Events|Used by: Event Messages", "&Modify...", 0,
       " 0|<31 - PING> |<7 - Tank high > "},
      {View::Alarms, 64,
       "Alarm|Deviation|Deviation|Middle of Deviation|Deviation Amount|Deviation Flags ON|"
       "Deviation Flags OFF|High|High|High Limit|High Limit Dead Band|High Flags ON|High Flags OFF|Low|Low|"
       "Low Limit|Low Limit Dead Band|Low Flags ON|Low Flags OFF|(Advanced) Address|(Advanced) Float?",
       "&Modify...", 3,
       " 3|Deviation|Enabled|50|5|[0] |[63] |High|Disabled|90|2|||Low|Enabled|10|1|[12] ||F040010C|Yes"},
      {View::Messages, 128,
       "Event Message Number|Message Text|Priority|Stream Packets|Stream Period|E-mail|E-mail Period|Serial|"
       "Ports To Monitor|SNMP|Trap Type|Trap Period|Flags ON|Flags OFF",
       "&Modify...", 7,
       " 7|Tank high alarm\non line 2|High|Disabled|0|Disabled|0|Enabled|[0] [31] |Disabled|0|0|[12] |"},
      {View::SerialEvents, 32,
       "Serial Event Number|Received Pattern|Ports To Monitor|Resulting String|Flags ON|Flags OFF|Trap Type|"
       "Trap Period|Priority",
       "&Modify...", 31, " 31|PING|[0] [1] |PONG|[1] ||0|0|Low"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.view));
    w_->cmb->setCurrentIndex(static_cast<int>(c.view));
    EXPECT_EQ(w_->flxSummaries->rowCount(), c.rows);
    if (!c.headers.empty()) {
      EXPECT_EQ(Row(-1), c.headers);
    }
    const bool items = c.view != View::Points && c.view != View::Flags;
    EXPECT_EQ(w_->cmdAdd->isVisible(), items);
    EXPECT_EQ(w_->cmdModify->text().toStdString(), c.modify);
    EXPECT_EQ(w_->cmdDelete->text().toStdString(), items ? "&Delete" : "C&lear Name");
    EXPECT_EQ(Row(c.row), c.cells);
  }
  const QList<QAction*> viewMenu = w_->mnuView->actions();  // wired to the drop-down; sets have no view
  viewMenu[4]->trigger();
  EXPECT_EQ(w_->CurrentView(), View::Timers);
  EXPECT_FALSE(viewMenu[2]->isEnabled());
}

// Each row as the tables show it after the delete; the points view comes last: digital event 5 and
// timer 2 are gone from point 0's row, and their sets stay.
TEST_F(ConfigWindowTest, DeleteEmptiesTheSelectedItemAndBlanksItsRowOnly) {
  const std::tuple<View, int, std::string> cases[] = {
      {View::Flags, 63, " 63||5, 63||<127 - Last set> "},
      {View::DigitalEvents, 5, " 5||"},
      {View::Timers, 2, " 2|||"},
      {View::Ports, 0, " 0|<31 - PING> |<7 - Tank high > "},  // nothing is deleted, nothing blanked
      {View::Alarms, 3, " 3" + std::string(20, '|')},
      {View::Messages, 7, " 7" + std::string(13, '|')},
      {View::SerialEvents, 31, " 31" + std::string(8, '|')},
      {View::Points, 0, " 0||Digital Input|63||<3 - Pump on> \n<4 - Timer 2: Reaction> "},
  };
  for (const auto& [view, row, after] : cases) {
    SCOPED_TRACE(static_cast<int>(view));
    w_->SetView(view);
    const std::string before = Row(row);
    w_->State().savedToFile = true;
    w_->flxSummaries->setCurrentCell(row, 1);
    w_->cmdDelete->click();
    const std::string blanked =
        before.substr(0, before.find('|')) + std::string(std::count(before.begin(), before.end(), '|'), '|');
    EXPECT_EQ(Row(row), view == View::Ports ? before : blanked);
    EXPECT_FALSE(w_->State().savedToFile);
    w_->Activate();
    EXPECT_EQ(Row(row), after);
  }
}

TEST_F(ConfigWindowTest, TheNameWindowNamesItsItemAndTheSelectionMovesOnOnlyAfterASave) {
  // Enter in the grid runs Modify, Enter in the name box OK; the box takes 15 characters.
  w_->flxSummaries->setCurrentCell(6, 1);
  WhenModal<FrmNameChange>([](FrmNameChange* names) {
    EXPECT_EQ(names->windowTitle(), "Name for Point  6");
    QTest::keyClicks(names->txtPointNameChange, " Fan 6789abcdefgh");
    EXPECT_EQ(names->txtOffState->text(), " Fan 6789abcdef OFF");
    QTest::keyClick(names->txtPointNameChange, Qt::Key_Return);
  });
  QTest::keyClick(w_->flxSummaries, Qt::Key_Return);
  EXPECT_EQ(Tables().pointNames[6].name, " Fan 6789abcdef");
  EXPECT_EQ(Tables().flagNames[6].name, "");
  EXPECT_TRUE(Row(6).starts_with(" 6| Fan 6789abcdef|"));
  EXPECT_EQ(w_->flxSummaries->currentRow(), 7);

  // OK on an empty box is refused and changes nothing; the selection stays.
  w_->SetView(View::Flags);
  w_->flxSummaries->setCurrentCell(12, 1);
  WhenModal<FrmNameChange>([this](FrmNameChange* names) {
    EXPECT_EQ(names->windowTitle(), "Name for Flag  12");
    EXPECT_EQ(names->txtOffState->text(), "Alarm flag OFF");
    names->txtPointNameChange->clear();
    names->cmdOK->click();
    EXPECT_EQ(prompter_.Messages(), Strings{"Invalid name."});
    EXPECT_TRUE(names->isVisible());
    names->cmdCancel->click();
  });
  w_->cmdModify->click();
  EXPECT_EQ(Tables().flagNames[12].name, "Alarm flag");
  EXPECT_EQ(w_->flxSummaries->currentRow(), 12);

  w_->flxSummaries->setCurrentCell(63, 1);  // the last row stays selected after a save
  WhenModal<FrmNameChange>([](FrmNameChange* names) { names->cmdOK->click(); });
  w_->cmdModify->click();
  EXPECT_EQ(w_->flxSummaries->currentRow(), 63);
  EXPECT_FALSE(w_->State().savedToFile);
}

// Off-line from the main window: a cancelled or failed save keeps the window and the digital events;
// after an import it closes without a question, and the digital events and timers are reset.
TEST_F(ConfigWindowTest, ClosingKeepsTheWindowWhenTheSaveIsCancelledOrFails) {
  w_.reset();
  prompter_.answers = {Answer::No, Answer::Yes};  // connect? no; work off-line? yes
  WhenModal<FrmStateMain>([this](FrmStateMain* config) {
    auto saveTo = std::make_shared<QString>();
    config->SetFileChooser(
        [saveTo](bool save, const QString&) { return save ? *saveTo : QString(kGolden.c_str()); });
    prompter_.Clear();
    for (const QString& path : {QString(), dir_.filePath("missing/saved.txt")}) {
      *saveTo = path;
      prompter_.answers = {Answer::Yes};
      config->close();
      EXPECT_TRUE(config->isVisible());
    }
    EXPECT_EQ(prompter_.log.size(), 3u);
    EXPECT_EQ(prompter_.log[0].text, "Would you like to save the current settings\r\nto a text file?");
    EXPECT_TRUE(prompter_.log[2].text.starts_with("Could not save ")) << prompter_.log[2].text;
    EXPECT_EQ(Tables().digitalEvents[5].eventState, 3);
    config->mnuImportFile->trigger();
    config->close();
    EXPECT_FALSE(config->isVisible());
    EXPECT_EQ(prompter_.log.size(), 3u);
  });
  window_->mnuConfigureEvents->trigger();
  EXPECT_TRUE(window_->WorkingOffLine());
  EXPECT_EQ(Tables().digitalEvents[5].eventState, config::NO_STATE);
  EXPECT_EQ(Tables().timers[2].inputState, config::NO_STATE);
  EXPECT_EQ(Tables().states[3].name, "Pump on");
}

}  // namespace
}  // namespace kestrio::ui
