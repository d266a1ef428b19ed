#pragma once
// The Advanced menu's option-page entries, one per entry of the menu file (Advanced.mnu), each
// opening its page file, found where the program's data files are.
#include <vector>

#include "options/advanced_menu.h"

namespace kestrio::ui {

class FrmMain;

// Adds the entries above the menu's fixed ones; entries past the menu's limit are not shown.
// Choosing one without a connection only says "Operation not allowed - not yet Connected.".
void AddOptionPages(FrmMain& window, const std::vector<options::MenuEntry>& menu);

}  // namespace kestrio::ui
