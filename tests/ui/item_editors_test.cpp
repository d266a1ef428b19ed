// The item editors and the point/flag picker on the offscreen platform: each window's wiring through
// its edge cases. The rules' own cases are the configuration tests'.
#include "ui/item_editors.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "config/item_ranges.h"
#include "config/state_editor_rules.h"
#include "core/session.h"
#include "ui/alarm_window.h"
#include "ui/digital_event_window.h"
#include "ui/editor_widgets.h"
#include "ui/message_window.h"
#include "ui/point_picker_window.h"
#include "ui/serial_event_window.h"
#include "ui/window_context.h"

namespace kestrio::ui {
namespace {

using Strings = std::vector<std::string>;
constexpr char kNone[] = "0000000000000000";

class ItemEditorsTest : public ::testing::Test {
 protected:
  ItemEditorsTest() {
    t().pointNames[1].name = "Liftoff";
    t().flagNames[5].name = "MONITOR";
  }
  config::StateGlobals& t() { return session_.Configuration(); }

  // The picker as the editor shows it: what it offered is recorded, then OK takes `entry` (after
  // switching to flags when `flags`; an entry not offered leaves nothing chosen), or an empty
  // `entry` cancels.
  ItemEditorDialog::ModalRunner Picking(const std::string& entry, bool flags = false) {
    return [this, entry, flags](QDialog& dialog) {
      auto& picker = dynamic_cast<FrmAddAPoint&>(dialog);
      if (flags) picker.optFlags->click();
      offered_ = {picker.windowTitle().toStdString(), picker.frmAddPoint->title().toStdString()};
      for (int i = 0; i < picker.cmbFlags->count(); ++i)
        offered_.push_back(picker.cmbFlags->itemText(i).toStdString());
      pointsShown_ = !picker.optDigital->isHidden();
      picker.cmbFlags->setCurrentIndex(picker.cmbFlags->findText(QString::fromStdString(entry)));
      (entry.empty() ? picker.cmdCancel : picker.cmdOK)->click();
      return picker.result();
    };
  }
  static std::vector<std::string> Row(const QTableWidget* grid, int r) {
    std::vector<std::string> cells;
    for (int c = 0; c < grid->columnCount(); ++c)
      cells.push_back(grid->item(r, c) ? grid->item(r, c)->text().toStdString() : "");
    return cells;
  }

