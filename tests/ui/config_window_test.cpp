// The configuration window and the name window over the session's configuration (the golden file):
// each view's grid, Delete, naming, and the save question on close. The rules' own cases are in
// tests/config.
#include "ui/tool_window_fixture.h"
// clang-format off
#include "ui/config_window.h"
#include "ui/name_window.h"
// clang-format on

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
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

// Runs `act` on the modal window of type W once its exec() is running; anything else that is modal is
// closed, so a wrong turn fails instead of hanging.
template <class W>
void WhenModal(std::function<void(W*)> act) {
  QTimer::singleShot(0, [act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* w = qobject_cast<W*>(modal)) return act(w);
    ADD_FAILURE() << "no such modal window";
    if (modal) modal->close();
  });
}

class ConfigWindowTest : public test::ToolWindowTest {
 protected:
  void SetUp() override {
    ToolWindowTest::SetUp();
    Open();
    ASSERT_TRUE(config::ImportConfigurationFile(session_->Configuration(), kGolden, prompter_));
    std::string fatal;
    ASSERT_TRUE(session_->LoadProductData(fatal)) << fatal;
    session_->Rack().RackPointTypes[0] = 256;  // a rack read that found a digital input at point 0
    w_ = std::make_unique<FrmStateMain>(window_->Context());
    w_->SetFileChooser([this](bool, const QString&) { return chosen_; });
    w_->Load();
    w_->show();
  }
  void TearDown() override {
    w_.reset();
    ToolWindowTest::TearDown();
  }
  Strings Row(int row) const {
    Strings cells;
    for (int c = 0; c < w_->flxSummaries->columnCount(); ++c) cells.push_back(Cell(row, c));
    return cells;
  }
  std::string Cell(int row, int column) const {
    const QTableWidgetItem* item = w_->flxSummaries->item(row, column);
    return item ? item->text().toStdString() : "<none>";
  }
  std::string Headers() const {
    std::string joined;
    for (int c = 0; c < w_->flxSummaries->columnCount(); ++c)
      joined += (c ? "|" : "") + w_->flxSummaries->horizontalHeaderItem(c)->text().toStdString();
    return joined;
  }
  config::StateGlobals& Tables() { return session_->Configuration(); }

  std::unique_ptr<FrmStateMain> w_;
  QString chosen_;
};

