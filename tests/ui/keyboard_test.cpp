// Keyboard use of every window: each access key belongs to one command of its window, a label's key
// moves to the box it names, and Tab walks the main windows in reading order.
#include "ui/tool_window_fixture.h"
// clang-format off
#include <gtest/gtest.h>
// clang-format on

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <map>
#include <memory>
#include <vector>

#include "config/state_tables.h"
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

// The access key of a caption ('&' before it, "&&" being a plain ampersand); 0 when it has none.
QChar AccessKey(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return caption[i + 1].toUpper();
  }
  return QChar();
}

// Captions operators have long known that share a key in one window; pressing the key again moves
// on to the next of them. Any other pair sharing a key is a fault.
bool LongStandingPair(const QString& a, const QString& b) {
  static const std::pair<const char*, const char*> kPairs[] = {{"&Save Data File", "&Save Data File As"},
                                                               {"&Clear  Alll", "&Close"},
                                                               {"&Digital Points", "&Digital Events"},
                                                               {"Ti&mers", "Events &Messages"},
                                                               {"Clea&r", "&Rename,,,"},
                                                               {"&Clear", "&Cancel"}};
  for (const auto& [x, y] : kPairs)
    if ((a == x && b == y) || (a == y && b == x)) return true;
  return false;
}

// Each key of one scope (a window's controls and menu bar, or one menu) with the captions using it.
// A key may also repeat on the same caption: the same command once per block (the alarm editor's
// three "&Add" buttons), between which the key moves in turn.
void ExpectKeysUnique(const std::vector<QString>& captions, const std::string& scope) {
  std::map<QChar, QString> byKey;
  for (const QString& caption : captions) {
    const QChar key = AccessKey(caption);
    if (key.isNull()) continue;
    const auto [it, added] = byKey.emplace(key, caption);
    EXPECT_TRUE(added || it->second == caption || LongStandingPair(it->second, caption))
        << scope << ": '" << it->second.toStdString() << "' and '" << caption.toStdString() << "' share Alt+"
        << QString(key).toStdString();
  }
}

void CheckMenu(QMenu* menu, const std::string& scope) {
  std::vector<QString> captions;
  for (QAction* action : menu->actions()) {
    captions.push_back(action->text());
    if (action->menu()) CheckMenu(action->menu(), scope + " > " + action->text().toStdString());
  }
  ExpectKeysUnique(captions, scope + " > " + menu->title().toStdString());
}

// The widgets of type T in `window` itself, not in the windows it owns.
template <typename T>
std::vector<T*> Own(QWidget* window) {
  std::vector<T*> own;
  for (T* w : window->findChildren<T*>())
    if (w->window() == window) own.push_back(w);
  return own;
}

void CheckAccessKeys(QWidget* window, const std::string& name) {
  SCOPED_TRACE(name);
  std::vector<QString> captions;
  for (QAbstractButton* b : Own<QAbstractButton>(window)) captions.push_back(b->text());
  for (QGroupBox* g : Own<QGroupBox>(window))
    if (g->isCheckable()) captions.push_back(g->title());
  for (QLabel* label : Own<QLabel>(window)) {
    if (label->textFormat() == Qt::RichText || AccessKey(label->text()).isNull()) continue;
    captions.push_back(label->text());
    EXPECT_NE(label->buddy(), nullptr)
        << name << ": label '" << label->text().toStdString() << "' has no buddy";
  }
  for (QMenuBar* bar : Own<QMenuBar>(window)) {
    for (QAction* action : bar->actions()) {
      captions.push_back(action->text());
      if (action->menu()) CheckMenu(action->menu(), name);
    }
  }
  ExpectKeysUnique(captions, name);
}

