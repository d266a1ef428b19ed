// Keyboard use: each access key of a window belongs to one command, a label's key moves to the box it
// names, and Tab walks the main windows down and to the right.
#include "ui/tool_window_fixture.h"
// clang-format off
#include <gtest/gtest.h>
// clang-format on

#include <QAbstractButton>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <map>
#include <set>

#include "config/summaries.h"
#include "ui/alarm_window.h"
#include "ui/analog_dialogs.h"
#include "ui/brain_progress_window.h"
#include "ui/config_window.h"
#include "ui/digital_event_window.h"
#include "ui/manual_window.h"
#include "ui/memory_map_window.h"
#include "ui/message_window.h"
#include "ui/name_window.h"
#include "ui/option_page_window.h"
#include "ui/packet_decoder_window.h"
#include "ui/point_picker_window.h"
#include "ui/points_window.h"
#include "ui/serial_event_window.h"
#include "ui/status_window.h"
#include "ui/trend_window.h"

namespace kestrio::ui::test {
namespace {

// Captions operators have long known that share a key; pressing it again moves on to the next.
const std::set<std::pair<QString, QString>> kLongStanding{{"&Save Data File", "&Save Data File As"},
                                                          {"&Clear  Alll", "&Close"},
                                                          {"&Digital Points", "&Digital Events"},
                                                          {"Ti&mers", "Events &Messages"},
                                                          {"Clea&r", "&Rename,,,"},
                                                          {"&Clear", "&Cancel"}};

// One scope's captions (a window's controls and menu titles, or one menu): no key on two different
// captions but the long-standing pairs. A caption may repeat once per block (the alarm editor's
// three "&Add"); its key then moves between them.
void ExpectKeysUnique(const QStringList& captions, const std::string& scope) {
  std::map<QString, QString> byKey;
  for (const QString& caption : captions) {
    const QString key = QKeySequence::mnemonic(caption).toString();
    if (key.isEmpty()) continue;
    const QString& first = byKey.try_emplace(key, caption).first->second;
    EXPECT_TRUE(first == caption || kLongStanding.count({first, caption}) ||
                kLongStanding.count({caption, first}))
        << scope << ": '" << first.toStdString() << "' and '" << caption.toStdString() << "' share "
        << key.toStdString();
  }
}

void CheckAccessKeys(QWidget* window) {
  ASSERT_NE(window, nullptr);
  const std::string name = window->metaObject()->className();
  QStringList captions;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->window() != window) continue;  // not the windows this one owns
    if (auto* button = qobject_cast<QAbstractButton*>(w)) captions << button->text();
    if (auto* label = qobject_cast<QLabel*>(w); label && !QKeySequence::mnemonic(label->text()).isEmpty()) {
      captions << label->text();
      EXPECT_NE(label->buddy(), nullptr) << name << ": '" << label->text().toStdString() << "' names no box";
    }
    if (auto* bar = qobject_cast<QMenuBar*>(w)) {
      for (QAction* title : bar->actions()) {
        captions << title->text();
        if (!title->menu()) continue;
        QStringList entries;
        for (QAction* entry : title->menu()->actions()) entries << entry->text();
        ExpectKeysUnique(entries, name + " > " + title->text().toStdString());
      }
    }
  }
  ExpectKeysUnique(captions, name);
}

// Tab goes down a column or on to the right (along a row, or to the top of the next column); a stop
// above and not wholly right of the one before it goes backwards.
void ExpectTabInReadingOrder(QWidget* window) {
  const std::string name = window->metaObject()->className();
  window->show();
  std::vector<QRect> stops;
  for (QWidget* w = window->nextInFocusChain(); w != window && stops.size() < 500;
       w = w->nextInFocusChain()) {
    const bool insideComboBox = qobject_cast<QComboBox*>(w->parentWidget()) != nullptr;  // the box's own stop
    if (w->window() == window && w->isVisibleTo(window) && w->isEnabled() &&
        (w->focusPolicy() & Qt::TabFocus) && !insideComboBox)
      stops.emplace_back(w->mapTo(window, QPoint(0, 0)), w->size());
  }
  ASSERT_GE(stops.size(), 2u) << name;
  for (std::size_t i = 1; i < stops.size(); ++i) {
    const QRect &a = stops[i - 1], &b = stops[i];
    EXPECT_TRUE(b.top() > a.bottom() || b.left() > a.right())
        << name << ": Tab goes from (" << a.x() << "," << a.y() << ") back to (" << b.x() << "," << b.y()
        << ")";
  }
}

class KeyboardTest : public ToolWindowTest {};

TEST_F(KeyboardTest, AccessKeysAreUniqueInEachWindowAndLabelsNameTheirBox) {
  StartAndConnect();
  MainNavigator& nav = window_->Windows();
  WindowContext& context = window_->Context();
  nav.OpenStatusWindow();
  nav.OpenMemoryMapWindow();
  nav.OpenManualPackets();
  nav.OpenOptionPage(KESTRIO_SOURCE_DIR "/data/SNMP.opt");
  for (QWidget* window :
       std::initializer_list<QWidget*>{window_.get(), nav.StatusWindow(), nav.MemoryMapWindow(),
                                       nav.ManualWindow(), nav.PacketDecoder(), nav.OptionPageWindow()})
    CheckAccessKeys(window);
  for (bool configure : {true, false}) {
    SCOPED_TRACE(configure ? "configure mode" : "values mode");
    nav.OpenPointsWindow(configure);
    CheckAccessKeys(nav.PointsWindow());
    nav.PointsWindow()->btnTrend_Click();
    CheckAccessKeys(nav.PointsWindow()->TrendWindow());
    nav.ClosePointsWindow();
  }

  FrmAnalogOutputDataEntry entry(prompter_, "AO\n0 to 10");
  FrmAnalogGainOffset gainOffset(engine(), 8, "1.5");
  FrmStateMain configuration(context);
  FrmNameChange name(context, config::View::Points, 0);
  FrmNameTransitions event(context, 0, false, true), timer(context, 0, true, true);
  FrmNameAlarms alarm(context, 0);
  FrmNameMessages message(context, 0);
  FrmNameSerialEvents serial(context, 0);
  FrmAddAPoint picker(session_->Configuration(), {}, {});
  FrmBrainProgress download(context, context.DownloadTarget(), context.RackReader());
  for (QWidget* dialog :
       std::initializer_list<QWidget*>{&entry, &gainOffset, &configuration, &name, &event, &timer, &alarm,
                                       &message, &serial, &picker, &download})
    CheckAccessKeys(dialog);
}

TEST_F(KeyboardTest, TabFollowsReadingOrderInTheMainWindows) {
  StartAndConnect();
  MainNavigator& nav = window_->Windows();
  nav.OpenStatusWindow();
  nav.OpenManualPackets();
  nav.OpenMemoryMapWindow();
  nav.OpenOptionPage(KESTRIO_SOURCE_DIR "/data/SNMP.opt");
  FrmNameAlarms alarm(window_->Context(), 0);
  FrmNameMessages message(window_->Context(), 0);
  for (QWidget* window :
       std::initializer_list<QWidget*>{window_.get(), nav.StatusWindow(), nav.ManualWindow(),
                                       nav.MemoryMapWindow(), nav.OptionPageWindow(), &alarm, &message})
    ExpectTabInReadingOrder(window);
}

}  // namespace
}  // namespace kestrio::ui::test