TEST_F(ConfigWindowTest, EachViewShowsItsHeadersButtonsAndCells) {
  struct Case {
    View view;
    int rows;
    std::string headers;
    bool add;
    std::string modify, remove;
    int row;
    Strings cells;
  };
  const Case cases[] = {
      {View::Points,
       64,
       "Point Number|Point Name|Point Type|Used by: Digital Events|Used by: Timers|Used by: Sets of ON/OFF "
       "states",
       false,
       "&Edit Points...",
       "C&lear Name",
       0,
       {" 0", "Pump 1", "Digital Input", "5, 63", "2", "<3 - Pump on> \n<4 - Timer 2: Reaction> "}},
      {View::Points,
       64,
       "",
       false,
       "&Edit Points...",
       "C&lear Name",
       63,
       {" 63", "Tank:  high", "", "", "2", "<4 - Timer 2: Reaction> "}},
      {View::Flags,
       64,
       "Scratch Pad Flag|Flag Name|Used by: Digital Event|Used by: Timer|Used in: \nSet of ON/OFF states",
       false,
       "&Edit Flags...",
       "C&lear Name",
       63,
       {" 63", "Last flag", "5, 63", "", "<127 - Last set> "}},
      {View::DigitalEvents,
       64,
       "Digital Event Number|If...|Then...",
       true,
       "&Modify...",
       "&Delete",
       63,
       {" 63", "Last set", "Pump on"}},
      {View::Timers,
       64,
       "Timer Number|If...|Then...|Timer Preset",
       true,
       "&Modify...",
       "&Delete",
       2,
       {" 2", "Pump on", "Timer 2: Reaction", "1500"}},
      {View::Ports,
       32,
       "Port Number|Used by: Serial Events|Used by: Event Messages",
       true,
       "&Modify...",
       "&Delete",
       0,
       {" 0", "<31 - PING> ", "<7 - Tank high > "}},
      {View::Alarms,
       64,
       "Alarm|Deviation|Deviation|Middle of Deviation|Deviation Amount|Deviation Flags ON|Deviation Flags "
       "OFF|"
       "High|High|High Limit|High Limit Dead Band|High Flags ON|High Flags OFF|Low|Low|Low Limit|"
       "Low Limit Dead Band|Low Flags ON|Low Flags OFF|(Advanced) Address|(Advanced) Float?",
       true,
       "&Modify...",
       "&Delete",
       3,
       {" 3", "Deviation", "Enabled", "50",      "5",  "[0] ", "[63] ", "High", "Disabled", "90", "2",
        "",   "",          "Low",     "Enabled", "10", "1",    "[12] ", "",     "F040010C", "Yes"}},
      {View::Messages,
       128,
       "Event Message Number|Message Text|Priority|Stream Packets|Stream Period|E-mail|E-mail Period|Serial|"
       "Ports To Monitor|SNMP|Trap Type|Trap Period|Flags ON|Flags OFF",
       true,
       "&Modify...",
       "&Delete",
       7,
       {" 7", "Tank high alarm\non line 2", "High", "Disabled", "0", "Disabled", "0", "Enabled", "[0] [31] ",
        "Disabled", "0", "0", "[12] ", ""}},
      {View::SerialEvents,
       32,
       "Serial Event Number|Received Pattern|Ports To Monitor|Resulting String|Flags ON|Flags OFF|Trap Type|"
       "Trap Period|Priority",
       true,
       "&Modify...",
       "&Delete",
       31,
       {" 31", "PING", "[0] [1] ", "PONG", "[1] ", "", "0", "0", "Low"}},
  };
  EXPECT_EQ(w_->windowTitle(), "Event and Timer Configuration");
  EXPECT_TRUE(w_->lblInstructions->text().startsWith("Use this drop-down box to view"));
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.view));
    w_->cmb->setCurrentIndex(static_cast<int>(c.view));
    EXPECT_EQ(w_->flxSummaries->rowCount(), c.rows);
    if (!c.headers.empty()) {
      EXPECT_EQ(Headers(), c.headers);
    }
    EXPECT_EQ(w_->cmdAdd->isVisible(), c.add);
    EXPECT_EQ(w_->cmdModify->text().toStdString(), c.modify);
    EXPECT_EQ(w_->cmdDelete->text().toStdString(), c.remove);
    EXPECT_EQ(Row(c.row), c.cells);
  }
  // The View menu moves the drop-down; the sets have no view.
  const QList<QAction*> entries = w_->mnuView->actions();
  entries[4]->trigger();
  EXPECT_EQ(w_->CurrentView(), View::Timers);
  entries[6]->trigger();
  EXPECT_EQ(w_->CurrentView(), View::SerialEvents);
  EXPECT_FALSE(entries[2]->isEnabled());
}

TEST_F(ConfigWindowTest, DeleteEmptiesTheSelectedItemAndBlanksItsRowOnly) {
  struct Case {
    View view;
    int row;
    std::function<void(config::StateGlobals&)> effect;
  };
  const Case cases[] = {
      {View::Points, 0, [](auto& t) { t.pointNames[0].name.clear(); }},
      {View::Flags, 63, [](auto& t) { t.flagNames[63].name.clear(); }},
      {View::DigitalEvents, 5,
       [](auto& t) { t.digitalEvents[5].eventState = t.digitalEvents[5].reactionState = 128; }},
      {View::Timers, 2,
       [](auto& t) {
         t.timers[2] = {0, 128, 128, "1500"};
       }},
      {View::Ports, 0, nullptr},  // nothing to delete: the row keeps its lists
      {View::Alarms, 3, [](auto& t) { t.alarms[3] = {}; }},
      {View::Messages, 7, [](auto& t) { t.eventMessages[7] = {}; }},
      {View::SerialEvents, 31, [](auto& t) { t.serialEvents[31] = {}; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.view));
    w_->SetView(c.view);
    const Strings before = Row(c.row);
    config::StateGlobals expected = Tables();
    if (c.effect) c.effect(expected);
    w_->State().savedToFile = true;
    w_->flxSummaries->setCurrentCell(c.row, 1);
    w_->cmdDelete->click();
    EXPECT_EQ(Tables(), expected);
    Strings blanked(before.size());
    blanked[0] = before[0];
    EXPECT_EQ(Row(c.row), c.effect ? blanked : before);
    EXPECT_FALSE(w_->State().savedToFile);
  }
  // The deleted digital event and timer are gone from point 0's row; their sets stay listed.
  w_->SetView(View::Points);
  EXPECT_EQ(Row(0),
            (Strings{" 0", "", "Digital Input", "63", "", "<3 - Pump on> \n<4 - Timer 2: Reaction> "}));
}