  QTemporaryDir dir_;
  ScriptedPrompter prompter_;
  Session session_{prompter_, dir_.filePath("kestrio.ini").toStdString()};
  WindowContext context_{session_};
  Strings offered_;  // the picker's caption, frame and list
  bool pointsShown_ = false;
};

TEST_F(ItemEditorsTest, NewDigitalEventStoresBothSidesInTheTwoLowestFreeSetsUnderDefaultNames) {
  t().states[0].name = "taken";
  t().states[2].name = "also taken";
  for (int i = 0; i < 5; ++i) t().digitalEvents[i] = {0, 0, 0};
  FrmNameTransitions w(context_, 5, false, true);
  EXPECT_EQ(w.windowTitle(), "Digital Event: 5");
  EXPECT_TRUE(w.chkTimed->isHidden());
  EXPECT_TRUE(w.fraTimer->isHidden());

  // A point named "Liftoff" (it holds "off") chosen ON, on the Event side.
  w.SetModalRunner(Picking("Liftoff ON"));
  w.cmdAdd[0]->click();
  EXPECT_EQ(Strings(offered_.begin(), offered_.begin() + 2), (Strings{"Add a Point", "Select Point"}));
  EXPECT_TRUE(pointsShown_);
  EXPECT_TRUE(t().pickForEvent);
  EXPECT_EQ(Row(w.flxStates[0], 0), (Strings{"1", "Liftoff ON", "Digital"}));
  EXPECT_EQ(w.flxStates[0]->rowCount(), 2);
  EXPECT_EQ(w.flxStates[0]->rowHeight(1), 0);  // the empty last row
  w.SetModalRunner(Picking("MONITOR OFF", true));
  w.cmdAdd[1]->click();
  EXPECT_EQ(offered_[0], "Add a Flag");
  EXPECT_FALSE(t().pickForEvent);

  w.cmdOK->click();  // No to both naming questions
  ASSERT_EQ(w.result(), QDialog::Accepted);
  EXPECT_EQ(t().states[1],
            (config::StateRecord{0, "Digital Event 5: Event", "0000000000000002", kNone, kNone, kNone}));
  EXPECT_EQ(t().states[3],
            (config::StateRecord{0, "Digital Event 5: Reaction", kNone, kNone, kNone, "0000000000000020"}));
  EXPECT_EQ(t().digitalEvents[5], (config::DigitalEventRecord{0, 1, 3}));
}

TEST_F(ItemEditorsTest, SharedSetsDeletedRowsRenamesAndTimedSwitch) {
  t().states[4] = {4, "Shared", "0000000000000004", "", "", ""};
  t().states[5] = {5, "Other", "", "", "0000000000000001", ""};
  t().digitalEvents[0] = {0, 4, 5};
  t().digitalEvents[1] = {1, 4, 5};
  t().timers[0] = {0, 4, 5, "1500"};

  // Changing the shared set's rows from event 1 changes event 0 too.
  auto w = std::make_unique<FrmNameTransitions>(context_, 1, false, false);
  EXPECT_EQ(w->cmbStateTransition[0]->currentText(), "Shared");
  EXPECT_EQ(Row(w->flxStates[1], 0), (Strings{"0", "  0   ON", "Flag"}));
  w->SetModalRunner(Picking("  3   ON"));
  w->cmdAdd[0]->click();
  w->cmdOK->click();
  EXPECT_EQ(t().states[4].digitalOn, "000000000000000C");
  EXPECT_EQ(config::RowsOfSet(t(), t().digitalEvents[0].eventState).size(), 2u);

  // Deleting the only row of a side leaves it empty, and the save refuses.
  w = std::make_unique<FrmNameTransitions>(context_, 1, false, false);
  w->flxStates[1]->setCurrentCell(0, 1);
  w->cmdDelete[1]->click();
  w->cmdOK->click();
  EXPECT_EQ(prompter_.Messages(), Strings{config::kNeedBothSides});

  // Rename: a name differing only in letter case asks; No keeps the name, and Cancel keeps a rename.
  prompter_.Clear();
  prompter_.inputs = {"shared", "Renamed"};
  w->cmdRename[1]->click();
  EXPECT_EQ(prompter_.log.back().text, "This name already exists.  Overwrite?");
  EXPECT_EQ(t().states[5].name, "Other");
  w->cmdRename[1]->click();
  EXPECT_EQ(w->cmbStateTransition[0]->itemText(w->cmbStateTransition[0]->findData(5)), "Renamed");
  w->cmdCancel->click();
  EXPECT_TRUE(w->Changed());
  EXPECT_EQ(t().states[5].name, "Renamed");

  // An existing timer opens ticked and fixed in kind; a new one numbers itself again when unticked.
  w = std::make_unique<FrmNameTransitions>(context_, 0, true, false);
  EXPECT_TRUE(w->chkTimed->isChecked());
  EXPECT_FALSE(w->chkTimed->isEnabled());
  EXPECT_EQ(w->txtPreset->text(), "1500");
  w = std::make_unique<FrmNameTransitions>(context_, 1, true, true);
  EXPECT_EQ(w->windowTitle(), "Timer: 1");
  w->chkTimed->click();
  EXPECT_EQ(w->windowTitle(), "Digital Event: 2");
  EXPECT_EQ(w->lblJumpTo->text(), "Jump to Digital Event:");
  w->SetModalRunner(Picking("Liftoff OFF"));
  w->cmdAdd[0]->click();  // the kind stays as the box says after the picker
  w->cmbStateTransition[1]->setCurrentIndex(w->cmbStateTransition[1]->findData(4));
  w->cmdOK->click();
  EXPECT_EQ(t().digitalEvents[2].reactionState, 4);
  EXPECT_FALSE(config::IsItemUsed(t(), config::ItemKind::Timer, 1));
}

TEST_F(ItemEditorsTest, JumpBoxesTakeTheLastItemAndRefuseOnePastItOrANegativeNumber) {
  using Make = std::function<std::unique_ptr<ItemEditorDialog>()>;
  const struct {
    Make make;
    std::string last, caption, refusal;
  } cases[] = {
      {[this] { return std::make_unique<FrmNameTransitions>(context_, 0, false, false); }, "63",
       "Digital Event: 63", "Maximum 64 Digital Events (0-63)."},
      {[this] { return std::make_unique<FrmNameTransitions>(context_, 0, true, false); }, "63", "Timer: 63",
       "Maximum 64 Timers (0-63)."},
      {[this] { return std::make_unique<FrmNameAlarms>(context_, 0); }, "63", "Alarm: 63",
       "Maximun 64 Alarms (0-63)."},
      {[this] { return std::make_unique<FrmNameMessages>(context_, 0); }, "127", "Event Message: 127",
       "Maximum 128 Messages (0-127)."},
      {[this] { return std::make_unique<FrmNameSerialEvents>(context_, 0); }, "31", "Serial Event: 31",
       "Maximum 32 Serial Events (0-31)."},
  };
  for (const auto& c : cases) {
    prompter_.Clear();
    std::unique_ptr<ItemEditorDialog> w = c.make();
    for (const std::string& typed : {std::to_string(std::stoi(c.last) + 1), std::string("-1")}) {
      w->txtJumpTo->setText(QString::fromStdString(typed));
      w->cmdGo->click();
    }
    EXPECT_EQ(prompter_.Messages(), (Strings{c.refusal, c.refusal})) << c.caption;
    w->txtJumpTo->setText(QString::fromStdString(c.last));
    QTest::keyClick(w->txtJumpTo, Qt::Key_Return);
    EXPECT_EQ(w->windowTitle().toStdString(), c.caption);
  }
}

TEST_F(ItemEditorsTest, AlarmSavesOnlyWhenEveryTickedBlockHasAFlag) {
  FrmNameAlarms w(context_, 10);
  EXPECT_EQ(w.txtAddress->text(), "F0400128");
  EXPECT_FALSE(w.flxAlarms[2]->cmdAdd->isEnabled());
  w.chkAlarm[2]->click();
  EXPECT_TRUE(w.flxAlarms[2]->cmdAdd->isEnabled());
  w.txtLimitORMid[2]->clear();
  QTest::keyClicks(w.txtLimitORMid[2], "1.5");
  EXPECT_EQ(w.txtLimitORMid[2]->text(), "15");
  EXPECT_EQ(prompter_.Messages(), Strings{"Numeric values only."});

  // A flag already in the High grid is still offered to the Low grid.
  w.chkAlarm[1]->click();
  w.SetModalRunner(Picking("  3   ON"));
  w.flxAlarms[1]->cmdAdd->click();
  EXPECT_EQ(offered_.size(), 2u + 128u);
  w.SetModalRunner(Picking("  3   OFF"));
  w.flxAlarms[2]->cmdAdd->click();
  EXPECT_EQ(offered_.size(), 2u + 128u);
  EXPECT_EQ(w.flxAlarms[2]->Rows(), Strings{" 3   OFF"});

  // A ticked block with an empty grid refuses the save, even with flags elsewhere.
  prompter_.Clear();
  w.flxAlarms[1]->cmdClear->click();
  w.cmdOK->click();
  EXPECT_EQ(prompter_.Messages(), Strings{"At least one flag must be selected."});
  EXPECT_FALSE(config::IsDefined(t().alarms[10]));
  w.chkAlarm[1]->click();
  w.cmdOK->click();
  EXPECT_EQ(w.result(), QDialog::Accepted);
  EXPECT_EQ(t().alarms[10].deviationStatus, "Disabled");
  EXPECT_EQ(t().alarms[10].lowStatus, "Enabled");
  EXPECT_EQ(t().alarms[10].lowLimit, "15");
  EXPECT_EQ(t().alarms[10].lowFlagsOff, "0000000000000008");
}

TEST_F(ItemEditorsTest, MessageClampsItsPeriodsAndStoresThePortMask) {
  FrmNameMessages w(context_, 3);
  EXPECT_EQ(w.cmbPriority->currentText(), "High");
  EXPECT_EQ(w.txtMessage->maxLength(), 126);
  const struct {
    QLineEdit* box;
    const char *typed, *left;
  } boxes[] = {{w.txtStreamPeriod, "4294967296", "4294967295"},
               {w.txtEmailPeriod, "604801", "604800"},
               {w.txtTrapType, "2112454934", "2112454933"},
               {w.txtTrapPeriod, "4294967295", "4294967295"}};
  for (const auto& b : boxes) {
    b.box->setText(b.typed);
    emit b.box->editingFinished();
    EXPECT_EQ(b.box->text(), b.left);
  }
  // OK pressed without leaving the box lowers it too.
  w.txtEmailPeriod->setText("700000");
  w.fraSerial->chkPoint[0]->click();
  w.fraSerial->chkPoint[31]->click();
  w.txtMessage->setText("High level in tank 3");
  w.SetModalRunner(Picking("MONITOR ON"));
  w.flxMessages->cmdAdd->click();
  w.cmdOK->click();
  const config::EventMessageRecord& m = t().eventMessages[3];
  EXPECT_EQ(m.serialPortMask, "80000001");
  EXPECT_EQ(m.emailPeriod, "604800");
  EXPECT_EQ(m.flagsOn, "0000000000000020");
}

TEST_F(ItemEditorsTest, PickerLeavesOutWhatTheGridHoldsAndAddsNothingFromAnEmptyList) {
  // Every flag in the message's grid: the list is empty and OK adds nothing.
  config::EventMessageRecord& all = t().eventMessages[0];
  all.name = all.messageText = "All";
  all.flagsOn = "FFFFFFFF00000000";
  all.flagsOff = "00000000FFFFFFFF";
  FrmNameMessages m(context_, 0);
  m.SetModalRunner(Picking("  0   ON"));
  m.flxMessages->cmdAdd->click();
  EXPECT_EQ(offered_, (Strings{"Add a Flag", "Select Flag"}));
  EXPECT_FALSE(pointsShown_);
  EXPECT_EQ(m.flxMessages->Rows().size(), 64u);

  // The digital event's side leaves out its own points, not the same numbers as flags or on the other side.
  FrmNameTransitions w(context_, 0, false, true);
  w.SetModalRunner(Picking("Liftoff ON"));
  w.cmdAdd[0]->click();
  w.SetModalRunner(Picking(""));
  w.cmdAdd[0]->click();
  EXPECT_EQ(offered_.size(), 2u + 126u);
  EXPECT_EQ(offered_[2], "  0   ON");
  EXPECT_EQ(offered_[4], "  2   ON");
  w.SetModalRunner(Picking("", true));
  w.cmdAdd[0]->click();
  EXPECT_EQ(offered_.size(), 2u + 128u);
  w.SetModalRunner(Picking(""));
  w.cmdAdd[1]->click();
  EXPECT_EQ(offered_.size(), 2u + 128u);
  EXPECT_EQ(w.flxStates[0]->rowCount(), 2);
}

TEST_F(ItemEditorsTest, AddOnAFullTableShowsTheRangeMessageAndOpensNoEditor) {
  for (auto& a : t().alarms) a.deviationStatus = "Disabled";
  t().states[0].name = "S";
  for (auto& timer : t().timers) timer.inputState = 0;
  EXPECT_FALSE(EditAlarm(context_, -1, nullptr));
  EXPECT_FALSE(EditDigitalEventOrTimer(context_, -1, true, nullptr));
  EXPECT_FALSE(EditSerialEvent(context_, 32, nullptr));
  EXPECT_EQ(prompter_.Messages(), (Strings{"Maximun 64 Alarms (0-63).", "Maximum 64 Timers (0-63).",
                                           "Maximum 32 Serial Events (0-31)."}));
}

}  // namespace
}  // namespace kestrio::ui
