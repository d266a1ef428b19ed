#include "ui/option_page_menu.h"

#include <QFile>

#include "core/data_files.h"
#include "ui/main_rules.h"
#include "ui/main_window.h"
#include "ui/navigator.h"
#include "ui/window_context.h"

namespace kestrio::ui {

void AddOptionPages(FrmMain& window, const std::vector<options::MenuEntry>& menu) {
  WindowContext& context = window.Context();
  for (const options::MenuEntry& entry : menu) {
    const std::string pageFile = entry.pageFile;
    const QAction* added =
        window.AddOptionPageEntry(QString::fromStdString(entry.caption), [&context, pageFile] {
          if (!context.IsConnected()) {
            context.Ui().Message(kNotConnected);
            return;
          }
          context.Navigate().OpenOptionPage(QFile::decodeName(FindDataFile(pageFile).c_str()));
        });
    if (added == nullptr) break;
  }
}

}  // namespace kestrio::ui