TEST_F(ConfigWindowTest, TheNameWindowNamesItsItemAndTheSelectionMovesOnOnlyAfterASave) {
  {
    FrmNameChange names(window_->Context(), View::Flags, 12);
    names.show();
    EXPECT_EQ(names.windowTitle(), "Name for Flag  12");
    EXPECT_EQ(names.txtOffState->text(), "Alarm flag OFF");
    names.txtPointNameChange->clear();
    EXPECT_EQ(names.txtOffState->text(), " OFF");
    names.cmdOK->click();
    EXPECT_EQ(prompter_.Messages(), Strings{"Invalid name."});
    EXPECT_TRUE(names.isVisible());
    EXPECT_FALSE(names.Saved());
    QTest::keyClicks(names.txtPointNameChange, "0123456789abcdefgh");
    EXPECT_EQ(names.txtPointNameChange->text(), "0123456789abcde");
  }
  EXPECT_EQ(Tables().flagNames[12].name, "Alarm flag");

  // Enter in the grid runs Modify; the name window opens for the selected point.
  w_->flxSummaries->setCurrentCell(5, 1);
  WhenModal<FrmNameChange>([](FrmNameChange* names) {
    EXPECT_EQ(names->windowTitle(), "Name for Point  5");
    names->txtPointNameChange->setText(" Fan ");
    QTest::keyClick(names->txtPointNameChange, Qt::Key_Return);
  });
  QTest::keyClick(w_->flxSummaries, Qt::Key_Return);
  EXPECT_EQ(Tables().pointNames[5].name, " Fan ");
  EXPECT_EQ(Tables().flagNames[5].name, "");
  EXPECT_EQ(Tables().pickerCaller, "Points");
  EXPECT_EQ(Cell(5, 1), " Fan ");
  EXPECT_EQ(w_->flxSummaries->currentRow(), 6);

  WhenModal<FrmNameChange>([](FrmNameChange* names) { names->cmdCancel->click(); });
  w_->cmdModify->click();
  EXPECT_EQ(w_->flxSummaries->currentRow(), 6);
  EXPECT_FALSE(w_->State().savedToFile);

  w_->flxSummaries->setCurrentCell(63, 1);
  WhenModal<FrmNameChange>([](FrmNameChange* names) { names->cmdOK->click(); });
  w_->cmdModify->click();
  EXPECT_EQ(w_->flxSummaries->currentRow(), 63);
}

// From the main window off-line: a failed save on close keeps the window and the digital events; a
// No closes it and the digital events and timers are reset, their sets kept.
TEST_F(ConfigWindowTest, ClosingAsksToSaveAndKeepsTheWindowWhenTheSaveFails) {
  w_.reset();
  prompter_.answers = {Answer::No, Answer::Yes};  // connect? no; work off-line? yes
  WhenModal<FrmStateMain>([this](FrmStateMain* config) {
    config->SetFileChooser([this](bool, const QString&) { return dir_.filePath("missing/saved.txt"); });
    prompter_.Clear();
    prompter_.answers = {Answer::Yes};
    config->close();
    EXPECT_TRUE(config->isVisible());
    ASSERT_EQ(prompter_.log.size(), 2u);
    EXPECT_EQ(prompter_.log[0].text, "Would you like to save the current settings\r\nto a text file?");
    EXPECT_TRUE(prompter_.log[1].text.starts_with("Could not save ")) << prompter_.log[1].text;
    EXPECT_EQ(Tables().digitalEvents[5].eventState, 3);
    prompter_.answers = {Answer::No};
    config->close();
  });
  window_->mnuConfigureEvents->trigger();
  EXPECT_TRUE(window_->WorkingOffLine());
  EXPECT_EQ(Tables().digitalEvents[5].eventState, config::NO_STATE);
  EXPECT_EQ(Tables().timers[2].inputState, config::NO_STATE);
  EXPECT_EQ(Tables().states[3].name, "Pump on");
}

TEST_F(ConfigWindowTest, SavedOrImportedWorkClosesWithoutAQuestion) {
  prompter_.answers = {Answer::Yes};
  w_->close();  // the chooser is cancelled: the window stays
  EXPECT_TRUE(w_->isVisible());

  chosen_ = dir_.filePath("saved.txt");
  prompter_.answers = {Answer::Yes};
  w_->close();
  EXPECT_FALSE(w_->isVisible());
  QFile saved(chosen_), golden(QString::fromStdString(kGolden));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly) && golden.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), golden.readAll());

  w_->Load();
  w_->show();
  w_->SetView(View::Timers);
  chosen_ = QString::fromStdString(kGolden);
  prompter_.Clear();
  w_->mnuImportFile->trigger();
  EXPECT_EQ(w_->CurrentView(), View::Timers);
  EXPECT_EQ(w_->State().fileName, kGolden);
  w_->close();
  EXPECT_FALSE(w_->isVisible());
  EXPECT_TRUE(prompter_.log.empty());
}

}  // namespace
}  // namespace kestrio::ui
