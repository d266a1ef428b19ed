#pragma once
// What the four item editors share: a modal dialog over one item of the configuration, the jump
// box with "&Go", "&OK" (closes only after a complete save) and "&Cancel", and the point/flag picker.
#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/item_ranges.h"
#include "protocol/prompter.h"

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrio::ui {

class FlagGrid;
class WindowContext;
struct PickedPoint;

class ItemEditorDialog : public QDialog {
  Q_OBJECT

 public:
  // How a dialog opened from this one (the picker) runs: exec() in the program; tests drive the
  // dialog and return its result instead.
  using ModalRunner = std::function<int(QDialog&)>;
  void SetModalRunner(ModalRunner runner) { runModal_ = std::move(runner); }

  // The item shown (a jump changes it).
  int Item() const { return item_; }
  // Whether the configuration changed: a completed save (the digital event editor adds renames).
  virtual bool Changed() const { return result() == QDialog::Accepted; }

 public slots:
  // Jumps to the typed item after the range check; a refusal keeps the item and refocuses the box.
  void cmdGo_Click();
  void cmdOK_Click();

 protected:
  ItemEditorDialog(WindowContext& context, QWidget* parent);

  // The row of the jump label and box, Go, OK and Cancel; the caller places it.
  QHBoxLayout* CommandRow(const char* jumpLabel);
  // Enter in a box does what that box does (a jump, a clamp), never a click on the first button.
  void NoDefaultButton();
  // The caption ("Alarm: 5") and the jump box for the item shown.
  void ShowNumber();

  virtual config::ItemKind Kind() const = 0;
  // Fills the form for item `item` (in range): on opening and on a jump.
  virtual void ShowItem(int item) = 0;
  // Stores the form; false, with the reason shown, keeps the window open.
  virtual bool Save() = 0;

  // A save's outcome: the refusal shown, or true when it stored.
  bool Stored(const std::optional<std::string>& refusal);
  // Shows the picker for `caller`, leaving out what the caller's grid holds.
  std::optional<PickedPoint> Pick(std::string_view caller, const std::vector<int>& excludedPoints,
                                  const std::vector<int>& excludedFlags);
  // Add of a flag grid: the picker without the grid's flags, and the chosen flag's row appended.
  void AddFlag(FlagGrid& grid, std::string_view caller);

  config::StateGlobals& Tables();
  Prompter& Ui();

  WindowContext& context_;
  int item_ = 0;

 private:
  ModalRunner runModal_;

 public:
  QLabel* lblJumpTo = nullptr;
  QLineEdit* txtJumpTo = nullptr;
  QPushButton* cmdGo = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;
};

}  // namespace kestrio::ui