// The widgets Tab stops at, in the order Tab visits them, starting from the window's first.
std::vector<QWidget*> TabChain(QWidget* window) {
  std::vector<QWidget*> chain;
  QWidget* w = window;
  do {
    w = w->nextInFocusChain();
    // An editable drop-down's text box is part of the drop-down's own stop.
    const bool insideComboBox = qobject_cast<QComboBox*>(w->parentWidget()) != nullptr;
    if (w != window && w->isVisibleTo(window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
        w->window() == window && !insideComboBox)
      chain.push_back(w);
  } while (w != window && chain.size() < 500);
  return chain;
}

// Tab moves down a column or on to the right (along a row, or to the top of the next column): a
// stop that overlaps the previous one's rows and lies to its left, or lies above it without being
// wholly to its right, goes backwards.
void ExpectReadingOrder(QWidget* window, const std::string& name) {
  window->show();
  const std::vector<QWidget*> chain = TabChain(window);
  ASSERT_GE(chain.size(), 2u) << name;
  for (std::size_t i = 1; i < chain.size(); ++i) {
    const QRect a(chain[i - 1]->mapTo(window, QPoint(0, 0)), chain[i - 1]->size());
    const QRect b(chain[i]->mapTo(window, QPoint(0, 0)), chain[i]->size());
    const bool inOrder = b.top() > a.bottom() || b.left() > a.right();
    EXPECT_TRUE(inOrder) << name << ": Tab goes from " << chain[i - 1]->objectName().toStdString() << " "
                         << chain[i - 1]->metaObject()->className() << " at (" << a.x() << "," << a.y()
                         << ") to " << chain[i]->objectName().toStdString() << " "
                         << chain[i]->metaObject()->className() << " at (" << b.x() << "," << b.y() << ")";
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
  nav.OpenOptionPage(QString(KESTRIO_SOURCE_DIR "/data/SNMP.opt"));
  CheckAccessKeys(window_.get(), "main window");
  CheckAccessKeys(nav.StatusWindow(), "status");
  CheckAccessKeys(nav.MemoryMapWindow(), "memory map");
  CheckAccessKeys(nav.ManualWindow(), "manual packets");
  CheckAccessKeys(nav.PacketDecoder(), "packet decoder");
  CheckAccessKeys(nav.OptionPageWindow(), "option page");
  for (bool configure : {true, false}) {
    nav.OpenPointsWindow(configure);
    ASSERT_NE(nav.PointsWindow(), nullptr);
    CheckAccessKeys(nav.PointsWindow(), configure ? "points, configure" : "points, values");
    if (!configure) {
      nav.PointsWindow()->btnTrend_Click();
      CheckAccessKeys(nav.PointsWindow()->TrendWindow(), "trend");
    }
    nav.ClosePointsWindow();
  }

  FrmAnalogOutputDataEntry entry(prompter_, "AO\n0 to 10");
  FrmAnalogGainOffset gainOffset(engine(), 8, "1.5");
  FrmStateMain configuration(context);
  FrmNameChange name(context, config::View::Points, 0);
  FrmNameTransitions event(context, 0, false, true);
  FrmNameTransitions timer(context, 0, true, true);
  FrmNameAlarms alarm(context, 0);
  FrmNameMessages message(context, 0);
  FrmNameSerialEvents serial(context, 0);
  FrmAddAPoint picker(session_->Configuration(), {}, {});
  FrmBrainProgress download(context, context.DownloadTarget(), context.RackReader());
  const std::pair<QWidget*, const char*> dialogs[] = {{&entry, "analog output entry"},
                                                      {&gainOffset, "gain/offset"},
                                                      {&configuration, "configuration"},
                                                      {&name, "name"},
                                                      {&event, "digital event"},
                                                      {&timer, "timer"},
                                                      {&alarm, "alarm"},
                                                      {&message, "message"},
                                                      {&serial, "serial event"},
                                                      {&picker, "picker"},
                                                      {&download, "download"}};
  for (const auto& [dialog, title] : dialogs) CheckAccessKeys(dialog, title);
}

TEST_F(KeyboardTest, TabFollowsReadingOrderInTheMainWindows) {
  StartAndConnect();
  MainNavigator& nav = window_->Windows();
  nav.OpenStatusWindow();
  nav.OpenManualPackets();
  nav.OpenMemoryMapWindow();
  ExpectReadingOrder(window_.get(), "main window");
  ExpectReadingOrder(nav.MemoryMapWindow(), "memory map");
  ExpectReadingOrder(nav.StatusWindow(), "status");
  ExpectReadingOrder(nav.ManualWindow(), "manual packets");
  nav.OpenOptionPage(QString(KESTRIO_SOURCE_DIR "/data/SNMP.opt"));
  ExpectReadingOrder(nav.OptionPageWindow(), "option page");
  FrmNameAlarms alarm(window_->Context(), 0);
  ExpectReadingOrder(&alarm, "alarm");
  FrmNameMessages message(window_->Context(), 0);
  ExpectReadingOrder(&message, "message");
}

}  // namespace
}  // namespace kestrio::ui::test
